// The registry layer on Windows: the real registry, read only.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/registry.h"

namespace zorveth {

namespace {

// Port names and their value names are short; most values fit at once.
constexpr DWORD kFirstBufferSize = 100;

class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : m_key(key) {}
  ~Win32RegistryKey() override { RegCloseKey(m_key); }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  bool QueryInfo(RegistryKeyInfo& info) override {
    info = {};
    DWORD values = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    LONG status = RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &values, &longestName, &longestData, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return false;
    info.valueCount = values;
    info.longestValueNameLength = longestName;
    info.longestValueDataLength = longestData;
    return true;
  }

  bool EnumValue(std::uint32_t index, RegistryValue& value) override {
    DWORD nameCapacity = kFirstBufferSize;
    DWORD dataCapacity = kFirstBufferSize;
    // A value longer than the buffers is read whole with buffers sized from
    // the key's own figures; the caller decides how much of it to show. Two
    // more tries cover a value that grows between the query and the read.
    for (int attempt = 0; attempt < 3; ++attempt) {
      std::vector<char> name(nameCapacity + 1);
      std::vector<BYTE> data(dataCapacity);
      DWORD nameLength = nameCapacity + 1;
      DWORD dataLength = dataCapacity;
      LONG status = RegEnumValueA(m_key, index, name.data(), &nameLength, nullptr, nullptr,
                                  data.data(), &dataLength);
      if (status == ERROR_SUCCESS) {
        value.name.assign(name.data(), nameLength);
        value.data.assign(reinterpret_cast<const char*>(data.data()), dataLength);
        return true;
      }
      if (status != ERROR_MORE_DATA) return false;
      RegistryKeyInfo info;
      if (!QueryInfo(info)) return false;
      nameCapacity = std::max<DWORD>(nameCapacity * 2, info.longestValueNameLength + 1);
      dataCapacity = std::max<DWORD>(dataCapacity * 2, info.longestValueDataLength + 1);
    }
    return false;
  }

  bool ReadValue(const std::string& name, std::span<std::uint8_t> buffer,
                 std::size_t& size) override {
    // Read into a copy: on ERROR_MORE_DATA the system may have scribbled on
    // the buffer, and the caller's must stay as it was.
    std::vector<BYTE> copy(std::max<std::size_t>(buffer.size(), 1));
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG status = RegQueryValueExA(m_key, name.c_str(), nullptr, nullptr, copy.data(), &length);
    if (status != ERROR_SUCCESS || length > buffer.size()) return false;
    std::copy_n(copy.begin(), length, buffer.begin());
    size = length;
    return true;
  }

 private:
  HKEY m_key;
};

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegistryKey> OpenLocalMachineKey(const std::string& path) override {
    HKEY key = nullptr;
    // KEY_READ only: nothing here writes, and a user without administrator
    // rights must still see the ports and the saved port.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key);
  }
};

}  // namespace

Registry& DefaultRegistry() {
  static Win32Registry registry;
  return registry;
}

}  // namespace zorveth
