#include "tests/ui/dialog_test_fixture.h"

namespace zorveth::ui::testing {
namespace {

// The main dialog run directly, so its settings can be read afterwards.
class AdvancedDialogTest : public DialogTest {
 protected:
  // Opens "&Settings" once in the main dialog and runs script in it.
  void RunSettings(HeadlessToolkit::DialogScript script) {
    toolkit.OnDialog(kAdvancedDialogId, std::move(script));
    toolkit.OnDialog(kMainDialogId,
                     [](HeadlessDialog& main) { EXPECT_TRUE(main.Menu(kMenuSettings)); });
    main.DoModal();
  }
  static void Fill(HeadlessDialog& dialog, const char* packet, const char* retries,
                   const char* id) {
    EXPECT_TRUE(dialog.Type(kPacketLengthEdit, packet));
    EXPECT_TRUE(dialog.Type(kRetryNumberEdit, retries));
    EXPECT_TRUE(dialog.Type(kSystemIdEdit, id));
  }
  void ExpectMainSettings(std::int32_t packet, std::int32_t retries, std::int32_t id) {
    EXPECT_EQ(main.Settings().fixedPacketLength, packet);
    EXPECT_EQ(main.Settings().retryNumber, retries);
    EXPECT_EQ(main.Settings().systemIdentification, id);
  }

  CConfiguratorDlg main{services};
};

TEST_F(AdvancedDialogTest, ShowsTheValuesAsTheyAreEvenOutOfRange) {
  storedSettings = {500, 999, 0};
  RunSettings([&](HeadlessDialog& dialog) {
    EXPECT_EQ(dialog.Title(), "Advanced Settings");
    EXPECT_EQ(dialog.Text(kPacketLengthEdit), "500");
    EXPECT_EQ(dialog.Text(kRetryNumberEdit), "999");
    EXPECT_EQ(dialog.Text(kSystemIdEdit), "0");
    dialog.Click(kApplyButton);
    EXPECT_FALSE(dialog.Ended());
  });
  EXPECT_EQ(toolkit.MessageTexts(), Lines{"Retry Number has to be between 0 - 255"});
}

TEST_F(AdvancedDialogTest, ApplyAcceptsTheUpperLimitsSavesAndCloses) {
  RunSettings([&](HeadlessDialog& dialog) {
    Fill(dialog, "2047", "255", "65535");
    EXPECT_TRUE(dialog.Click(kApplyButton));
    EXPECT_TRUE(dialog.Ended());
  });
  EXPECT_TRUE(toolkit.Messages().empty());
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(storedSettings.fixedPacketLength, 2047);
  EXPECT_EQ(storedSettings.retryNumber, 255);
  EXPECT_EQ(storedSettings.systemIdentification, 65535);
  ExpectMainSettings(2047, 255, 65535);
}

TEST_F(AdvancedDialogTest, EmptyFieldsCountAsZero) {
  RunSettings([&](HeadlessDialog& dialog) {
    Fill(dialog, "", "", "");
    dialog.Click(kApplyButton);
  });
  EXPECT_TRUE(toolkit.Messages().empty());
  ExpectMainSettings(0, 0, 0);
}

TEST_F(AdvancedDialogTest, EachValueOverItsLimitIsRefusedInOrder) {
  RunSettings([&](HeadlessDialog& dialog) {
    Fill(dialog, "2048", "256", "65536");
    dialog.Click(kApplyButton);
    dialog.Type(kPacketLengthEdit, "2047");
    dialog.Click(kApplyButton);
    dialog.Type(kRetryNumberEdit, "255");
    dialog.Click(kApplyButton);
    EXPECT_FALSE(dialog.Ended());
    EXPECT_EQ(dialog.Text(kSystemIdEdit), "65536");  // left as the user typed it
  });
  EXPECT_EQ(toolkit.MessageTexts(), (Lines{"Packet Length has to be between 0 - 2047",
                                           "Retry Number has to be between 0 - 255",
                                           "System ID has to be between 0 - 65535"}));
  for (const auto& message : toolkit.Messages()) {
    EXPECT_EQ(message.ownerTemplateId, kAdvancedDialogId);
  }
  EXPECT_EQ(saves, 0);
  ExpectMainSettings(262, 4, 111);
}

TEST_F(AdvancedDialogTest, CancelAfterARefusedApplyKeepsTheOldValues) {
  RunSettings([&](HeadlessDialog& dialog) {
    Fill(dialog, "500", "300", "111");
    dialog.Click(kApplyButton);
    EXPECT_TRUE(dialog.Click(kIdCancel));
  });
  EXPECT_EQ(toolkit.MessageTexts(), Lines{"Retry Number has to be between 0 - 255"});
  EXPECT_EQ(saves, 0);
  ExpectMainSettings(262, 4, 111);
}

TEST_F(AdvancedDialogTest, EnterEscapeAndTheCloseBoxChangeNothing) {
  for (int way = 0; way < 3; ++way) {
    RunSettings([&](HeadlessDialog& dialog) {
      Fill(dialog, "1", "2", "3");
      const bool left = way == 0   ? dialog.PressEnter(kPacketLengthEdit)
                        : way == 1 ? dialog.PressEscape()
                                   : dialog.CloseBox();
      EXPECT_TRUE(left);
      EXPECT_TRUE(dialog.Ended());
    });
  }
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(toolkit.ForcedEnds(), 0);
  ExpectMainSettings(262, 4, 111);
}

TEST_F(AdvancedDialogTest, AnUnwritableFileIsReportedAndTheValuesStillHold) {
  saveWorks = false;
  RunSettings([&](HeadlessDialog& dialog) {
    Fill(dialog, "100", "5", "222");
    dialog.Click(kApplyButton);
    EXPECT_TRUE(dialog.Ended());
  });
  ASSERT_EQ(toolkit.MessageTexts(), Lines{"Unable to Save Settings"});
  EXPECT_EQ(toolkit.Messages()[0].ownerTemplateId, kAdvancedDialogId);
  ExpectMainSettings(100, 5, 222);
}

TEST_F(AdvancedDialogTest, FieldsTakeDigitsOnlyAndTheNextConfigureUsesTheValues) {
  RunSettings([&](HeadlessDialog& dialog) {
    EXPECT_FALSE(dialog.Type(kPacketLengthEdit, "-1a2"));
    EXPECT_EQ(dialog.Text(kPacketLengthEdit), "12");
    dialog.Click(kApplyButton);
  });
  toolkit.OnDialog(kMainDialogId, [](HeadlessDialog& dialog) { dialog.Click(kConfigureButton); });
  main.DoModal();
  ASSERT_FALSE(client.linesHeard.empty());
  EXPECT_EQ(client.linesHeard[0], "ATC67FP12ID111BA4BR19200");
}

}  // namespace
}  // namespace zorveth::ui::testing
