// The main dialog's extras beside "About": Save Wire Log... and Find
// Radios..., with the hooks the application wires.
#include <fstream>
#include <iterator>

#include "tests/settings/temp_dir.h"
#include "tests/ui/dialog_test_fixture.h"
#include "ui/find_radios_dlg.h"
#include "ui/radio_search.h"
#include "ui/text_export.h"

namespace zorveth::ui::testing {
namespace {

using MainExtrasTest = DialogTest;
using zorveth::testing::TempDir;

TEST_F(MainExtrasTest, SaveWireLogWritesTheHooksTextOnlyOnceAFileIsChosen) {
  TempDir dir;
  const auto path = dir.path() / "wire.txt";
  int asked = 0;
  services.wireLogText = [&] {
    ++asked;
    return std::string("12:00:00.000 > +++\n12:00:01.000 < OK\n");
  };
  toolkit.AnswerSaveFile(std::nullopt);
  toolkit.AnswerSaveFile(path.string());
  RunApp([&](HeadlessDialog& main) {
    ASSERT_TRUE(main.SystemMenu(kSystemMenuSaveWireLog));
    EXPECT_EQ(asked, 0);  // cancelled: the log is not even read
    ASSERT_TRUE(main.SystemMenu(kSystemMenuSaveWireLog));
  });
  EXPECT_EQ(asked, 1);
  std::ifstream in(path, std::ios::binary);
  const std::string end = NativeLineEnd();
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            "12:00:00.000 > +++" + end + "12:00:01.000 < OK" + end);
  EXPECT_EQ(toolkit.SaveFileRequests().at(1).title, "Save Wire Log");
  EXPECT_TRUE(toolkit.Messages().empty());
  EXPECT_EQ(written, "");
}

TEST_F(MainExtrasTest, SaveWireLogThatCannotBeWrittenSaysSo) {
  TempDir dir;
  const auto path = dir.path() / "missing" / "wire.txt";
  services.wireLogText = nullptr;  // unset: an empty log
  toolkit.AnswerSaveFile(path.string());
  RunApp([&](HeadlessDialog& main) { main.SystemMenu(kSystemMenuSaveWireLog); });
  EXPECT_EQ(toolkit.MessageTexts(), (Lines{"Unable to Save Wire Log\n" + path.string()}));
}

// A search the test moves on by hand; what it is told outlives it.
struct SearchState {
  std::vector<std::string> statuses;
  bool done = false;
  bool cancelled = false;
  int resultsTaken = 0;
  std::vector<PortScanResult> results;
};

class FakeSearch : public RadioSearch {
 public:
  explicit FakeSearch(SearchState& state) : m_state(state) {}
  std::vector<std::string> Statuses() override { return m_state.statuses; }
  bool Done() override { return m_state.done; }
  void Cancel() override { m_state.cancelled = true; }
  std::vector<PortScanResult> Results() override {
    ++m_state.resultsTaken;
    return m_state.results;
  }

 private:
  SearchState& m_state;
};

PortScanResult PortResult(const std::string& port, PortScanOutcome outcome,
                          std::vector<std::pair<RadioRole, std::uint32_t>> radios = {}) {
  PortScanResult result;
  result.port = port;
  result.outcome = outcome;
  for (const auto& [role, speed] : radios) {
    RadioOutcome radio;
    radio.role = role;
    radio.answeredAt = speed;
    radio.registers = {{"C", 67}, {"M", role == RadioRole::Server ? 1 : 2}, {"ID", 111}};
    result.radios.push_back(radio);
  }
  return result;
}

class FindRadiosTest : public DialogTest {
 protected:
  FindRadiosTest() {
    portNames = {"COM1", "COM3", "COM5 (ttyUSB0)"};
    services.startRadioSearch = [this](const std::vector<std::string>& ports) {
      searched = ports;
      search.statuses.assign(ports.size(), "waiting...");
      return std::make_unique<FakeSearch>(search);
    };
  }
  // Runs Find Radios from the main dialog with this script for its window;
  // the port the main dialog shows afterwards.
  std::string FindWith(HeadlessToolkit::DialogScript script) {
    toolkit.OnDialog(kFindRadiosDialogId, std::move(script));
    std::string port;
    RunApp([&](HeadlessDialog& main) {
      main.SystemMenu(kSystemMenuFindRadios);
      port = main.Text(kComPortList);
    });
    return port;
  }

