#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace zorveth {

// Reads the values of one key from a registry.ini file:
//
//   [Software\Pellucor\Vorlith\V2\Settings]
//   Serial Port = 3
//
// A section names a key path under HKEY_LOCAL_MACHINE; an optional leading
// "HKEY_LOCAL_MACHINE\" or "HKLM\" is ignored and paths match ignoring case.
// Each "name = value" entry (blanks around '=' optional, the name may be in
// double quotes) is a 32-bit number written in decimal, -2147483648 to
// 4294967295. Blank lines and lines starting with ';' or '#' are comments;
// other lines are ignored. When a name appears twice in the key, the first
// one counts. nullopt when the file or the key is missing.
std::optional<std::vector<RegistryValue>> ReadRegistryFileKey(const std::filesystem::path& file,
                                                              const std::string& keyPath);

// A key path without the optional hive prefix, for comparing.
std::string_view StripLocalMachinePrefix(std::string_view path);

}  // namespace zorveth
