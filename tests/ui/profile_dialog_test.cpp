// Save Profile... and Apply Profile... from the main dialog's extras, on
// the fake pair: nothing goes out before a file is chosen, and Apply writes
// only when the user presses Apply in the window of differences.
#include <fstream>
#include <iterator>

#include "tests/settings/temp_dir.h"
#include "tests/ui/dialog_test_fixture.h"

namespace zorveth::ui::testing {
namespace {

class ProfileDialogTest : public DialogTest {
 protected:
  ProfileDialogTest() { server.appliesWrites = client.appliesWrites = true; }
  std::string Profile(int channel) {
    const auto path = dir.path() / "link.profile";
    std::ofstream(path) << "[profile]\nformat = 1\n[link]\nchannel = " << channel
                        << "\npacket-length = 262\nsystem-id = 111\nretries = 4\n"
                           "baud-rate = 9600\n";
    return path.string();
  }
  void Extra(int item) {
    RunApp([&](HeadlessDialog& main) { ASSERT_TRUE(main.SystemMenu(item)); });
  }

  zorveth::testing::TempDir dir;
};

TEST_F(ProfileDialogTest, SaveProfileWritesThePairsSettingsOnceAFileIsChosen) {
  toolkit.AnswerSaveFile(std::nullopt);
  Extra(kSystemMenuSaveProfile);
  EXPECT_EQ(written, "");  // cancelled: no radio was asked anything
  const std::string path = (dir.path() / "saved.profile").string();
  toolkit.AnswerSaveFile(path);
  Extra(kSystemMenuSaveProfile);
  EXPECT_EQ(toolkit.MessageTexts().back(), "Profile saved to " + path);
  std::ifstream in(path);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  EXPECT_NE(text.find("channel = 67\n"), std::string::npos) << text;
  EXPECT_NE(text.find("baud-rate = 9600\n"), std::string::npos) << text;
  EXPECT_EQ(toolkit.SaveFileRequests().back().title, "Save Profile");
  EXPECT_FALSE(toolkit.SaveFileRequests().back().openExisting);
}

TEST_F(ProfileDialogTest, ApplyProfileShowsTheDifferencesAndWritesOnlyOnApply) {
  const std::string path = Profile(70);
  Lines shown;
  for (bool apply : {false, true}) {
    SCOPED_TRACE(apply);
    toolkit.AnswerSaveFile(path);
    toolkit.OnDialog(kApplyProfileDialogId, [&](HeadlessDialog& window) {
      shown = window.Entries(kApplyProfileList);
      if (apply) {
        EXPECT_TRUE(window.Click(kApplyProfileButton));
      } else {
        EXPECT_TRUE(window.PressEscape());
      }
    });
    written.clear();
    Extra(kSystemMenuApplyProfile);
    EXPECT_EQ(shown, (Lines{"Server  channel 67 -> 70", "Client  channel 67 -> 70"}));
    EXPECT_EQ(written.find("ATC70FP262ID111BA4BR9600\r") != std::string::npos, apply);
  }
  EXPECT_EQ(toolkit.MessageTexts().back(), "Both radios hold the profile now");
  EXPECT_TRUE(toolkit.SaveFileRequests().back().openExisting);
  EXPECT_EQ(server.registers["C"], "70");
  EXPECT_EQ(client.registers["C"], "70");

  // Now the pair holds it: no window, and one message.
  toolkit.AnswerSaveFile(path);
  Extra(kSystemMenuApplyProfile);
  EXPECT_EQ(toolkit.MessageTexts().back(), "Both radios hold the profile");
}

TEST_F(ProfileDialogTest, ABadProfileOrAMissingRadioIsSaidInOneMessage) {
  const auto bad = dir.path() / "bad.profile";
  std::ofstream(bad) << "[profile]\nformat = 1\n[link]\ncolour = red\n";
  toolkit.AnswerSaveFile(bad.string());
  Extra(kSystemMenuApplyProfile);
  EXPECT_EQ(toolkit.MessageTexts().back(),
            "Unable to Read Profile\n" + bad.string() + ":4: unknown key 'colour' in [link]");
  EXPECT_EQ(written, "");

  client.powered = false;
  toolkit.AnswerSaveFile(Profile(70));
  Extra(kSystemMenuApplyProfile);
  EXPECT_EQ(toolkit.MessageTexts().back(), "Polling Client Failed");
  EXPECT_EQ(toolkit.Messages().size(), 2u);
  EXPECT_EQ(written.find("ATC70"), std::string::npos);
}

}  // namespace
}  // namespace zorveth::ui::testing
