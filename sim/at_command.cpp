#include "sim/at_command.h"

#include <array>

namespace zorveth::sim {
namespace {

constexpr std::string_view kPrefix = "AT";

// Keys a write line may carry, in no particular order; each at most once.
enum Key { kC, kFP, kM, kID, kBA, kDA, kTD, kRF, kIT, kBR, kKeyCount };
constexpr std::array<std::string_view, kKeyCount> kKeyNames = {"C",  "FP", "M",  "ID", "BA",
                                                               "DA", "TD", "RF", "IT", "BR"};

std::optional<Key> KeyNamed(std::string_view name) {
  for (int k = 0; k < kKeyCount; ++k) {
    if (kKeyNames[k] == name) return static_cast<Key>(k);
  }
  return std::nullopt;
}

bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Key/value pairs after "AT"; nullopt for anything malformed, duplicated, out of the 16-bit range
// or incomplete. A radio that half-understood a line must not apply half of it.
std::optional<WriteValues> ParseWrite(std::string_view text) {
  std::array<std::optional<std::uint32_t>, kKeyCount> seen{};
  std::size_t pos = 0;
  if (text.empty()) return std::nullopt;
  while (pos < text.size()) {
    std::size_t keyStart = pos;
    while (pos < text.size() && IsUpper(text[pos])) ++pos;
    std::optional<Key> key = KeyNamed(text.substr(keyStart, pos - keyStart));
    if (!key || seen[*key]) return std::nullopt;
    std::size_t digitsStart = pos;
    std::uint32_t value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
      value = value * 10 + static_cast<std::uint32_t>(text[pos] - '0');
      if (value > 0xFFFF) return std::nullopt;
      ++pos;
    }
    if (pos == digitsStart) return std::nullopt;
    seen[*key] = value;
  }
  for (Key required : {kC, kFP, kID, kBA, kBR}) {
    if (!seen[required]) return std::nullopt;
  }
  bool initialization = seen[kM] || seen[kDA] || seen[kTD] || seen[kRF] || seen[kIT];
  if (initialization && !(seen[kM] && seen[kDA] && seen[kTD])) return std::nullopt;
  if (!IsRadioSpeed(*seen[kBR])) return std::nullopt;

  WriteValues values;
  values.channel = static_cast<std::uint16_t>(*seen[kC]);
  values.packetLength = static_cast<std::uint16_t>(*seen[kFP]);
  values.systemId = static_cast<std::uint16_t>(*seen[kID]);
  values.broadcastAttempts = static_cast<std::uint16_t>(*seen[kBA]);
  values.speed = *seen[kBR];
  if (initialization) {
    if (*seen[kM] == 1) {
      values.role = Role::Server;
    } else if (*seen[kM] == 2) {
      values.role = Role::Client;
    } else {
      return std::nullopt;
    }
  }
  return values;
}

}  // namespace

std::optional<std::uint16_t> RegisterValue(const RadioConfig& radio, std::string_view name) {
  if (name == "C") return radio.channel;
  if (name == "FP") return radio.packetLength;
  if (name == "M") return static_cast<std::uint16_t>(radio.role);
  if (name == "ID") return radio.systemId;
  if (name == "BA") return radio.broadcastAttempts;
  if (name == "S") return radio.signalStrength;
  if (name == "REV") return radio.firmwareRevision;
  return std::nullopt;
}

AtCommand ParseAtCommand(std::string_view line) {
  AtCommand command;
  if (line.substr(0, kPrefix.size()) != kPrefix) return command;
  std::string_view rest = line.substr(kPrefix.size());
  if (rest == "E") {
    command.kind = AtCommand::Kind::Exit;
  } else if (RegisterValue(RadioConfig{}, rest)) {
    command.kind = AtCommand::Kind::Query;
    command.registerName = std::string(rest);
  } else if (std::optional<WriteValues> values = ParseWrite(rest)) {
    command.kind = AtCommand::Kind::Write;
    command.values = *values;
  }
  return command;
}

}  // namespace zorveth::sim
