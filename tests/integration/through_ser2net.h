#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "link/settings_poll.h"
#include "tests/integration/loopback_server.h"
#include "tests/integration/simulated_link.h"
#include "tests/support/recording_feedback.h"

namespace zorveth::testing {

// ser2net serving the simulated pair's pty with an RFC 2217 accepter.
class ThroughSer2net : public SimulatedLink {
 public:
  static bool Ser2netInstalled() { return system("command -v ser2net >/dev/null 2>&1") == 0; }

 protected:
  void TearDown() override {
    StopSer2net();
    SimulatedLink::TearDown();
  }
  void StartSer2net() {
    int probe = Listen(m_port);
    close(probe);
    const auto config = dir.path() / "ser2net.yaml";
    std::ofstream(config) << "connection: &radios\n"
                          << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << m_port << "\n"
                          << "  connector: serialdev," << server->SlavePath() << ",9600n81,local\n";
    m_pid = fork();
    if (m_pid == 0) {
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execlp("ser2net", "ser2net", "-n", "-d", "-c", config.c_str(), nullptr);
      _exit(127);
    }
    // Ready once it accepts.
    for (int i = 0; i < 200; ++i) {
      int fd = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      address.sin_port = htons(m_port);
      bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      close(fd);
      if (up) break;
      std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(50ms);
  }
  void StopSer2net() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }
  std::string Url() const { return "rfc2217://127.0.0.1:" + std::to_string(m_port); }

  // The same poll directly on the pty and through ser2net: the reports and
  // what the radios heard at each speed.
  struct Run {
    std::vector<std::string> lines;
    std::vector<std::string> messages;
    std::string heard;
  };
  Run PollBoth(CRadioPort& port, const std::string& portText) {
    server->ClearLog();
    RecordingFeedback feedback;
    std::string text = portText;
    SettingsPoll(text, port, SystemClock(), feedback, feedback).PollBoth();
    std::string heard;
    for (const auto& entry : server->Log()) {
      if (entry.fromTool) heard += std::to_string(entry.speed) + ":" + char(entry.byte) + " ";
    }
    return {feedback.lines, feedback.messages, heard};
  }

  std::uint16_t m_port = 0;
  pid_t m_pid = -1;
};

}  // namespace zorveth::testing
