#include "settings/advanced_settings.h"

#include <gtest/gtest.h>

#include "tests/settings/temp_dir.h"

namespace zorveth {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WorkingDirectory;
using testing::WriteFile;

struct SettingsFileTest : ::testing::Test {
  TempDir dir;
  WorkingDirectory cwd{dir.path()};
  std::filesystem::path file = dir.path() / "SkelvarRadio.ini";
};

void ExpectSettings(const AdvancedSettings& s, std::int32_t packet, std::int32_t retries,
                    std::int32_t id) {
  EXPECT_EQ(s.fixedPacketLength, packet);
  EXPECT_EQ(s.retryNumber, retries);
  EXPECT_EQ(s.systemIdentification, id);
}

TEST_F(SettingsFileTest, MissingFileGivesDefaultsAndIsCreatedEmpty) {
  ExpectSettings(LoadAdvancedSettings(), 262, 4, 111);
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(std::filesystem::file_size(file), 0u);
}

TEST_F(SettingsFileTest, LoadsPresentKeysUncheckedAndDefaultsTheRest) {
  WriteFile(file, "[System]\r\nRetryNumber = 999\r\nFixedPacketLength = -1\r\n");
  ExpectSettings(LoadAdvancedSettings(), -1, 999, 111);
  WriteFile(file, "[System]\r\nRetryNumber=9\r\nSystemIdentification = abc\r\n");
  ExpectSettings(LoadAdvancedSettings(), 262, 4, 0);
}

TEST_F(SettingsFileTest, SaveWritesExactlyTheFourLinesWhateverWasThere) {
  WriteFile(file, "[Other]\r\nX = 1\r\n[System]\r\nRetryNumber = 9\r\nNote = keep\r\n");
  ASSERT_TRUE(SaveAdvancedSettings({262, 4, 111}));
  EXPECT_EQ(ReadFile(file),
            "[System]\r\nSystemIdentification = 111\r\nRetryNumber = 4\r\n"
            "FixedPacketLength = 262\r\n");
  ASSERT_TRUE(SaveAdvancedSettings({2047, 0, 65535}));
  ExpectSettings(LoadAdvancedSettings(), 2047, 0, 65535);
}

TEST_F(SettingsFileTest, SaveReportsAFileThatCannotBeWritten) {
  std::filesystem::create_directory(file);
  EXPECT_FALSE(SaveAdvancedSettings({}));
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

}  // namespace
}  // namespace zorveth
