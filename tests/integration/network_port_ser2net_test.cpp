// The network port against Debian's ser2net serving a simulated radio pair:
// every operation end to end, as on the pty itself.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "link/configure.h"
#include "link/initialize.h"
#include "link/settings_poll.h"
#include "port/network_port.h"
#include "port/serial_port.h"
#include "tests/integration/loopback_server.h"
#include "tests/integration/simulated_link.h"
#include "tests/integration/through_ser2net.h"
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
