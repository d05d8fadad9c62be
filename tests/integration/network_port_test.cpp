// The network port against a scripted RFC 2217 server on the loopback (for
// the faults and the Telnet byte rules) and against Debian's ser2net serving
// a simulated radio pair (for everything end to end).
#include "port/network_port.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "link/configure.h"
#include "link/initialize.h"
#include "link/settings_poll.h"
#include "port/serial_port.h"
#include "tests/integration/simulated_link.h"
#include "tests/support/recording_feedback.h"
#include "trace/wire_trace_format.h"
#include "ui/configurator_dlg.h"
#include "ui/dialog_services.h"
#include "ui/find_radios_dlg.h"
#include "ui/templates/templates.h"
#include "ui/toolkit/headless/headless_dialog.h"
#include "ui/toolkit/headless/headless_toolkit.h"

namespace zorveth::testing {
namespace {

using namespace std::chrono_literals;

std::int64_t ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               since)
      .count();
}

// A listening socket on 127.0.0.1 and a free port.
int Listen(std::uint16_t& port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, 4);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// A device server that agrees to everything (or, when silent, to nothing),
// confirms the speed, records what it gets and sends what the test says.
class ScriptedServer {
 public:
  explicit ScriptedServer(bool negotiates) : m_negotiates(negotiates) {
    m_listener = Listen(m_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~ScriptedServer() {
    m_stop = true;
    m_thread.join();
    close(m_listener);
  }
  std::string Url() const { return "rfc2217://127.0.0.1:" + std::to_string(m_port); }
  std::string Received() {
    std::lock_guard lock(m_mutex);
    return m_received;
  }
  // Whether bytes arrived within a second.
  bool Got(const std::string& bytes) {
    for (int i = 0; i < 200; ++i) {
      if (Received().find(bytes) != std::string::npos) return true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  void Send(const std::string& bytes) {
    std::lock_guard lock(m_mutex);
    m_toSend += bytes;
  }

 private:
  void Serve() {
    int client = -1;
    while (!m_stop) {
      if (client < 0) {
        pollfd pfd = {m_listener, POLLIN, 0};
        if (poll(&pfd, 1, 10) > 0) client = accept(m_listener, nullptr, nullptr);
        continue;
      }
      {
        std::lock_guard lock(m_mutex);
        if (!m_toSend.empty()) {
          (void)!write(client, m_toSend.data(), m_toSend.size());
          m_toSend.clear();
        }
      }
      pollfd pfd = {client, POLLIN, 0};
      if (poll(&pfd, 1, 5) <= 0) continue;
      char buffer[256];
      ssize_t got = read(client, buffer, sizeof buffer);
      if (got <= 0) {
        close(client);
        client = -1;
        continue;
      }
      std::lock_guard lock(m_mutex);
      m_received.append(buffer, static_cast<std::size_t>(got));
      if (m_negotiates) Answer(client);
    }
    if (client >= 0) close(client);
  }
  // DO for the client's WILLs, WILL for its DOs, and the speed's answer.
  void Answer(int client) {
    std::string reply;
    for (; m_parsed + 2 < m_received.size(); ++m_parsed) {
      const auto at = [&](std::size_t i) { return static_cast<unsigned char>(m_received[i]); };
      if (at(m_parsed) != 255) continue;
      if (at(m_parsed + 1) == 251) reply += std::string("\xFF\xFD") + m_received[m_parsed + 2];
      if (at(m_parsed + 1) == 253) reply += std::string("\xFF\xFB") + m_received[m_parsed + 2];
      if (at(m_parsed + 1) == 250 && m_parsed + 3 < m_received.size() && at(m_parsed + 3) == 1) {
        reply += std::string("\xFF\xFA\x2C\x65", 4) + "\x00\x00\x25\x80" + "\xFF\xF0";
      }
    }
    if (!reply.empty()) (void)!write(client, reply.data(), reply.size());
  }

  bool m_negotiates;
  int m_listener = -1;
  std::uint16_t m_port = 0;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::string m_received;
  std::string m_toSend;
  std::size_t m_parsed = 0;
  std::thread m_thread;
};

std::unique_ptr<CNetworkPort> PortFor(const std::string& url) {
  auto address = ParseNetworkPortName(url);
  EXPECT_TRUE(address) << url;
  auto port = std::make_unique<CNetworkPort>(*address);
  port->SetParams(0, 9600);
  return port;
}

TEST(NetworkPortName, OnlyWellFormedAddressesParse) {
  const std::pair<const char*, bool> cases[] = {
      {"rfc2217://127.0.0.1:7701", true}, {"RFC2217://host.example:1", true},
      {"rfc2217://[::1]:4001", true},     {"rfc2217://host:65536", false},
      {"rfc2217://host:0", false},        {"rfc2217://:4001", false},
      {"rfc2217://host", false},          {"rfc2217://host:40x1", false},
      {"rfc2217://a b:4001", false},      {"telnet://host:23", false},
  };
  for (const auto& [text, ok] : cases) {
    EXPECT_EQ(ParseNetworkPortName(text).has_value(), ok) << text;
  }
  EXPECT_EQ(ParseNetworkPortName("rfc2217://[::1]:4001")->host, "::1");
}

TEST(NetworkPortContract, FailedOpensSayWhyWithinTheirTimeOuts) {
  std::uint16_t closedPort = 0;
  close(Listen(closedPort));  // nobody listens there any more
  auto refusedPort = PortFor("rfc2217://127.0.0.1:" + std::to_string(closedPort));
  CNetworkPort& refused = *refusedPort;
  EXPECT_EQ(refused.Open(), kPortOpenFailed);
  EXPECT_EQ(refused.LastOpenError(),
            "rfc2217://127.0.0.1:" + std::to_string(closedPort) + ": connection refused");
  EXPECT_EQ(refused.Close(), kPortCloseFailed);

  ScriptedServer silent(false);
  auto mutePort = PortFor(silent.Url());
  CNetworkPort& mute = *mutePort;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(mute.Open(), kPortOpenFailed);
  EXPECT_GE(ElapsedMs(start), 900);
  EXPECT_LT(ElapsedMs(start), 3000);
  EXPECT_NE(mute.LastOpenError().find("no answer to the COM port option"), std::string::npos)
      << mute.LastOpenError();
  mute.Close();
}

TEST(NetworkPortContract, NegotiatesSetsTheLineAndKeepsTheReadPace) {
  ScriptedServer server(true);
  auto networkPort = PortFor(server.Url());
  CNetworkPort& port = *networkPort;
  ASSERT_EQ(port.Open(), kPortOk) << port.LastOpenError();
  EXPECT_TRUE(port.TimeoutsPending());
  // WILL COM-PORT-OPTION, SET-BAUDRATE 9600 as four bytes in network order,
  // 8N1, and DTR off.
  EXPECT_TRUE(server.Got("\xFF\xFB\x2C"));
  EXPECT_TRUE(server.Got(std::string("\xFF\xFA\x2C\x01\x00\x00\x25\x80\xFF\xF0", 10)));
  EXPECT_TRUE(server.Got(std::string("\xFF\xFA\x2C\x02\x08\xFF\xF0", 7)));
  EXPECT_TRUE(server.Got(std::string("\xFF\xFA\x2C\x05\x09\xFF\xF0", 7)));

  std::uint8_t byte = 0x42;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadByte(&byte), 0);
  EXPECT_GE(ElapsedMs(start), 45);
  EXPECT_EQ(byte, 0x42);

  // 0xFF goes out doubled and comes back from a doubled pair.
  const std::uint8_t data[] = {'A', 0xFF, '\r'};
  EXPECT_EQ(port.Write(data, 3), kPortOk);
  EXPECT_FALSE(port.TimeoutsPending());
  server.Send(std::string("x\xFF\xFFy", 4));
  std::string got;
  for (int i = 0; i < 40 && got.size() < 3; ++i) {
    if (port.ReadByte(&byte) == 1) got.push_back(static_cast<char>(byte));
  }
  EXPECT_EQ(got, std::string("x\xFFy", 3));
  EXPECT_TRUE(server.Got("A\xFF\xFF\r"));

  // Purge drops what came in and asks the server to purge its receive side.
  server.Send("stale");
  std::this_thread::sleep_for(50ms);
  port.Purge();
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadByte(&byte), 0);
  EXPECT_TRUE(server.Got(std::string("\xFF\xFA\x2C\x0C\x01\xFF\xF0", 7)));

  EXPECT_EQ(port.Close(), kPortOk);
  EXPECT_EQ(port.Close(), kPortCloseFailed);
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadByte(&byte), 0);  // closed: still the 50 ms pace
  EXPECT_GE(ElapsedMs(start), 45);
  EXPECT_EQ(port.Write(data, 1), kPortWriteFailed);
}

// ser2net serving the simulated pair's pty with an RFC 2217 accepter.
class ThroughSer2net : public SimulatedLink {
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

TEST_F(ThroughSer2net, PollConfigureAndInitializeAsOnThePtyItself) {
  if (system("command -v ser2net >/dev/null 2>&1") != 0) GTEST_SKIP() << "ser2net not installed";
  pair.server.speed = pair.client.speed = 9600;
  Serve();
  StartSer2net();
  CNetworkPort network(*ParseNetworkPortName(Url()));
  CSerialPort direct;

  // The probe's speed changes must reach the pty: the radios hear by speed.
  Run viaNetwork = PollBoth(network, Url());
  Run onPty = PollBoth(direct, "COM12");
  EXPECT_EQ(viaNetwork.lines.size(), 22u);
  EXPECT_EQ(viaNetwork.lines, onPty.lines);
  EXPECT_EQ(viaNetwork.messages, onPty.messages);
  EXPECT_EQ(viaNetwork.heard, onPty.heard);

  LinkChoices choices;
  choices.comPort = Url();
  choices.newBaudRate = "38400";
  choices.channel = "70";
  RecordingFeedback configured;
  RadioConfigurator(network, SystemClock(), configured).ConfigureRadios(choices, {});
  EXPECT_EQ(configured.messages, std::vector<std::string>{"Configuration is Set"});
  Run after = PollBoth(network, Url());
  ASSERT_EQ(after.lines.size(), 22u);
  EXPECT_EQ(after.lines[2], "Channel Number:            70");
  EXPECT_EQ(after.lines[6], "Baud Rate:                     38400");

  server->Stop();
  StopSer2net();
  pair.client.powered = false;
  Serve();
  StartSer2net();
  RecordingFeedback initialized;
  choices.channel = "67";
  choices.comPort = Url();
  CNetworkPort restarted(*ParseNetworkPortName(Url()));
  InitializeRadio(RadioRole::Client, choices, {}, restarted, SystemClock(), initialized);
  EXPECT_EQ(initialized.messages, std::vector<std::string>{"Client Initialized"});
}

TEST_F(ThroughSer2net, ADroppedConnectionEndsThePollWithItsMessage) {
  if (system("command -v ser2net >/dev/null 2>&1") != 0) GTEST_SKIP() << "ser2net not installed";
  pair.server.speed = 9600;
  pair.server.faults.noQueryReplies = true;  // keeps the poll busy for seconds
  Serve();
  StartSer2net();
  CNetworkPort network(*ParseNetworkPortName(Url()));
  std::thread killer([this] {
    // Once the queries have begun: the Server answered through ser2net.
    for (int i = 0; i < 400 && ToolBytes().find("ATC\r") == std::string::npos; ++i) {
      std::this_thread::sleep_for(5ms);
    }
    StopSer2net();
  });
  RecordingFeedback feedback;
  std::string text = Url();
  const auto start = std::chrono::steady_clock::now();
  SettingsPoll(text, network, SystemClock(), feedback, feedback).PollServer();
  killer.join();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Error During Read"})
      << network.LastOpenError();
  // Seven queries of three attempts at 2 x 400 ms at most, never a hang.
  EXPECT_LT(ElapsedMs(start), 20000);
}

// The dialogs name ports by COM number: a port map link COM20 ->
// rfc2217://... is listed and polled like any other port.
TEST_F(ThroughSer2net, TheDialogPollsThroughAPortMapLink) {
  if (system("command -v ser2net >/dev/null 2>&1") != 0) GTEST_SKIP() << "ser2net not installed";
  Serve();
  StartSer2net();
  std::filesystem::create_symlink(Url(), portsDir / "COM20");
  ui::headless::HeadlessToolkit toolkit;
  auto services = ui::MakeSystemServices(toolkit);
  services->loadSettings = [] { return AdvancedSettings{}; };
  std::vector<std::string> reports;
  toolkit.OnDialog(ui::kPollDialogId, [&](ui::headless::HeadlessDialog& poll) {
    ASSERT_TRUE(poll.Click(ui::kPollBothButton));
    reports = poll.Entries(ui::kResultList);
  });
  toolkit.OnDialog(ui::kMainDialogId, [&](ui::headless::HeadlessDialog& main) {
    const std::string entry = "COM20 (" + Url() + ")";
    EXPECT_TRUE(main.Select(ui::kComPortList, entry));
    main.Click(ui::kPollInformationButton);
  });
  ui::CConfiguratorApp(*services).Run();
  ASSERT_EQ(reports.size(), 22u) << toolkit.Messages().size() << " messages";
  EXPECT_EQ(reports[0], "Settings polled from: Server");
  EXPECT_EQ(reports[11], "Settings polled from: Client");
}

// The dialogs trace every byte in memory; "Save Wire Log..." writes what the
// radios heard, at the speeds they heard it.
TEST_F(ThroughSer2net, DialogsSaveWireLogWritesWhatThePollSent) {
  pair.server.speed = pair.client.speed = 9600;
  Serve();
  ui::headless::HeadlessToolkit toolkit;
  auto services = ui::MakeSystemServices(toolkit);
  services->loadSettings = [] { return AdvancedSettings{}; };
  const auto saved = dir.path() / "wire.log";
  toolkit.AnswerSaveFile(saved.string());
  toolkit.OnDialog(ui::kPollDialogId, [&](ui::headless::HeadlessDialog& poll) {
    ASSERT_TRUE(poll.Click(ui::kPollBothButton));
  });
  toolkit.OnDialog(ui::kMainDialogId, [&](ui::headless::HeadlessDialog& main) {
    EXPECT_TRUE(main.Select(ui::kComPortList, "COM12 (" + server->SlavePath().substr(5) + ")"));
    main.Click(ui::kPollInformationButton);
    ASSERT_TRUE(main.SystemMenu(ui::kSystemMenuSaveWireLog));
  });
  ui::CConfiguratorApp(*services).Run();
  std::string heard;
  for (const auto& entry : server->Log()) {
    if (entry.fromTool) heard += std::to_string(entry.speed) + ":" + char(entry.byte) + " ";
  }
  std::string sent;
  std::ifstream log(saved);
  for (std::string line; std::getline(log, line);) {
    auto parsed = ParseWireTraceLine(line);
    ASSERT_TRUE(parsed) << line;
    if (parsed->direction != WireDirection::Sent) continue;
    EXPECT_EQ(parsed->step.rfind("poll both: ", 0), 0u) << line;
    for (char c : parsed->bytes) sent += std::to_string(parsed->speed) + ":" + c + " ";
  }
  EXPECT_FALSE(sent.empty());
  EXPECT_EQ(sent, heard);
}

// Find Radios scans the real port list and selects where the pair answered.
TEST_F(ThroughSer2net, FindRadiosSelectsThePortWhereThePairAnswered) {
  pair.server.speed = pair.client.speed = 9600;
  Serve();
  ui::headless::HeadlessToolkit toolkit;
  auto services = ui::MakeSystemServices(toolkit);
  services->loadSettings = [] { return AdvancedSettings{}; };
  const std::string entry = "COM12 (" + server->SlavePath().substr(5) + ")";
  std::string selected;
  std::vector<std::string> lines;
  toolkit.OnDialog(ui::kFindRadiosDialogId, [&](ui::headless::HeadlessDialog& find) {
    for (int i = 0; i < 400 && !find.Enabled(ui::kIdOk); ++i) {
      find.FireTimer(ui::CFindRadiosDlg::kRefreshTimer);
      usleep(50000);
    }
    lines = find.Entries(ui::kFindRadiosList);
    find.Click(ui::kIdOk);
  });
  toolkit.OnDialog(ui::kMainDialogId, [&](ui::headless::HeadlessDialog& main) {
    ASSERT_TRUE(main.SystemMenu(ui::kSystemMenuFindRadios));
    selected = toolkit.ComboText(main.Handle(), ui::kComPortList);
  });
  ui::CConfiguratorApp(*services).Run();
  EXPECT_EQ(selected, entry);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      entry + "  Server at 9600 baud, channel 67, system ID 111; Client at 9600 "
                              "baud, channel 67, system ID 111"),
            lines.end());
  EXPECT_TRUE(toolkit.Messages().empty());
}

}  // namespace
}  // namespace zorveth::testing
