// The main dialog's extras beside "About": Save Wire Log... and Find
// Radios..., with the hooks the application wires.
#include <fstream>
#include <iterator>

#include "tests/settings/temp_dir.h"
#include "tests/ui/dialog_test_fixture.h"
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

TEST_F(MainExtrasTest, FindRadiosSelectsTheFirstPortFoundAndSaysWhatWasFound) {
  portNames = {"COM1", "COM3", "COM5 (ttyUSB0)"};
  FindRadiosRequest seen;
  int waitCursorDuringSearch = 0;
  services.findRadios = [&](const FindRadiosRequest& request) {
    seen = request;
    waitCursorDuringSearch = toolkit.WaitCursorDepth();
    request.keepRepainting();
    return FindRadiosResult{{{"COM5 (ttyUSB0)", RadioRole::Server, 9600},
                             {"COM5 (ttyUSB0)", RadioRole::Client, 9600},
                             {"COM1", RadioRole::Client, 19200}}};
  };
  RunApp([&](HeadlessDialog& main) {
    EXPECT_EQ(main.Text(kComPortList), "COM3");
    const int pumps = toolkit.PumpCount();
    ASSERT_TRUE(main.SystemMenu(kSystemMenuFindRadios));
    EXPECT_EQ(toolkit.PumpCount(), pumps + 1);
    EXPECT_EQ(main.Text(kComPortList), "COM5 (ttyUSB0)");
  });
  EXPECT_EQ(seen.ports, (Lines{"COM1", "COM3", "COM5 (ttyUSB0)"}));
  EXPECT_EQ(waitCursorDuringSearch, 1);
  EXPECT_EQ(toolkit.WaitCursorDepth(), 0);
  ASSERT_EQ(toolkit.Messages().size(), 1u);
  EXPECT_EQ(toolkit.Messages()[0].text,
            "Server at 9600 baud and Client at 9600 baud on COM5 (ttyUSB0)\n"
            "Client at 19200 baud on COM1");
  EXPECT_EQ(toolkit.Messages()[0].waitCursorDepth, 0);  // the search is over
}

TEST_F(MainExtrasTest, FindRadiosWithNothingFoundLeavesThePortAlone) {
  for (bool hookSet : {true, false}) {
    SCOPED_TRACE(hookSet);
    toolkit.OnMessage({});
    if (!hookSet) services.findRadios = nullptr;
    RunApp([&](HeadlessDialog& main) {
      main.SystemMenu(kSystemMenuFindRadios);
      EXPECT_EQ(main.Text(kComPortList), "COM3");
    });
    EXPECT_EQ(toolkit.MessageTexts().back(), "No radios found");
  }
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
