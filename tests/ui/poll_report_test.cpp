// The poll report outside the list: scrolling to the newest report, the
// list's context menu (Copy All, Save Report...) and its copy keys.
#include <fstream>
#include <iterator>

#include "tests/settings/temp_dir.h"
#include "tests/ui/dialog_test_fixture.h"
#include "ui/text_export.h"

namespace zorveth::ui::testing {
namespace {

using zorveth::testing::TempDir;

class PollReportTest : public DialogTest {
 protected:
  // Runs the poll dialog with script, opened from the main dialog.
  void RunPoll(HeadlessToolkit::DialogScript script) {
    toolkit.OnDialog(kPollDialogId, std::move(script));
    RunApp([](HeadlessDialog& main) { main.Click(kPollInformationButton); });
  }
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Joined(const Lines& lines, const std::string& end) {
  std::string text;
  for (const auto& line : lines) text += line + end;
  return text;
}

TEST_F(PollReportTest, EachNewReportIsScrolledIntoViewFromItsFirstLine) {
  RunPoll([&](HeadlessDialog& dialog) {
    EXPECT_EQ(dialog.ScrolledTo(kResultList), -1);  // nothing moves on its own
    dialog.Click(kPollServerButton);
    EXPECT_EQ(dialog.ScrolledTo(kResultList), 0);
    dialog.Click(kPollBothButton);
    // Its last line was brought into view first, then its first line.
    EXPECT_EQ(dialog.ScrolledTo(kResultList), 11);
    server.powered = false;
    client.powered = false;
    dialog.Click(kPollBothButton);  // a failed poll adds nothing and leaves the view
    EXPECT_EQ(dialog.ScrolledTo(kResultList), 11);
  });
  EXPECT_EQ(toolkit.MessageTexts(), (Lines{"Polling Failed"}));
}

TEST_F(PollReportTest, TheListOffersCopyAllAndSaveReport) {
  RunPoll([&](HeadlessDialog& dialog) {
    const std::vector<MenuItem> menu = dialog.ContextMenuItems(kResultList);
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[0].text, "Copy &All");
    EXPECT_EQ(menu[0].id, kPollMenuCopyAll);
    EXPECT_EQ(menu[1].text, "&Save Report...");
    EXPECT_EQ(menu[1].id, kPollMenuSaveReport);
    EXPECT_TRUE(dialog.ContextMenuItems(kPollBothButton).empty());
  });
}

TEST_F(PollReportTest, CopyAllPutsEveryLineOnTheClipboardAndAnEmptyListLeavesItAlone) {
  RunPoll([&](HeadlessDialog& dialog) {
    ASSERT_TRUE(dialog.ContextMenu(kResultList, kPollMenuCopyAll));
    EXPECT_EQ(toolkit.ClipboardWrites(), 0);
    dialog.Click(kPollServerButton);
    dialog.Click(kPollClientButton);
    ASSERT_TRUE(dialog.ContextMenu(kResultList, kPollMenuCopyAll));
    EXPECT_EQ(toolkit.ClipboardText(), Joined(dialog.Entries(kResultList), "\n"));
    EXPECT_EQ(dialog.Entries(kResultList).size(), 22u);
  });
}

TEST_F(PollReportTest, CopyKeysTakeTheSelectedLineOrAfterSelectAllEveryLine) {
  RunPoll([&](HeadlessDialog& dialog) {
    ASSERT_TRUE(dialog.PressShortcut(kResultList, ControlShortcut::Copy));  // nothing selected
    EXPECT_EQ(toolkit.ClipboardWrites(), 0);
    dialog.Click(kPollServerButton);
    const Lines lines = dialog.Entries(kResultList);

    ASSERT_TRUE(dialog.SelectLine(kResultList, 3));
    dialog.PressShortcut(kResultList, ControlShortcut::Copy);
    EXPECT_EQ(toolkit.ClipboardText(), lines[3]);

    dialog.PressShortcut(kResultList, ControlShortcut::SelectAll);
    EXPECT_EQ(dialog.Selection(kResultList), -1);  // no single line stands out
    dialog.PressShortcut(kResultList, ControlShortcut::Copy);
    EXPECT_EQ(toolkit.ClipboardText(), Joined(lines, "\n"));

    // Picking a line again ends "all".
    dialog.SelectLine(kResultList, 5);
    dialog.PressShortcut(kResultList, ControlShortcut::Copy);
    EXPECT_EQ(toolkit.ClipboardText(), lines[5]);

    // Clear ends it too: nothing is left to copy.
    dialog.PressShortcut(kResultList, ControlShortcut::SelectAll);
    dialog.Click(kClearInformationButton);
    const int writes = toolkit.ClipboardWrites();
    dialog.PressShortcut(kResultList, ControlShortcut::Copy);
    EXPECT_EQ(toolkit.ClipboardWrites(), writes);
  });
}

TEST_F(PollReportTest, SaveReportWritesEveryLineWithThePlatformsLineEnds) {
  TempDir dir;
  const auto path = dir.path() / "report.txt";
  toolkit.AnswerSaveFile(path.string());
  RunPoll([&](HeadlessDialog& dialog) {
    dialog.Click(kPollBothButton);
    ASSERT_TRUE(dialog.ContextMenu(kResultList, kPollMenuSaveReport));
    EXPECT_EQ(ReadFile(path), Joined(dialog.Entries(kResultList), NativeLineEnd()));
  });
  ASSERT_EQ(toolkit.SaveFileRequests().size(), 1u);
  EXPECT_EQ(toolkit.SaveFileRequests()[0].title, "Save Report");
  EXPECT_EQ(toolkit.SaveFileRequests()[0].defaultExtension, "txt");
  EXPECT_TRUE(toolkit.Messages().empty());
}

TEST_F(PollReportTest, CancelledSaveWritesNothingAndAFailedOneSaysSo) {
  TempDir dir;
  const auto unwritable = dir.path() / "no-such-folder" / "report.txt";
  toolkit.AnswerSaveFile(std::nullopt);
  toolkit.AnswerSaveFile(unwritable.string());
  RunPoll([&](HeadlessDialog& dialog) {
    dialog.Click(kPollServerButton);
    dialog.ContextMenu(kResultList, kPollMenuSaveReport);
    EXPECT_TRUE(toolkit.Messages().empty());
    dialog.ContextMenu(kResultList, kPollMenuSaveReport);
    EXPECT_FALSE(dialog.Ended());
    EXPECT_EQ(dialog.Entries(kResultList).size(), 11u);  // the report is still there
  });
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  ASSERT_EQ(toolkit.Messages().size(), 1u);
  EXPECT_EQ(toolkit.Messages()[0].text, "Unable to Save Report\n" + unwritable.string());
  EXPECT_EQ(toolkit.Messages()[0].ownerTemplateId, kPollDialogId);
}

}  // namespace
}  // namespace zorveth::ui::testing