  Lines searched;
  SearchState search;
};

TEST_F(FindRadiosTest, ShowsEachPortAsItGoesThenEveryResultAndTakesTheChosenPort) {
  const std::string port = FindWith([&](HeadlessDialog& find) {
    EXPECT_EQ(find.Entries(kFindRadiosList),
              (Lines{"COM1  waiting...", "COM3  waiting...", "COM5 (ttyUSB0)  waiting..."}));
    EXPECT_EQ(find.Text(kFindRadiosStatus), "Searching 3 ports for radios... (Cancel stops)");
    EXPECT_FALSE(find.Enabled(kIdOk));
    search.statuses[1] = "searching 9600 baud...";
    ASSERT_TRUE(find.FireTimer(CFindRadiosDlg::kRefreshTimer));
    EXPECT_EQ(find.Entries(kFindRadiosList)[1], "COM3  searching 9600 baud...");
    find.PressEnter();  // nothing to take yet
    EXPECT_FALSE(find.Ended());

    search.results = {PortResult("COM1", PortScanOutcome::Found, {{RadioRole::Client, 19200}}),
                      PortResult("COM3", PortScanOutcome::Busy),
                      PortResult("COM5 (ttyUSB0)", PortScanOutcome::Found,
                                 {{RadioRole::Server, 9600}, {RadioRole::Client, 9600}})};
    search.done = true;
    ASSERT_TRUE(find.FireTimer(CFindRadiosDlg::kRefreshTimer));
    EXPECT_EQ(find.Entries(kFindRadiosList),
              (Lines{"COM1  Client at 19200 baud, channel 67, system ID 111", "COM3  busy",
                     "COM5 (ttyUSB0)  Server at 9600 baud, channel 67, system ID 111; Client at "
                     "9600 baud, channel 67, system ID 111"}));
    EXPECT_EQ(find.Text(kFindRadiosStatus),
              "Client at 19200 baud on COM1\n"
              "Server at 9600 baud and Client at 9600 baud on COM5 (ttyUSB0)");
    EXPECT_EQ(find.Selection(kFindRadiosList), 0);
    EXPECT_FALSE(find.FireTimer(CFindRadiosDlg::kRefreshTimer));  // stopped
    // A port without radios is not taken; the one with the pair is.
    find.SelectLine(kFindRadiosList, 1);
    EXPECT_TRUE(find.PressEnter());
    EXPECT_FALSE(find.Ended());
    find.SelectLine(kFindRadiosList, 2);
    EXPECT_TRUE(find.Click(kIdOk));
    EXPECT_TRUE(find.Ended());
  });
  EXPECT_EQ(port, "COM5 (ttyUSB0)");
  EXPECT_EQ(searched, (Lines{"COM1", "COM3", "COM5 (ttyUSB0)"}));
  EXPECT_TRUE(toolkit.Messages().empty());
}

TEST_F(FindRadiosTest, CancelStopsTheSearchAndLeavesThePortAlone) {
  const std::string port = FindWith([&](HeadlessDialog& find) {
    EXPECT_TRUE(find.PressEscape());
    EXPECT_TRUE(find.Ended());
  });
  EXPECT_EQ(port, "COM3");
  EXPECT_TRUE(search.cancelled);
  EXPECT_EQ(search.resultsTaken, 1);  // waited for the workers to end
}

TEST_F(FindRadiosTest, WithoutASearchItSaysNoRadiosFound) {
  services.startRadioSearch = nullptr;
  const std::string port = FindWith([&](HeadlessDialog& find) {
    EXPECT_EQ(find.Text(kFindRadiosStatus), "No radios found");
    EXPECT_FALSE(find.Enabled(kIdOk));
  });
  EXPECT_EQ(port, "COM3");
  EXPECT_EQ(written, "");
}

TEST(FoundRadiosMessage, OneLinePerPortInTheOrderFound) {
  struct Case {
    FindRadiosResult result;
    std::string message;
  };
  const Case cases[] = {
      {{}, "No radios found"},
      {{{{"COM2", RadioRole::Client, 38400}}}, "Client at 38400 baud on COM2"},
      {{{{"COM5", RadioRole::Server, 9600}, {"COM5", RadioRole::Client, 9600}}},
       "Server at 9600 baud and Client at 9600 baud on COM5"},
      {{{{"COM7", RadioRole::Server, 2400},
         {"COM2", RadioRole::Server, 19200},
         {"COM7", RadioRole::Client, 4800}}},
       "Server at 2400 baud and Client at 4800 baud on COM7\nServer at 19200 baud on COM2"},
  };
  for (const Case& c : cases) EXPECT_EQ(DescribeFoundRadios(c.result), c.message);
}

}  // namespace
}  // namespace zorveth::ui::testing
