#include <gtest/gtest.h>

#include <set>

#include "link/command_mode.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_serial_port.h"
#include "ui/dialog.h"
#include "ui/pumping_clock.h"
#include "ui/templates/templates.h"
#include "ui/toolkit/headless/headless_dialog.h"
#include "ui/toolkit/headless/headless_toolkit.h"

namespace zorveth::ui {
namespace {

using headless::HeadlessDialog;
using headless::HeadlessToolkit;
using Lines = std::vector<std::string>;

// A dialog with one editable combo, to exercise the shared prefix search.
class ComboSearchTest : public ::testing::Test {
 protected:
  ComboSearchTest() {
    ControlTemplate combo;
    combo.kind = ControlKind::ComboBox;
    combo.id = 7;
    combo.style = control_style::kDropDownList;
    combo.initialEntries = {"COM1", "COM10", "COM2", "com12"};
    dialogTemplate.id = 1;
    dialogTemplate.controls = {combo};
  }
  int Search(int start, const std::string& prefix) {
    int found = -2;
    toolkit.OnDialog(1, [&](HeadlessDialog& dialog) {
      toolkit.ComboSelect(dialog.Handle(), 7, 2);
      found = ComboSelectByPrefix(toolkit, dialog.Handle(), 7, start, prefix);
      selected = dialog.Selection(7);
    });
    CDialog(toolkit, dialogTemplate).DoModal();
    return found;
  }

