#include "platform/port_discovery.h"

#include <array>
#include <climits>
#include <cstdint>

#include "platform/registry.h"

namespace zorveth {

namespace {

constexpr const char* kSettingsKey = "Software\\Pellucor\\Vorlith\\V2\\Settings";
constexpr const char* kSavedPortValue = "Serial Port";

constexpr std::uint32_t kMaxListedPorts = 20;
// A port name is read into a 100-character buffer with its terminating
// zero, so at most 99 characters of it reach the list.
constexpr std::size_t kMaxEntryLength = 99;

// The data of a string value as text: up to its first zero byte, and never
// longer than the entry buffer (a longer name is cut, not overrun).
std::string EntryText(const std::string& data) {
  std::string text = data.substr(0, data.find('\0'));
  if (text.size() > kMaxEntryLength) text.resize(kMaxEntryLength);
  return text;
}

}  // namespace

int ListSerialPorts(PortListBox& list, Registry& registry) {
  auto key = registry.OpenLocalMachineKey(kSerialCommKey);
  if (!key) return 0;
  // The count is what the key reports, even when fewer entries are listed:
  // the caller only asks whether there is any port at all.
  RegistryKeyInfo info;
  std::uint32_t count = key->QueryInfo(info) ? info.valueCount : 0;
  for (std::uint32_t i = 0; i < count && i < kMaxListedPorts; ++i) {
    RegistryValue value;
    // A value that cannot be read is left out rather than listed with
    // whatever an earlier value left behind.
    if (!key->EnumValue(i, value)) continue;
    list.AppendEntry(EntryText(value.data));
  }
  return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

int ListSerialPorts(PortListBox& list) {
  return ListSerialPorts(list, DefaultRegistry());
}

void SelectSavedPort(PortListBox& list, Registry& registry) {
  // The saved port is only read, so the key is opened for reading: a user
  // without administrator rights gets the saved port too.
  auto key = registry.OpenLocalMachineKey(kSettingsKey);
  std::array<std::uint8_t, 4> buffer{};
  std::size_t size = 0;
  if (!key || !key->ReadValue(kSavedPortValue, buffer, size)) {
    list.SelectIndex(0);
    return;
  }
  // A 32-bit value, least significant byte first; a shorter value reads as
  // its bytes with the rest zero.
  std::uint32_t raw = 0;
  for (std::size_t i = 0; i < buffer.size(); ++i) raw |= std::uint32_t{buffer[i]} << (8 * i);
  std::string prefix = "COM" + std::to_string(static_cast<std::int32_t>(raw));
  if (!list.SelectByPrefix(-1, prefix)) list.SelectIndex(0);
}

void SelectSavedPort(PortListBox& list) {
  SelectSavedPort(list, DefaultRegistry());
}

}  // namespace zorveth
