// The Signal Monitor window, sampling on its worker a fake pair on a fake
// clock of the worker's own.
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/settings/temp_dir.h"
#include "tests/ui/dialog_test_fixture.h"
#include "ui/signal_monitor_dlg.h"
#include "ui/text_export.h"

namespace zorveth::ui::testing {
namespace {

using namespace std::chrono_literals;
using Values = std::vector<std::optional<double>>;

class SignalMonitorDialogTest : public DialogTest {
 protected:
  SignalMonitorDialogTest() {
    pairClient.escape = "+C\r";
    services.startSignalMonitor = [this](const std::string& port) {
      monitoredPort = port;
      auto device = std::make_unique<FakeSerialPort>(pairClock);
      // The Server's signal takes the next value at each of its escapes.
      device->SetResponder([this](FakeSerialPort& p, const std::string& bytes, std::uint32_t at) {
        if (bytes == "+S\r" && at == pairServer.speed) {
          pairServer.registers["S"] = std::to_string(kCycle[escapes++ % kCycle.size()]);
        }
        pairServer.Hear(p, bytes, at);
        pairClient.Hear(p, bytes, at);
      });
      return std::make_unique<SignalSampling>(std::move(device), pairClock, 3, settings);
    };
  }
  // Fires the refresh timer until the sampling has ended (the timer
  // stopped), or the time is up.
  static bool RefreshUntilDone(HeadlessDialog& monitor) {
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < limit) {
      if (!monitor.FireTimer(CSignalMonitorDlg::kRefreshTimer)) return true;
      std::this_thread::sleep_for(1ms);
    }
    return false;
  }
  void MonitorWith(HeadlessToolkit::DialogScript script) {
    toolkit.OnDialog(kSignalMonitorDialogId, std::move(script));
    RunApp([&](HeadlessDialog& main) { ASSERT_TRUE(main.SystemMenu(kSystemMenuSignalMonitor)); });
  }

  static constexpr std::array<int, 3> kCycle = {80, 75, 90};
  FakeClock pairClock;
  FakeRadio pairServer;
  FakeRadio pairClient;
  std::size_t escapes = 0;
  MonitorSettings settings{0, 3};
  std::string monitoredPort;
};

TEST_F(SignalMonitorDialogTest, StartSamplesBothRadiosIntoThePlotAndSavesThemAsCsv) {
  zorveth::testing::TempDir dir;
  const auto path = dir.path() / "signal.csv";
  toolkit.AnswerSaveFile(path.string());
  MonitorWith([&](HeadlessDialog& monitor) {
    EXPECT_FALSE(monitor.Enabled(kSignalMonitorStop));
    EXPECT_FALSE(monitor.Enabled(kSignalMonitorSaveData));
    // On the fake clock the three rounds may be over before Start returns.
    ASSERT_TRUE(monitor.Click(kSignalMonitorStart));
    ASSERT_TRUE(RefreshUntilDone(monitor));
    const std::vector<PlotSeries> plot = monitor.Plot(kSignalMonitorPlot);
    ASSERT_EQ(plot.size(), 2u);
    EXPECT_EQ(plot[0], (PlotSeries{"Server 90", Values{80, 75, 90}}));
    EXPECT_EQ(plot[1], (PlotSeries{"Client 87", Values{87, 87, 87}}));
    EXPECT_EQ(monitor.Text(kSignalMonitorServerValue), "90");
    EXPECT_EQ(monitor.Text(kSignalMonitorServerRange), "min 75  max 90  0 lost");
    EXPECT_EQ(monitor.Text(kSignalMonitorClientValue), "87");
    EXPECT_EQ(monitor.Text(kSignalMonitorStatus), "Stopped after 3 rounds.");
    EXPECT_TRUE(monitor.Enabled(kSignalMonitorStart));
    EXPECT_FALSE(monitor.Enabled(kSignalMonitorStop));
    ASSERT_TRUE(monitor.Click(kSignalMonitorSaveData));
  });
  EXPECT_EQ(monitoredPort, "COM3");
  std::ifstream in(path, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  const std::string end = NativeLineEnd();
  EXPECT_TRUE(text.starts_with("time,role,signalStrength" + end)) << text;
  EXPECT_NE(text.find(",Server,75" + end), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
  EXPECT_TRUE(toolkit.Messages().empty());
}

TEST_F(SignalMonitorDialogTest, StopAndCloseLeaveBothRadiosOutOfCommandMode) {
  settings.rounds.reset();  // until stopped
  MonitorWith([&](HeadlessDialog& monitor) {
    ASSERT_TRUE(monitor.Click(kSignalMonitorStart));
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (monitor.Plot(kSignalMonitorPlot).size() < 2 &&
           std::chrono::steady_clock::now() < limit) {
      monitor.FireTimer(CSignalMonitorDlg::kRefreshTimer);
      std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(monitor.Click(kSignalMonitorStop));
    EXPECT_FALSE(pairServer.inCommandMode);
    EXPECT_FALSE(pairClient.inCommandMode);
    EXPECT_FALSE(monitor.FireTimer(CSignalMonitorDlg::kRefreshTimer));
    EXPECT_TRUE(monitor.Enabled(kSignalMonitorStart));
    EXPECT_TRUE(monitor.Enabled(kSignalMonitorSaveData));
    EXPECT_FALSE(monitor.Plot(kSignalMonitorPlot)[0].values.empty());
    // Closing while it samples stops it the same way.
    ASSERT_TRUE(monitor.Click(kSignalMonitorStart));
    ASSERT_TRUE(monitor.PressEscape());
    EXPECT_TRUE(monitor.Ended());
  });
  EXPECT_FALSE(pairServer.inCommandMode);
  EXPECT_FALSE(pairClient.inCommandMode);
  EXPECT_GT(escapes, 2u);
}

}  // namespace
}  // namespace zorveth::ui::testing
