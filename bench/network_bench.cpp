// Times poll both and configure through Debian's ser2net on the loopback
// (RFC 2217) against the same operations on the simulator's pty itself.
// Every open of a network port is a new connection with its negotiation,
// so the probe's speed changes cost a round trip or two each, and every
// purge asks the server to purge too. ser2net runs as docs/network-ports.md
// recommends, without its character delay, and then with it (its default).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "bench/operation_timer.h"
#include "bench/quiet_feedback.h"
#include "link/configure.h"
#include "link/settings_poll.h"
#include "port/network_port.h"
#include "port/serial_port.h"
#include "sim/pty_radio_server.h"

namespace zorveth::bench {
namespace {

std::uint16_t FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// ser2net's settings for the run: docs/network-ports.md recommends
// chardelay off; its default (on) is measured too.
constexpr const char* kConnector = "serialdev,<pty>,9600n81,local";

pid_t StartSer2net(const std::filesystem::path& dir, const std::string& device, std::uint16_t port,
                   bool charDelay) {
  const auto config = dir / "ser2net.yaml";
  std::ofstream(config) << "connection: &radios\n  accepter: telnet(rfc2217),tcp,127.0.0.1," << port
                        << "\n  connector: serialdev," << device << ",9600n81,local\n"
                        << "  options:\n    chardelay: " << (charDelay ? "true" : "false") << "\n";
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execlp("ser2net", "ser2net", "-n", "-d", "-c", config.c_str(), nullptr);
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  return pid;
}

// Runs op on a fresh pair at 9600 baud, on the pty or through ser2net.
double TimeOperation(const std::filesystem::path& dir, bool network, bool charDelay,
                     const std::function<void(CRadioPort&, const std::string&)>& op,
                     std::string& outcome) {
  sim::PairConfig pair = sim::DefaultPairConfig();
  pair.server.speed = pair.client.speed = 9600;
  sim::PtyRadioServer server(pair);
  std::string error;
  if (!server.Start(&error) || !server.LinkAs(dir / "config/zorveth/ports", 1, &error)) {
    outcome = "simulator failed: " + error;
    return 0;
  }
  pid_t ser2net = -1;
  std::unique_ptr<CRadioPort> port;
  std::string portText = "COM1";
  if (network) {
    const std::uint16_t tcpPort = FreePort();
    ser2net = StartSer2net(dir, server.SlavePath(), tcpPort, charDelay);
    portText = "rfc2217://127.0.0.1:" + std::to_string(tcpPort);
    port = std::make_unique<CNetworkPort>(*ParseNetworkPortName(portText));
  } else {
    port = std::make_unique<CSerialPort>();
  }
  OperationTimer timer;
  op(*port, portText);
  const double wall = timer.WallMs();
  if (ser2net > 0) {
    kill(ser2net, SIGTERM);
    waitpid(ser2net, nullptr, 0);
  }
  server.Stop();
  return wall;
}

}  // namespace
}  // namespace zorveth::bench

int main() {
  using namespace zorveth;
  using namespace zorveth::bench;
  if (system("command -v ser2net >/dev/null 2>&1") != 0) {
    std::printf("ser2net is not installed: no network figures\n");
    return 0;
  }
  char pattern[] = "/tmp/zorveth-net-bench-XXXXXX";
  const std::filesystem::path dir = mkdtemp(pattern);
  std::filesystem::create_directories(dir / "config/zorveth/ports");
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);

  struct Operation {
    const char* name;
    std::function<void(CRadioPort&, const std::string&)> run;
  };
  const Operation operations[] = {
      {"PollBoth",
       [](CRadioPort& port, const std::string& text) {
         QuietFeedback feedback;
         std::string portText = text;
         SettingsPoll(portText, port, SystemClock(), feedback, feedback).PollBoth();
       }},
      {"Configure",
       [](CRadioPort& port, const std::string& text) {
         QuietFeedback feedback;
         LinkChoices choices;
         choices.comPort = text;
         choices.newBaudRate = "9600";
         RadioConfigurator(port, SystemClock(), feedback).ConfigureRadios(choices, {});
       }},
  };
  std::printf("\nThrough ser2net (RFC 2217, loopback) against the pty, radios at 9600 baud\n");
  for (bool charDelay : {false, true}) {
    std::printf("ser2net: accepter telnet(rfc2217),tcp; connector %s; chardelay: %s\n", kConnector,
                charDelay ? "true (its default)" : "false (recommended)");
    std::printf("%-12s %12s %12s %8s\n", "operation", "direct ms", "network ms", "ratio");
    for (const auto& operation : operations) {
      std::string outcome;
      const double direct = TimeOperation(dir, false, charDelay, operation.run, outcome);
      const double network = TimeOperation(dir, true, charDelay, operation.run, outcome);
      std::printf("%-12s %12.1f %12.1f %8.3f\n", operation.name, direct, network,
                  direct > 0 ? network / direct : 0.0);
    }
  }
  std::filesystem::remove_all(dir);
  return 0;
}
