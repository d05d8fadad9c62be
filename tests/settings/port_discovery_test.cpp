#include "platform/port_discovery.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "platform/port_list.h"
#include "platform/registry.h"

namespace zorveth {
namespace {

// A registry in memory. Value data is kept as given, so a test can hand out
// data without a terminating zero or longer than any buffer.
class FakeKey : public RegistryKey {
 public:
  std::vector<RegistryValue> values;
  std::set<std::uint32_t> unreadable;
  std::optional<std::uint32_t> reportedCount;

  bool QueryInfo(RegistryKeyInfo& info) override {
    info.valueCount = reportedCount.value_or(static_cast<std::uint32_t>(values.size()));
    return true;
  }
  bool EnumValue(std::uint32_t index, RegistryValue& value) override {
    if (index >= values.size() || unreadable.count(index) != 0) return false;
    value = values[index];
    return true;
  }
  bool ReadValue(const std::string& name, std::span<std::uint8_t> buffer,
                 std::size_t& size) override {
    for (const auto& value : values) {
      if (value.name != name) continue;
      if (value.data.size() > buffer.size()) return false;
      std::memcpy(buffer.data(), value.data.data(), value.data.size());
      size = value.data.size();
      return true;
    }
    return false;
  }
};

class FakeRegistry : public Registry {
 public:
  std::map<std::string, FakeKey> keys;
  std::unique_ptr<RegistryKey> OpenLocalMachineKey(const std::string& path) override {
    auto it = keys.find(path);
    if (it == keys.end()) return nullptr;
    return std::make_unique<FakeKey>(it->second);
  }
  FakeKey& SerialComm() { return keys["HARDWARE\\DEVICEMAP\\SERIALCOMM"]; }
  FakeKey& Settings() { return keys["Software\\Pellucor\\Vorlith\\V2\\Settings"]; }
  void AddPorts(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      SerialComm().values.push_back({"\\Device\\Serial", std::string(name) + '\0'});
    }
  }
};

using Entries = std::vector<std::string>;

TEST(ListSerialPorts, ListsDataInEnumerationOrder) {
  FakeRegistry registry;
  registry.AddPorts({"COM3", "COM1"});
  PortList list;
  EXPECT_EQ(ListSerialPorts(list, registry), 2);
  EXPECT_EQ(list.Entries(), (Entries{"COM3", "COM1"}));
}

TEST(ListSerialPorts, ListsTwentyButReturnsTheReportedCount) {
  FakeRegistry registry;
  for (int i = 1; i <= 25; ++i) {
    registry.SerialComm().values.push_back({"n", "COM" + std::to_string(i) + '\0'});
  }
  PortList list;
  EXPECT_EQ(ListSerialPorts(list, registry), 25);
  ASSERT_EQ(list.Entries().size(), 20u);
  EXPECT_EQ(list.Entries().back(), "COM20");
}

TEST(ListSerialPorts, MissingKeyGivesZeroAndLeavesTheListAlone) {
  FakeRegistry registry;
  PortList list;
  list.AppendEntry("kept");
  EXPECT_EQ(ListSerialPorts(list, registry), 0);
  EXPECT_EQ(list.Entries(), (Entries{"kept"}));
}

TEST(ListSerialPorts, SkipsUnreadableValuesInsteadOfRepeatingTheLastOne) {
  FakeRegistry registry;
  registry.AddPorts({"COM1", "COM2", "COM3"});
  registry.SerialComm().unreadable = {1};
  registry.SerialComm().reportedCount = 4;  // a value that vanished after the query
  PortList list;
  EXPECT_EQ(ListSerialPorts(list, registry), 4);
  EXPECT_EQ(list.Entries(), (Entries{"COM1", "COM3"}));
}

TEST(ListSerialPorts, CutsOverlongAndUnterminatedDataToTheEntryBuffer) {
  FakeRegistry registry;
  registry.SerialComm().values.push_back({std::string(5000, 'n'), "COM7" + std::string(500, 'x')});
  registry.SerialComm().values.push_back({"n", std::string("COM8\0junk", 9)});
  PortList list;
  EXPECT_EQ(ListSerialPorts(list, registry), 2);
  ASSERT_EQ(list.Entries().size(), 2u);
  EXPECT_EQ(list.Entries()[0], "COM7" + std::string(95, 'x'));
  EXPECT_EQ(list.Entries()[1], "COM8");
}

struct SavedPortCase {
  std::optional<std::string> savedData;  // nullopt: no settings key at all
  Entries entries;
  int expected;
};

TEST(SelectSavedPort, SelectsTheFirstEntryStartingWithTheSavedPortOrEntryZero) {
  auto dword = [](std::uint32_t n) {
    std::string data(4, '\0');
    std::memcpy(data.data(), &n, 4);
    return data;
  };
  const SavedPortCase cases[] = {
      {dword(1), {"COM3", "COM10", "COM1"}, 1},             // prefix match from the top
      {dword(1), {"COM3", "com1 (ttyS0)"}, 1},              // ignoring case
      {dword(7), {"COM3", "COM1"}, 0},                      // not in the list
      {std::string("\1\0\0\0\0", 5), {"COM3", "COM1"}, 0},  // larger than 4 bytes
      {std::string("\2", 1), {"COM3", "COM2"}, 1},          // shorter value, zero-extended
      {std::nullopt, {"COM3", "COM1"}, 0},                  // no settings key
  };
  for (const auto& test : cases) {
    FakeRegistry registry;
    if (test.savedData) registry.Settings().values.push_back({"Serial Port", *test.savedData});
    PortList list;
    for (const auto& entry : test.entries) list.AppendEntry(entry);
    SelectSavedPort(list, registry);
    EXPECT_EQ(list.Selected(), test.expected) << test.entries[1];
  }
}

}  // namespace
}  // namespace zorveth
