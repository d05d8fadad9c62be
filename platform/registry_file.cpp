#include "platform/registry_file.h"

#include <cstdint>
#include <fstream>

#include "text/text_compare.h"

namespace zorveth {

namespace {

std::string_view Trim(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A DWORD written in decimal; negative numbers are stored as their 32-bit
// two's complement, as a signed value written to the registry would be.
std::optional<std::uint32_t> ParseDword(std::string_view text) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative || (!text.empty() && text.front() == '+')) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (negative) {
    if (magnitude > 2147483648ULL) return std::nullopt;
    return static_cast<std::uint32_t>((~magnitude + 1) & 0xFFFFFFFFULL);
  }
  if (magnitude > 0xFFFFFFFFULL) return std::nullopt;
  return static_cast<std::uint32_t>(magnitude);
}

std::string DwordBytes(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  return bytes;
}

}  // namespace

std::string_view StripLocalMachinePrefix(std::string_view path) {
  for (std::string_view prefix : {"HKEY_LOCAL_MACHINE\\", "HKLM\\"}) {
    if (StartsWithIgnoringCase(path, prefix)) return path.substr(prefix.size());
  }
  return path;
}

std::optional<std::vector<RegistryValue>> ReadRegistryFileKey(const std::filesystem::path& file,
                                                              const std::string& keyPath) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string_view wanted = StripLocalMachinePrefix(keyPath);
  bool found = false;
  bool inKey = false;
  std::vector<RegistryValue> values;
  std::string raw;
  while (std::getline(in, raw)) {
    std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
      inKey = EqualsIgnoringCase(StripLocalMachinePrefix(Trim(line.substr(1, line.size() - 2))),
                                 wanted);
      found = found || inKey;
      continue;
    }
    std::size_t equals = line.find('=');
    if (!inKey || equals == std::string_view::npos) continue;
    std::string_view name = Trim(line.substr(0, equals));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
      name = name.substr(1, name.size() - 2);
    }
    auto number = ParseDword(Trim(line.substr(equals + 1)));
    if (name.empty() || !number) continue;
    bool duplicate = false;
    for (const auto& value : values) duplicate = duplicate || EqualsIgnoringCase(value.name, name);
    if (!duplicate) values.push_back({std::string(name), DwordBytes(*number)});
  }
  if (!found) return std::nullopt;
  return values;
}

}  // namespace zorveth