  HeadlessToolkit toolkit;
  DialogTemplate dialogTemplate;
  int selected = -1;
};

TEST_F(ComboSearchTest, SearchesAfterTheStartThenWrapsRoundIgnoringCase) {
  EXPECT_EQ(Search(0, "COM1"), 1);
  EXPECT_EQ(Search(1, "COM1"), 3);  // "com12"
  EXPECT_EQ(Search(3, "com1"), 0);  // wrapped to the top
  EXPECT_EQ(Search(0, "COM1"), 1);
  EXPECT_EQ(Search(-1, "COM1"), 0);
  EXPECT_EQ(Search(0, "com1"), 1);
  EXPECT_EQ(selected, 1);
}

TEST_F(ComboSearchTest, TheStartEntryItselfIsTriedLast) {
  EXPECT_EQ(Search(2, "COM2"), 2);
  EXPECT_EQ(Search(0, "COM1 "), -1);
}

TEST_F(ComboSearchTest, NoMatchLeavesTheSelection) {
  EXPECT_EQ(Search(0, "57600"), -1);
  EXPECT_EQ(selected, 2);
}

TEST(HeadlessToolkitTest, AForgottenDialogEndsAsCancelledAndScriptsAreUsedInTurn) {
  HeadlessToolkit toolkit;
  DialogTemplate dialogTemplate;
  dialogTemplate.id = 5;
  int runs = 0;
  toolkit.OnDialog(5, [&](HeadlessDialog&) { ++runs; });
  toolkit.OnDialog(5, [&](HeadlessDialog& dialog) {
    ++runs;
    dialog.PressEnter();  // no default button: OK
  });
  CDialog dialog(toolkit, dialogTemplate);
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(dialog.Handle(), kNoWindow);
  EXPECT_EQ(toolkit.ForcedEnds(), 0);
}

TEST(HeadlessToolkitTest, DisabledOrHiddenControlsAndEndedDialogsTakeNoInput) {
  HeadlessToolkit toolkit;
  toolkit.OnDialog(kPollDialogId, [&](HeadlessDialog& dialog) {
    toolkit.EnableControl(dialog.Handle(), kPollBothButton, false);
    EXPECT_FALSE(dialog.Click(kPollBothButton));
    toolkit.ShowControl(dialog.Handle(), kClearInformationButton, false);
    EXPECT_FALSE(dialog.Click(kClearInformationButton));
    EXPECT_FALSE(dialog.Click(kResultList));  // not a button
    EXPECT_TRUE(dialog.Click(kIdCancel));
    EXPECT_FALSE(dialog.Click(kPollServerButton));  // already ended
  });
  CDialog(toolkit, PollDialogTemplate()).DoModal();
}

TEST(HeadlessToolkitTest, MessageBoxesAreCaptionedAndOwnedByTheActiveDialog) {
  HeadlessToolkit toolkit("Zorveth");
  toolkit.OnDialog(kAboutDialogId, [&](HeadlessDialog&) { toolkit.MessageBox(kNoWindow, "hi"); });
  CDialog(toolkit, AboutDialogTemplate()).DoModal();
  toolkit.MessageBox(kNoWindow, "alone");
  ASSERT_EQ(toolkit.Messages().size(), 2u);
  EXPECT_EQ(toolkit.Messages()[0].caption, "Zorveth");
  EXPECT_EQ(toolkit.Messages()[0].ownerTemplateId, kAboutDialogId);
  EXPECT_EQ(toolkit.Messages()[1].ownerTemplateId, 0);
}

TEST(PumpingClockTest, PumpsAtMostOncePerIntervalWhileTimeIsRead) {
  zorveth::testing::FakeClock inner;
  int pumps = 0;
  PumpingClock clock(inner, [&] { ++pumps; });
  clock.NowMs();
  EXPECT_EQ(pumps, 1);
  inner.Advance(29);
  clock.NowMs();
  EXPECT_EQ(pumps, 1);
  inner.Advance(1);
  EXPECT_EQ(clock.NowMs(), inner.NowMs());
  EXPECT_EQ(pumps, 2);
}

TEST(PumpingClockTest, LongSleepsAreSlicedSoTheWindowsKeepRepainting) {
  zorveth::testing::FakeClock inner;
  int pumps = 0;
  PumpingClock clock(inner, [&] { ++pumps; });
  clock.SleepMs(1000);
  EXPECT_EQ(inner.Slept(), 1000u);
  EXPECT_EQ(pumps, 33);  // after each 30 ms slice; the short last one comes too soon
  clock.SleepMs(0);
  EXPECT_EQ(inner.Slept(), 1000u);
}

// A repaint that takes longer than the time left to a reply's deadline: the
// reply that arrived meanwhile is still read whole, however long the pump.
TEST(PumpingClockTest, AReplyThatArrivedDuringALongRepaintIsStillRead) {
  for (std::uint64_t pumpMs : {0u, 100u, 1000u, 60000u}) {
    zorveth::testing::FakeClock inner;
    zorveth::testing::FakeSerialPort port(inner);
    port.SetParams(3, 9600);
    port.Open();
    port.Send("Write successful\n\r", 350);
    const std::uint64_t start = inner.NowMs();
    bool slowPumpDone = false;
    PumpingClock clock(inner, [&] {
      // The one slow repaint comes 300 ms in, 100 ms before the deadline.
      if (!slowPumpDone && inner.NowMs() - start >= 300) {
        slowPumpDone = true;
        inner.Advance(pumpMs);
      }
    });
    EXPECT_EQ(ReadLine(port, clock, 400), "Write successful\n\r") << pumpMs;
  }
}

TEST(TemplatesTest, EveryDialogHasItsIdTitleAndDistinctControlIds) {
  const std::pair<int, const char*> dialogs[] = {{100, "Skelvar Radio Configurator"},
                                                 {102, "Skelvar Configurator"},
                                                 {135, "Poll Result Dialog"},
                                                 {137, "Radio Initialization Dialog"},
                                                 {138, "Warning!!!"},
                                                 {139, ""},
                                                 {140, ""},
                                                 {141, "Advanced Settings"}};
  for (const auto& [id, title] : dialogs) {
    const DialogTemplate* dialog = FindDialogTemplate(id);
    ASSERT_NE(dialog, nullptr) << id;
    EXPECT_EQ(dialog->title, title);
    EXPECT_EQ(dialog->fontName, "MS Sans Serif");
    EXPECT_EQ(dialog->fontPointSize, 8);
    std::set<int> ids;
    for (const auto& control : dialog->controls) {
      if (control.id == -1) continue;
      EXPECT_TRUE(ids.insert(control.id).second) << id << "/" << control.id;
    }
  }
  EXPECT_EQ(FindDialogTemplate(101), nullptr);
  EXPECT_EQ(LoadResourceString(101), "&About Zorveth...");
}

TEST(TemplatesTest, TheInitializationWarningKeepsItsSpacing) {
  const std::string text = InitRadioDialogTemplate().FindControl(kInitWarningText)->text;
  EXPECT_NE(text.find("shut off.\n 2.  Settings are correct."), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 13), ".            ");
}

TEST(TemplatesTest, TheMainMenuAndTheEditableChannelList) {
  const DialogTemplate& main = MainDialogTemplate();
  EXPECT_EQ(main.menuId, 131);
  ASSERT_EQ(main.menu.size(), 4u);
  EXPECT_EQ(main.menu[3].text, "&About");
  EXPECT_EQ(main.menu[3].id, kMenuAbout);
  EXPECT_EQ(main.menu[1].items.at(0).id, kMenuSettings);
  EXPECT_NE(main.FindControl(kChannelList)->style & control_style::kDropDown, 0u);
  EXPECT_NE(main.FindControl(kComPortList)->style & control_style::kDropDownList, 0u);
  const Lines& channels = main.FindControl(kChannelList)->initialEntries;
  ASSERT_EQ(channels.size(), 41u);
  EXPECT_EQ(channels[0], "4");
  EXPECT_EQ(channels[31], "65");
  EXPECT_EQ(channels[32], "66");
  EXPECT_EQ(channels.back(), "74");
}

TEST(TemplatesTest, TheIconComesInTheDesktopSizesWithClearCorners) {
  const IconResource& icon = ApplicationIcon();
  EXPECT_EQ(icon.id, 136);
  std::vector<int> sizes;
  for (const auto& image : icon.images) {
    sizes.push_back(image.size);
    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(image.size * image.size));
    EXPECT_EQ(image.pixels.front() >> 24, 0u);  // rounded corner
    const auto centre = static_cast<std::size_t>(image.size / 2 * image.size + image.size / 2);
    EXPECT_EQ(image.pixels[centre] >> 24, 255u);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));
  EXPECT_EQ(icon.Best(20)->size, 32);
  EXPECT_EQ(icon.Best(512)->size, 256);
}

}  // namespace
}  // namespace zorveth::ui
