#include "link/configure.h"
#include "tests/ui/dialog_test_fixture.h"

namespace zorveth::ui::testing {
namespace {

using MainDialogTest = DialogTest;

const Lines kVorlithChannels = {"67", "68", "69", "70", "71", "72", "73", "74"};

TEST_F(MainDialogTest, StartsWithVorlithChannel67Baud19200AndTheSavedPort) {
  bool ran = false;
  RunApp([&](HeadlessDialog& main) {
    ran = true;
    EXPECT_EQ(main.Title(), "Skelvar Configurator");
    EXPECT_EQ(main.Text(kTechnologyList), "Vorlith Radio Control");
    EXPECT_EQ(main.Entries(kChannelList), kVorlithChannels);
    EXPECT_EQ(main.Text(kChannelList), "67");
    EXPECT_EQ(main.Text(kNewBaudRateList), "19200");
    EXPECT_EQ(main.Entries(kComPortList), (Lines{"COM1", "COM3"}));
    EXPECT_EQ(main.Text(kComPortList), "COM3");
    EXPECT_TRUE(main.Enabled());
    EXPECT_EQ(main.SystemMenuItems(),
              (std::vector<std::pair<int, std::string>>{{0x10, "&About Zorveth..."},
                                                        {0x20, "Save &Wire Log..."},
                                                        {0x30, "&Find Radios..."},
                                                        {0x40, "Save &Profile..."},
                                                        {0x50, "Appl&y Profile..."},
                                                        {0x60, "Si&gnal Monitor..."}}));
    ASSERT_NE(main.Icon(), nullptr);
    EXPECT_EQ(main.Icon()->id, 136);
  });
  EXPECT_TRUE(ran);
  EXPECT_EQ(toolkit.ForcedEnds(), 0);
  EXPECT_EQ(written, "");  // start-up never touches a port
}

TEST_F(MainDialogTest, UnknownSavedPortSelectsTheFirstPort) {
  savedPort = "COM9";
  RunApp([&](HeadlessDialog& main) { EXPECT_EQ(main.Text(kComPortList), "COM1"); });
}

TEST_F(MainDialogTest, WithoutPortsTheWholeDialogRefusesInputButSettingsAreLoaded) {
  portNames.clear();
  storedSettings = {100, 7, 2000};
  CConfiguratorDlg dialog(services);
  toolkit.OnDialog(kMainDialogId, [&](HeadlessDialog& main) {
    EXPECT_FALSE(main.Enabled());
    EXPECT_EQ(main.Selection(kComPortList), -1);
    EXPECT_FALSE(main.Click(kConfigureButton));
    EXPECT_FALSE(main.Menu(kMenuSettings));
    EXPECT_EQ(dialog.Settings().systemIdentification, 2000);
    EXPECT_EQ(dialog.Settings().retryNumber, 7);
  });
  dialog.DoModal();
  EXPECT_TRUE(toolkit.Messages().empty());
  EXPECT_EQ(toolkit.DialogsRun(), std::vector<int>{kMainDialogId});
}

TEST_F(MainDialogTest, TechnologyChoiceRefillsTheChannels) {
  RunApp([&](HeadlessDialog& main) {
    ASSERT_TRUE(main.Select(kNewBaudRateList, "9600"));
    ASSERT_TRUE(main.Select(kTechnologyList, "Dunmere Radio Control"));
    EXPECT_EQ(main.Entries(kChannelList), (Lines{"53", "56", "57", "60", "61", "64", "65", "66"}));
    EXPECT_EQ(main.Text(kChannelList), "53");
    EXPECT_EQ(main.Text(kNewBaudRateList), "9600");  // no "57600" to select

    ASSERT_TRUE(main.Select(kTechnologyList, "Other"));
    const Lines channels = main.Entries(kChannelList);
    ASSERT_EQ(channels.size(), 77u);
    EXPECT_EQ(channels.front(), "0");
    EXPECT_EQ(channels[25], "25");
    EXPECT_EQ(channels.back(), "76");
    EXPECT_EQ(main.Text(kChannelList), "25");
    EXPECT_EQ(main.Text(kNewBaudRateList), "9600");

    ASSERT_TRUE(main.Select(kTechnologyList, "Vorlith Radio Control"));
    EXPECT_EQ(main.Entries(kChannelList), kVorlithChannels);
    EXPECT_EQ(main.Text(kChannelList), "67");
    EXPECT_EQ(main.Text(kNewBaudRateList), "19200");
  });
}

TEST_F(MainDialogTest, ConfigureSendsTheTypedChannelAndTheListsToBothRadios) {
  RunApp([&](HeadlessDialog& main) {
    ASSERT_TRUE(main.Type(kChannelList, "42"));
    ASSERT_TRUE(main.Select(kNewBaudRateList, "4800"));
    toolkit.OnMessage([&](const headless::ShownMessage&) {
      EXPECT_FALSE(main.Enabled(kConfigureButton));  // greyed while it runs
    });
    ASSERT_TRUE(main.Click(kConfigureButton));
    EXPECT_TRUE(main.Enabled(kConfigureButton));
  });
  EXPECT_EQ(toolkit.MessageTexts(), Lines{"Configuration is Set"});
  EXPECT_EQ(toolkit.Messages()[0].ownerTemplateId, kMainDialogId);
  EXPECT_EQ(toolkit.Messages()[0].caption, "zorveth");
  ASSERT_FALSE(client.linesHeard.empty());
  EXPECT_EQ(client.linesHeard[0], "ATC42FP262ID111BA4BR4800");
  ASSERT_FALSE(server.linesHeard.empty());
  EXPECT_EQ(server.linesHeard[0], "ATC42FP262ID111BA4BR4800");
  EXPECT_EQ(openedPorts.front(), 3);  // the saved COM3
  EXPECT_EQ(toolkit.WaitCursorDepth(), 0);
  EXPECT_GT(toolkit.WaitCursorShown(), 0);
}

TEST_F(MainDialogTest, AboutComesFromTheMenuAndTheSystemMenu) {
  for (int i = 0; i < 2; ++i) {
    toolkit.OnDialog(kAboutDialogId, [&](HeadlessDialog& about) {
      EXPECT_EQ(about.Title(), "Skelvar Radio Configurator");
      EXPECT_NE(about.Owner(), kNoWindow);
      EXPECT_TRUE(about.Click(kIdOk));
    });
  }
  RunApp([&](HeadlessDialog& main) {
    EXPECT_TRUE(main.Menu(kMenuAbout));
    EXPECT_TRUE(main.SystemMenu(kSystemMenuAbout));
  });
  EXPECT_EQ(toolkit.DialogsRun(),
            (std::vector<int>{kMainDialogId, kAboutDialogId, kAboutDialogId}));
  EXPECT_EQ(toolkit.UnusedScripts(), 0);
}

TEST_F(MainDialogTest, ExitMenuAndExitButtonBothClose) {
  RunApp([&](HeadlessDialog& main) {
    EXPECT_TRUE(main.Menu(kMenuExit));
    EXPECT_TRUE(main.Ended());
  });
  RunApp([&](HeadlessDialog& main) {
    EXPECT_TRUE(main.Click(kIdCancel));
    EXPECT_TRUE(main.Ended());
  });
  EXPECT_EQ(toolkit.ForcedEnds(), 0);
}

TEST_F(MainDialogTest, TheMainDialogTakesNoInputWhileAnotherDialogRuns) {
  toolkit.OnDialog(kAboutDialogId, [&](HeadlessDialog& about) {
    HeadlessDialog main = toolkit.Driver(about.Owner());
    EXPECT_FALSE(main.Click(kConfigureButton));
    EXPECT_FALSE(main.Select(kTechnologyList, "Other"));
  });
  RunApp([&](HeadlessDialog& main) {
    main.Menu(kMenuAbout);
    EXPECT_EQ(main.Text(kTechnologyList), "Vorlith Radio Control");
  });
  EXPECT_TRUE(toolkit.Messages().empty());
}

}  // namespace
}  // namespace zorveth::ui::testing
