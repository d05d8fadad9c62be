#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/port_map.h"
#include "platform/registry.h"

namespace zorveth {

// The registry as seen on a system without one.
//
// "HARDWARE\DEVICEMAP\SERIALCOMM" is made from the port map at the moment it
// is opened: one value per port in COM number order, named after the device
// file, whose data is the port's label such as "COM33 (ttyUSB0)". Every
// other key comes from the hand-written file <configDir>/registry.ini, where
// a section names a key path under HKEY_LOCAL_MACHINE and each entry
// "Name = 123" is a 32-bit number (see registry_file.h).
class PosixRegistry : public Registry {
 public:
  explicit PosixRegistry(PortMapRoots roots) : m_roots(std::move(roots)) {}
  std::unique_ptr<RegistryKey> OpenLocalMachineKey(const std::string& path) override;

  std::filesystem::path FilePath() const { return m_roots.configDir / "registry.ini"; }

 private:
  PortMapRoots m_roots;
};

// A key whose values are all known when it is opened.
class SnapshotRegistryKey : public RegistryKey {
 public:
  explicit SnapshotRegistryKey(std::vector<RegistryValue> values) : m_values(std::move(values)) {}
  bool QueryInfo(RegistryKeyInfo& info) override;
  bool EnumValue(std::uint32_t index, RegistryValue& value) override;
  bool ReadValue(const std::string& name, std::span<std::uint8_t> buffer,
                 std::size_t& size) override;

 private:
  std::vector<RegistryValue> m_values;
};

}  // namespace zorveth
