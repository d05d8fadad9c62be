#include "tests/ui/dialog_test_fixture.h"

namespace zorveth::ui::testing {
namespace {

using PollDialogTest = DialogTest;

TEST_F(PollDialogTest, OpensEmptyAndSendsNothingUntilAsked) {
  toolkit.OnDialog(kPollDialogId, [&](HeadlessDialog& dialog) {
    EXPECT_EQ(dialog.Title(), "Poll Result Dialog");
    EXPECT_TRUE(dialog.Entries(kResultList).empty());
  });
  RunApp([&](HeadlessDialog& main) { EXPECT_TRUE(main.Click(kPollInformationButton)); });
  EXPECT_EQ(toolkit.DialogsRun(), (std::vector<int>{kMainDialogId, kPollDialogId}));
  EXPECT_EQ(written, "");
  EXPECT_TRUE(openedPorts.empty());
}

TEST_F(PollDialogTest, ReportsAccumulateOldestFirstAndClearEmptiesTheList) {
  toolkit.OnDialog(kPollDialogId, [&](HeadlessDialog& dialog) {
    ASSERT_TRUE(dialog.Click(kPollServerButton));
    const Lines serverReport = dialog.Entries(kResultList);
    ASSERT_EQ(serverReport.size(), 11u);
    EXPECT_EQ(serverReport[0], "Settings polled from: Server");

    ASSERT_TRUE(dialog.Click(kPollClientButton));
    Lines both = dialog.Entries(kResultList);
    ASSERT_EQ(both.size(), 22u);
    EXPECT_EQ(Lines(both.begin(), both.begin() + 11), serverReport);
    EXPECT_EQ(both[11], "Settings polled from: Client");

    ASSERT_TRUE(dialog.Click(kClearInformationButton));
    EXPECT_TRUE(dialog.Entries(kResultList).empty());
    ASSERT_TRUE(dialog.Click(kClearInformationButton));  // empty: nothing to do

    ASSERT_TRUE(dialog.Click(kPollBothButton));
    both = dialog.Entries(kResultList);
    ASSERT_EQ(both.size(), 22u);
    EXPECT_EQ(both[0], "Settings polled from: Server");
  });
  RunApp([&](HeadlessDialog& main) { main.Click(kPollInformationButton); });
  EXPECT_TRUE(toolkit.Messages().empty());
  EXPECT_EQ(openedPorts.front(), 3);
  EXPECT_EQ(toolkit.WaitCursorDepth(), 0);
}

TEST_F(PollDialogTest, ThePortIsTheOneSelectedWhenTheDialogOpened) {
  toolkit.OnDialog(kPollDialogId, [&](HeadlessDialog& dialog) { dialog.Click(kPollServerButton); });
  toolkit.OnDialog(kPollDialogId, [&](HeadlessDialog& dialog) {
    dialog.Click(kPollServerButton);
    EXPECT_EQ(dialog.Entries(kResultList).size(), 11u);  // a fresh list
  });
  RunApp([&](HeadlessDialog& main) {
    main.Click(kPollInformationButton);
    main.Select(kComPortList, "COM1");
    main.Click(kPollInformationButton);
  });
  ASSERT_FALSE(openedPorts.empty());
  EXPECT_EQ(openedPorts.front(), 3);
  EXPECT_EQ(openedPorts.back(), 1);
}

TEST_F(PollDialogTest, WithNoPortSelectedEveryPollFailsWithItsMessage) {
  services.selectSavedPort = [](PortListBox&) {};
  toolkit.OnDialog(kPollDialogId, [&](HeadlessDialog& dialog) {
    dialog.Click(kPollServerButton);
    dialog.Click(kPollClientButton);
    dialog.Click(kPollBothButton);
    EXPECT_TRUE(dialog.Entries(kResultList).empty());
  });
  RunApp([&](HeadlessDialog& main) {
    EXPECT_EQ(main.Text(kComPortList), "");
    main.Click(kPollInformationButton);
  });
  EXPECT_EQ(toolkit.MessageTexts(),
            (Lines{"Polling Server Failed", "Polling Client Failed", "Polling Failed"}));
  for (const auto& message : toolkit.Messages()) EXPECT_EQ(message.ownerTemplateId, kPollDialogId);
  EXPECT_EQ(written, "");
}

TEST_F(PollDialogTest, OnlyThePollsOwnButtonIsGreyedAndItComesBackAfterAFailure) {
  server.powered = false;
  toolkit.OnDialog(kPollDialogId, [&](HeadlessDialog& dialog) {
    toolkit.OnMessage([&](const headless::ShownMessage& message) {
      EXPECT_EQ(message.text, "Polling Server Failed");
      EXPECT_FALSE(dialog.Enabled(kPollServerButton));
      EXPECT_TRUE(dialog.Enabled(kPollClientButton));
      EXPECT_TRUE(dialog.Enabled(kPollBothButton));
      EXPECT_TRUE(dialog.Enabled(kClearInformationButton));
    });
    dialog.Click(kPollServerButton);
    EXPECT_TRUE(dialog.Enabled(kPollServerButton));
    EXPECT_FALSE(dialog.Ended());
  });
  RunApp([&](HeadlessDialog& main) { main.Click(kPollInformationButton); });
  EXPECT_EQ(toolkit.Messages().size(), 1u);
  EXPECT_EQ(toolkit.ForcedEnds(), 0);
}

}  // namespace
}  // namespace zorveth::ui::testing
