// The Windows registry layer and the atomic file replacement, against Wine's
// registry and file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>

#include "platform/registry.h"
#include "settings/atomic_file.h"
#include "tests/windows/wine_paths.h"

namespace zorveth::testing {
namespace {

// A key of its own under HKEY_LOCAL_MACHINE, deleted afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = "Software\\ZorvethTest\\" + std::to_string(GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
  }
  void SetString(const char* name, const std::string& text) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
  }
  void SetNumber(const char* name, DWORD number) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof number),
              ERROR_SUCCESS);
  }

  std::string path;
  HKEY key = nullptr;
};

TEST_F(RegistryTest, ValuesComeInTheKeysOrderWithNameAndData) {
  // Wine enumerates by name, Windows in creation order: these agree on
  // both, and the data must not be sorted.
  SetString("\\Device\\Serial0", "COM3");
  SetString("\\Device\\Serial1", "COM1");
  auto opened = DefaultRegistry().OpenLocalMachineKey(path);
  ASSERT_NE(opened, nullptr);
  RegistryKeyInfo info;
  ASSERT_TRUE(opened->QueryInfo(info));
  EXPECT_EQ(info.valueCount, 2u);
  EXPECT_EQ(info.longestValueNameLength, 15u);
  EXPECT_GE(info.longestValueDataLength, 5u);  // the system counts UTF-16 bytes
  RegistryValue first, second, none;
  ASSERT_TRUE(opened->EnumValue(0, first));
  ASSERT_TRUE(opened->EnumValue(1, second));
  EXPECT_EQ(first.name, "\\Device\\Serial0");
  EXPECT_EQ(first.data, std::string("COM3\0", 5));
  EXPECT_EQ(second.data, std::string("COM1\0", 5));
  EXPECT_FALSE(opened->EnumValue(2, none));
}

TEST_F(RegistryTest, ValuesLongerThanTheFirstBuffersAreReadWhole) {
  std::string longName(180, 'n');
  std::string longData(150, 'd');
  SetString(longName.c_str(), longData);
  auto opened = DefaultRegistry().OpenLocalMachineKey(path);
  ASSERT_NE(opened, nullptr);
  RegistryValue value;
  ASSERT_TRUE(opened->EnumValue(0, value));
  EXPECT_EQ(value.name, longName);
  EXPECT_EQ(value.data, longData + '\0');
}

TEST_F(RegistryTest, ANumberIsReadIntoFourBytesAndALargerValueIsRefused) {
  SetNumber("Serial Port", 0x01020304);
  ASSERT_EQ(
      RegSetValueExA(key, "Too Big", 0, REG_BINARY, reinterpret_cast<const BYTE*>("12345678"), 8),
      ERROR_SUCCESS);
  auto opened = DefaultRegistry().OpenLocalMachineKey(path);
  ASSERT_NE(opened, nullptr);
  std::array<std::uint8_t, 4> buffer{9, 9, 9, 9};
  std::size_t size = 0;
  ASSERT_TRUE(opened->ReadValue("serial port", buffer, size));  // names ignore case
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{4, 3, 2, 1}));

  buffer = {9, 9, 9, 9};
  EXPECT_FALSE(opened->ReadValue("Too Big", buffer, size));
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{9, 9, 9, 9})) << "buffer must stay untouched";
  EXPECT_FALSE(opened->ReadValue("Missing", buffer, size));
}

TEST_F(RegistryTest, AMissingKeyIsNoKey) {
  EXPECT_EQ(DefaultRegistry().OpenLocalMachineKey(path + "\\Missing"), nullptr);
}

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporaryBehind) {
  ScratchDir dir;
  auto file = dir.Path() / "SkelvarRadio.ini";
  WriteWholeFile(file, std::string(5000, 'x'));
  ASSERT_TRUE(ReplaceFileAtomically(file, "[System]\r\nRetryNumber = 9\r\n"));
  EXPECT_EQ(ReadWholeFile(file), "[System]\r\nRetryNumber = 9\r\n");
  ASSERT_TRUE(ReplaceFileAtomically(dir.Path() / "new.ini", ""));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "new.ini"));
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 2);
}

TEST(AtomicFile, FailsWithoutTouchingAnythingWhenTheTargetCannotBeReplaced) {
  ScratchDir dir;
  EXPECT_FALSE(ReplaceFileAtomically(dir.Path() / "missing" / "a.ini", "data"));
  std::filesystem::create_directory(dir.Path() / "taken.ini");
  EXPECT_FALSE(ReplaceFileAtomically(dir.Path() / "taken.ini", "data"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "taken.ini"));
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1) << "the temporary file must be removed";
}

}  // namespace
}  // namespace zorveth::testing
