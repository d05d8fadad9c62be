// Scans of several simulated pairs at once, each on a pty of its own linked
// into a private port map, through the real serial port code.
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <map>

#include "link/port_scan.h"
#include "link/settings_poll.h"
#include "port/serial_port.h"
#include "tests/integration/simulated_link.h"
#include "tests/support/recording_feedback.h"
#include "tests/support/scan_summary.h"
#include "ui/configurator_dlg.h"
#include "ui/dialog_services.h"
#include "ui/find_radios_dlg.h"
#include "ui/templates/templates.h"
#include "ui/toolkit/headless/headless_dialog.h"
#include "ui/toolkit/headless/headless_toolkit.h"

namespace zorveth::testing {
namespace {

class ScanOnPty : public SimulatedLink {
 protected:
  void TearDown() override {
    for (auto& [number, pair] : servers) pair->Stop();
    SimulatedLink::TearDown();
  }
  // Serves a pair at COM<number>.
  sim::PtyRadioServer& ServeAt(int number, std::uint32_t serverSpeed, std::uint32_t clientSpeed,
                               std::uint16_t channel = 67) {
    sim::PairConfig config = sim::DefaultPairConfig();
    config.server.speed = serverSpeed;
    config.client.speed = clientSpeed;
    config.server.channel = config.client.channel = channel;
    return ServeAt(number, config);
  }
  sim::PtyRadioServer& ServeAt(int number, const sim::PairConfig& config) {
    auto& server = servers[number];
    server = std::make_unique<sim::PtyRadioServer>(config);
    std::string error;
    EXPECT_TRUE(server->Start(&error)) << error;
    EXPECT_TRUE(server->LinkAs(portsDir, number, &error)) << error;
    return *server;
  }
  static std::string Sent(const sim::PtyRadioServer& server) {
    std::string bytes;
    for (const auto& entry : server.Log()) {
      if (entry.fromTool) bytes.push_back(static_cast<char>(entry.byte));
    }
    return bytes;
  }
  static std::string Sent(const sim::PtyRadioServer& server, std::uint32_t speed) {
    std::string bytes;
    for (const auto& entry : server.Log()) {
      if (entry.fromTool && entry.speed == speed) bytes.push_back(static_cast<char>(entry.byte));
    }
    return bytes;
  }

  std::map<int, std::unique_ptr<sim::PtyRadioServer>> servers;
  CancellationToken token;
};

TEST_F(ScanOnPty, FindsEveryRadioAtItsSpeedAndSaysWhyOtherPortsHaveNone) {
  ServeAt(21, 38400, 38400, 11);
  ServeAt(22, 9600, 4800, 22);
  ServeAt(23, 2400, 2400, 33);
  sim::PairConfig silent = sim::DefaultPairConfig();
  silent.server.powered = silent.client.powered = false;
  ServeAt(24, silent);
  auto& held = ServeAt(25, 19200, 19200);
  CSerialPort holder;  // another program's hold on COM25
  holder.SetParams(25, 19200);
  ASSERT_EQ(holder.Open(), kPortOk);

  auto results = ScanPorts({"COM21", "COM22 (pts)", "COM23", "COM24", "COM25", "COM40"}, token);
  holder.Close();

  ASSERT_EQ(results.size(), 6u);
  using R = RadioRole;
  const std::vector<ScannedRadio> at21 = {{R::Server, 38400, 11, 1, 111},
                                          {R::Client, 38400, 11, 2, 111}};
  const std::vector<ScannedRadio> at22 = {{R::Server, 9600, 22, 1, 111},
                                          {R::Client, 4800, 22, 2, 111}};
  const std::vector<ScannedRadio> at23 = {{R::Server, 2400, 33, 1, 111},
                                          {R::Client, 2400, 33, 2, 111}};
  EXPECT_EQ(Summaries(results[0].radios), at21);
  EXPECT_EQ(Summaries(results[1].radios), at22);
  EXPECT_EQ(results[1].port, "COM22 (pts)");
  EXPECT_EQ(Summaries(results[2].radios), at23);
  const PortScanOutcome outcomes[] = {PortScanOutcome::Found, PortScanOutcome::Found,
                                      PortScanOutcome::Found, PortScanOutcome::NoAnswer,
                                      PortScanOutcome::Busy,  PortScanOutcome::NoSuchPort};
  for (std::size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i].outcome, outcomes[i]) << results[i].port;
  }
  EXPECT_NE(results[4].openError.find("COM25"), std::string::npos);

  // Only escapes, the three queries and the exit ever reach a radio.
  EXPECT_EQ(Sent(*servers[21]), "+S\rATC\rATM\rATID\rATE\r+C\rATC\rATM\rATID\rATE\r");
  EXPECT_EQ(Sent(*servers[22], 9600), "+S\rATC\rATM\rATID\rATE\r+C\r+C\r+C\r");
  EXPECT_EQ(Sent(*servers[22], 4800), "+C\rATC\rATM\rATID\rATE\r");
  EXPECT_EQ(Sent(*servers[23], 38400), "+S\r+C\r+C\r+C\r");
  EXPECT_EQ(Sent(*servers[24], 2400), "+S\r+C\r+C\r+C\r");
  EXPECT_EQ(Sent(held), "");
  for (int number : {21, 22, 23}) {
    EXPECT_FALSE(servers[number]->InCommandMode(sim::kServerSlot)) << number;
    EXPECT_FALSE(servers[number]->InCommandMode(sim::kClientSlot)) << number;
  }
}

