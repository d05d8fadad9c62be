#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/settings/temp_dir.h"

namespace zorveth {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Lines = std::vector<std::string>;

CIniFile LoadText(const TempDir& dir, const std::string& bytes) {
  WriteFile(dir.path() / "test.ini", bytes);
  CIniFile ini;
  EXPECT_TRUE(ini.Load(dir.path() / "test.ini"));
  return ini;
}

TEST(IniLoad, DropsLineEndsAndEmptyLinesAndMatchesIgnoringCase) {
  TempDir dir;
  CIniFile ini = LoadText(dir, "[system]\r\n\r\n\nretrynumber = 7\r\nlast = 1");
  EXPECT_EQ(ini.Lines(), (Lines{"[system]", "retrynumber = 7", "last = 1"}));
  std::int32_t value = 0;
  EXPECT_TRUE(ini.GetInt("System", "RetryNumber", value));
  EXPECT_EQ(value, 7);
}

TEST(IniLoad, KeepsACarriageReturnThatDoesNotEndALine) {
  TempDir dir;
  CIniFile ini = LoadText(dir, "a\rb\r\n");
  EXPECT_EQ(ini.Lines(), (Lines{"a\rb"}));
}

TEST(IniLoad, SplitsOverlongLinesIntoPiecesOf1022) {
  TempDir dir;
  CIniFile ini = LoadText(dir, std::string(2500, 'x') + "\r\n" + std::string(1022, 'y') + "\n");
  ASSERT_EQ(ini.Lines().size(), 4u);
  EXPECT_EQ(ini.Lines()[0].size(), 1022u);
  EXPECT_EQ(ini.Lines()[1].size(), 1022u);
  EXPECT_EQ(ini.Lines()[2].size(), 456u);
  EXPECT_EQ(ini.Lines()[3], std::string(1022, 'y'));
}

TEST(IniLoad, CreatesAMissingFileEmptyAndReplacesEarlierLines) {
  TempDir dir;
  CIniFile ini = LoadText(dir, "[Old]\n");
  EXPECT_TRUE(ini.Load(dir.path() / "new.ini"));
  EXPECT_TRUE(ini.Lines().empty());
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "new.ini"));
  EXPECT_EQ(std::filesystem::file_size(dir.path() / "new.ini"), 0u);
  // A directory in place of the file reads as an empty document.
  ini = LoadText(dir, "[Old]\n");
  EXPECT_TRUE(ini.Load(dir.path()));
  EXPECT_TRUE(ini.Lines().empty());
}

TEST(IniLookup, KeyLinesNeedOneBlankEachSideOfEquals) {
  TempDir dir;
  CIniFile ini = LoadText(dir, "[System]\nA=1\nB =2\nC = \nD = 12abc\nE =  -3\nF = x\nG = 4 = 5\n");
  std::int32_t value = 99;
  EXPECT_FALSE(ini.GetInt("System", "A", value));
  EXPECT_FALSE(ini.GetInt("System", "B", value));
  EXPECT_EQ(value, 99);
  const std::pair<const char*, std::int32_t> present[] = {
      {"C", 0}, {"D", 12}, {"E", -3}, {"F", 0}, {"G", 4}};
  for (const auto& [key, expected] : present) {
    EXPECT_TRUE(ini.GetInt("System", key, value)) << key;
    EXPECT_EQ(value, expected) << key;
  }
}

TEST(IniLookup, KeysBelongToTheirSectionOnly) {
  TempDir dir;
  CIniFile ini = LoadText(dir, "Top = 1\n[System]\nA = 1\n[Other]\nB = 2\n[System] \nC = 3\n");
  std::int32_t value = 0;
  EXPECT_FALSE(ini.GetInt("System", "Top", value));
  EXPECT_FALSE(ini.GetInt("System", "B", value));
  EXPECT_TRUE(ini.GetInt("Other", "B", value));
  // '[System] ' with a trailing blank is no header: C belongs to [Other].
  EXPECT_FALSE(ini.GetInt("System", "C", value));
  EXPECT_TRUE(ini.GetInt("Other", "C", value));
  EXPECT_EQ(value, 3);
  EXPECT_FALSE(ini.IsSection(5));
  EXPECT_TRUE(ini.IsSection(3));
  EXPECT_FALSE(ini.IsSection(-1));
  EXPECT_FALSE(ini.IsSection(7));
  EXPECT_FALSE(ini.GetInt("Missing", "A", value));
  EXPECT_EQ(ini.FindSection("Missing"), -1);
  EXPECT_EQ(ini.Lines().size(), 7u);  // looking a section up never creates it
}

TEST(IniSetInt, NewKeysGoRightAfterTheHeaderAndSaveWithCrLf) {
  TempDir dir;
  CIniFile ini;
  EXPECT_TRUE(ini.SetInt("System", "A", 1));
  EXPECT_TRUE(ini.SetInt("System", "B", 2));
  EXPECT_EQ(ini.Lines(), (Lines{"[System]", "B = 2", "A = 1"}));
  ASSERT_TRUE(ini.Save(dir.path() / "out.ini"));
  EXPECT_EQ(ReadFile(dir.path() / "out.ini"), "[System]\r\nB = 2\r\nA = 1\r\n");
  EXPECT_FALSE(ini.SetInt("", "A", 1));
}

TEST(IniSetInt, ReplacesTheWholeKeyLineAndAppendsMissingSections) {
  TempDir dir;
  CIniFile ini = LoadText(dir, "[system]\nretrynumber = 7 ; old\n[Other]\nX = 1\n");
  EXPECT_TRUE(ini.SetInt("System", "RetryNumber", -5));
  EXPECT_TRUE(ini.SetInt("New", "K", 3));
  EXPECT_EQ(ini.Lines(),
            (Lines{"[system]", "RetryNumber = -5", "[Other]", "X = 1", "[New]", "K = 3"}));
}

TEST(IniSave, EmptyDocumentGivesAnEmptyFile) {
  TempDir dir;
  WriteFile(dir.path() / "out.ini", "old\r\n");
  CIniFile ini;
  ASSERT_TRUE(ini.Save(dir.path() / "out.ini"));
  EXPECT_EQ(ReadFile(dir.path() / "out.ini"), "");
}

TEST(IniSave, ReportsFailureAndLeavesWhatWasThere) {
  TempDir dir;
  CIniFile ini;
  ini.SetInt("System", "A", 1);
  // A path under a regular file, and a directory where the file should be:
  // both fail for every user, root included.
  WriteFile(dir.path() / "plain", "keep");
  EXPECT_FALSE(ini.Save(dir.path() / "plain" / "out.ini"));
  EXPECT_EQ(ReadFile(dir.path() / "plain"), "keep");
  std::filesystem::create_directories(dir.path() / "taken" / "inner");
  EXPECT_FALSE(ini.Save(dir.path() / "taken"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "taken" / "inner"));
  // No temporary file is left behind.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace zorveth
