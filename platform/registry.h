#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zorveth {

// The key that lists the machine's serial ports, one value each, under
// HKEY_LOCAL_MACHINE.
inline constexpr char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The few registry reads the settings need, kept apart from any platform:
// Windows answers them from the real registry, other systems from the port
// map and a read-only file (see posix_registry.h). Keys are opened for
// reading only; nothing here ever writes.

struct RegistryKeyInfo {
  std::uint32_t valueCount = 0;
  std::uint32_t longestValueNameLength = 0;  // characters, without the terminating zero
  std::uint32_t longestValueDataLength = 0;  // bytes
};

struct RegistryValue {
  std::string name;
  // The data as stored: a string value includes its terminating zero byte, a
  // 32-bit number is four bytes, least significant first.
  std::string data;
};

// An open key; destroying it closes it.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual bool QueryInfo(RegistryKeyInfo& info) = 0;
  // Value index in the key's enumeration order, whatever its type. False
  // when there is no such value or it cannot be read; value is then
  // unspecified and must not be used.
  virtual bool EnumValue(std::uint32_t index, RegistryValue& value) = 0;
  // Copies the named value into buffer and sets size to its length. False,
  // with buffer untouched, when the value is missing or does not fit.
  virtual bool ReadValue(const std::string& name, std::span<std::uint8_t> buffer,
                         std::size_t& size) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens path (e.g. "HARDWARE\DEVICEMAP\SERIALCOMM") under
  // HKEY_LOCAL_MACHINE for reading; nullptr when it is missing or may not be
  // read.
  virtual std::unique_ptr<RegistryKey> OpenLocalMachineKey(const std::string& path) = 0;
};

// The registry of the machine the program runs on.
Registry& DefaultRegistry();

}  // namespace zorveth
