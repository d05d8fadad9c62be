#include <algorithm>
#include <cstring>

#include "platform/posix_registry.h"
#include "platform/registry_file.h"
#include "text/text_compare.h"

namespace zorveth {

namespace {

std::uint32_t Length(std::size_t size) {
  return static_cast<std::uint32_t>(std::min<std::size_t>(size, UINT32_MAX));
}

}  // namespace

bool SnapshotRegistryKey::QueryInfo(RegistryKeyInfo& info) {
  info = {};
  info.valueCount = Length(m_values.size());
  for (const auto& value : m_values) {
    info.longestValueNameLength = std::max(info.longestValueNameLength, Length(value.name.size()));
    info.longestValueDataLength = std::max(info.longestValueDataLength, Length(value.data.size()));
  }
  return true;
}

bool SnapshotRegistryKey::EnumValue(std::uint32_t index, RegistryValue& value) {
  if (index >= m_values.size()) return false;
  value = m_values[index];
  return true;
}

bool SnapshotRegistryKey::ReadValue(const std::string& name, std::span<std::uint8_t> buffer,
                                    std::size_t& size) {
  // Value names ignore case in the registry.
  for (const auto& value : m_values) {
    if (!EqualsIgnoringCase(value.name, name)) continue;
    if (value.data.size() > buffer.size()) return false;
    if (!value.data.empty()) std::memcpy(buffer.data(), value.data.data(), value.data.size());
    size = value.data.size();
    return true;
  }
  return false;
}

std::unique_ptr<RegistryKey> PosixRegistry::OpenLocalMachineKey(const std::string& path) {
  if (EqualsIgnoringCase(StripLocalMachinePrefix(path), kSerialCommKey)) {
    std::vector<RegistryValue> values;
    for (const auto& port : ReadPortMap(m_roots)) {
      values.push_back({port.device.string(), port.label + '\0'});
    }
    return std::make_unique<SnapshotRegistryKey>(std::move(values));
  }
  auto values = ReadRegistryFileKey(FilePath(), path);
  if (!values) return nullptr;
  return std::make_unique<SnapshotRegistryKey>(std::move(*values));
}

namespace {

// Finds the configuration folder from the environment at each opening, as a
// real registry is looked at afresh: nothing of an earlier environment sticks.
class EnvironmentRegistry : public Registry {
 public:
  std::unique_ptr<RegistryKey> OpenLocalMachineKey(const std::string& path) override {
    return PosixRegistry(DefaultPortMapRoots()).OpenLocalMachineKey(path);
  }
};

}  // namespace

Registry& DefaultRegistry() {
  static EnvironmentRegistry registry;
  return registry;
}

}  // namespace zorveth