// A device that takes no data: a terminal whose output is stopped, as a
// port with hardware handshake held off or a wedged adapter behaves.
class WedgedPort {
 public:
  WedgedPort(const std::filesystem::path& portsDir, int number) {
    char name[64] = {};
    EXPECT_EQ(openpty(&m_master, &m_slave, name, nullptr, nullptr), 0);
    EXPECT_EQ(tcflow(m_slave, TCOOFF), 0);
    std::filesystem::create_symlink(name, portsDir / ("COM" + std::to_string(number)));
  }
  ~WedgedPort() {
    close(m_slave);
    close(m_master);
  }

 private:
  int m_master = -1;
  int m_slave = -1;
};

TEST_F(ScanOnPty, AWedgedPortNeitherHoldsUpTheScanNorHidesThePairsBesideIt) {
  ServeAt(31, 38400, 38400, 11);
  ServeAt(32, 9600, 4800, 22);
  WedgedPort wedged(portsDir, 33);
  const auto start = std::chrono::steady_clock::now();
  auto results = ScanPorts({"COM31", "COM32", "COM33"}, token);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].radios.size(), 2u);
  EXPECT_EQ(results[1].radios.size(), 2u);
  EXPECT_EQ(results[2].outcome, PortScanOutcome::Stalled);
  EXPECT_EQ(PortStatusText(results[2]), "stopped accepting data");

  // A poll there ends with its message instead of hanging.
  CSerialPort port;
  RecordingFeedback feedback;
  std::string portText = "COM33";
  SettingsPoll(portText, port, SystemClock(), feedback, feedback).PollServer();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Polling Server Failed"});
}

TEST_F(ScanOnPty, PortTheUserMayNotOpenIsReportedAsSuch) {
  if (geteuid() == 0) GTEST_SKIP() << "root may open any device";
  auto& server = ServeAt(26, 9600, 9600);
  ASSERT_EQ(chmod(server.SlavePath().c_str(), 0), 0);
  auto results = ScanPorts({"COM26"}, token);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].outcome, PortScanOutcome::AccessDenied);
  EXPECT_NE(results[0].openError.find("dialout"), std::string::npos);
}

TEST_F(ScanOnPty, InterruptionLeavesNoRadioInCommandModeAndNoPortOpen) {
  // Slow replies keep the radios in command mode long enough to be caught
  // there.
  sim::PairConfig slow = sim::DefaultPairConfig();
  slow.server.speed = slow.client.speed = 38400;
  slow.server.replyDelayMs = slow.client.replyDelayMs = 150;
  auto& first = ServeAt(27, slow);
  auto& second = ServeAt(28, slow);
  PortScan scan({"COM27", "COM28"}, token);
  auto bothCaught = [&] {
    return first.InCommandMode(sim::kServerSlot) && second.InCommandMode(sim::kServerSlot);
  };
  for (int waited = 0; waited < 20000 && !bothCaught(); ++waited) usleep(1000);
  ASSERT_TRUE(bothCaught());
  token.Cancel();
  auto results = scan.Results();
  for (const auto& result : results) {
    EXPECT_EQ(result.outcome, PortScanOutcome::Cancelled) << result.port;
  }
  for (auto* server : {&first, &second}) {
    const std::string sent = Sent(*server);
    EXPECT_TRUE(sent.ends_with("ATE\r")) << sent;
    EXPECT_FALSE(server->InCommandMode(sim::kServerSlot));
    EXPECT_FALSE(server->InCommandMode(sim::kClientSlot));
    // Closed: the port opens again at once.
    CSerialPort again;
    again.SetParams(server == &first ? 27 : 28, 38400);
    EXPECT_EQ(again.Open(), kPortOk);
    again.Close();
  }
}

// Cancel in the Find Radios window stops the real scan at once, and the
// radio it caught in command mode gets its exit.
TEST_F(ScanOnPty, CancelInFindRadiosStopsTheScanAndEveryRadioLeavesCommandMode) {
  sim::PairConfig slow = sim::DefaultPairConfig();
  slow.server.speed = slow.client.speed = 38400;
  slow.server.replyDelayMs = slow.client.replyDelayMs = 150;
  auto& pair = ServeAt(41, slow);
  ui::headless::HeadlessToolkit toolkit;
  auto services = ui::MakeSystemServices(toolkit);
  services->loadSettings = [] { return AdvancedSettings{}; };
  std::chrono::steady_clock::duration cancelTook{};
  toolkit.OnDialog(ui::kFindRadiosDialogId, [&](ui::headless::HeadlessDialog& find) {
    for (int i = 0; i < 2000 && !pair.InCommandMode(sim::kServerSlot); ++i) usleep(5000);
    ASSERT_TRUE(pair.InCommandMode(sim::kServerSlot));
    find.FireTimer(ui::CFindRadiosDlg::kRefreshTimer);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(find.PressEscape());
    cancelTook = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(find.Ended());
  });
  toolkit.OnDialog(ui::kMainDialogId, [&](ui::headless::HeadlessDialog& main) {
    main.SystemMenu(ui::kSystemMenuFindRadios);
  });
  ui::CConfiguratorApp(*services).Run();
  // Half a second on a quiet machine; generous here for a loaded one.
  EXPECT_LT(cancelTook, std::chrono::seconds(3));
  const std::string sent = Sent(pair);
  EXPECT_TRUE(sent.ends_with("ATE\r")) << sent;
  EXPECT_FALSE(pair.InCommandMode(sim::kServerSlot));
  EXPECT_FALSE(pair.InCommandMode(sim::kClientSlot));
}

}  // namespace
}  // namespace zorveth::testing
