#include "cli/option_checks.h"

#include "link/link_protocol.h"
#include "platform/registry.h"
#include "port/network_port.h"
#include "text/quoting.h"
#include "text/text_compare.h"
#include "text/text_numbers.h"

namespace zorveth::cli {
namespace {

constexpr std::size_t kShownValueLength = 40;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The decimal number of a text of digits only, up to limit; nullopt for
// anything else (signs, other characters, nothing at all, too large).
std::optional<unsigned long> Digits(std::string_view text, unsigned long limit) {
  auto value = ParseDecimal(text, 0, static_cast<std::int64_t>(limit), false);
  if (!value) return std::nullopt;
  return static_cast<unsigned long>(*value);
}

Checked Refuse(std::string_view option, std::string_view value, std::string_view allowed) {
  return {"", std::string(option) + " " + QuotedValue(value) +
                  " is not allowed: " + std::string(allowed)};
}

std::string FirstWord(std::string_view text) {
  return std::string(text.substr(0, text.find(' ')));
}

// "COM" and a port number, in any letter case; the canonical "COM<n>".
std::optional<std::string> ComName(std::string_view text) {
  auto number = ParseComName(text);
  if (!number) return std::nullopt;
  return "COM" + std::to_string(*number);
}

std::string EntryComName(const std::string& entry) {
  return entry.substr(0, entry.find(' '));
}

}  // namespace

std::string QuotedValue(std::string_view value) {
  // Escaped by the one rule the tool writes bytes by, in single quotes.
  const bool cut = value.size() > kShownValueLength;
  const std::string quoted = QuoteBytes(value.substr(0, kShownValueLength));
  return "'" + quoted.substr(1, quoted.size() - 2) + (cut ? "...'" : "'");
}

Checked CheckChannel(std::string_view text) {
  auto channel = Digits(TrimBlanks(text), 65535);
  if (!channel) return Refuse("--channel", text, "give a whole number from 0 to 65535");
  return {std::to_string(*channel), ""};
}

Checked CheckBaud(std::string_view text) {
  auto baud = Digits(TrimBlanks(text), 1000000);
  if (baud) {
    for (std::uint32_t speed : kPollSpeeds) {
      if (*baud == speed) return {std::to_string(speed), ""};
    }
  }
  return Refuse("--baud", text, "give 2400, 4800, 9600, 19200 or 38400");
}

Checked CheckTechnology(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  for (std::string_view technology : kTechnologies) {
    if (EqualsIgnoringCase(trimmed, technology) ||
        EqualsIgnoringCase(trimmed, FirstWord(technology))) {
      return {std::string(technology), ""};
    }
  }
  return Refuse("--technology", text,
                "give \"Vorlith Radio Control\", \"Dunmere Radio Control\" or \"Other\"");
}

Checked CheckRole(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  if (EqualsIgnoringCase(trimmed, "client")) return {"client", ""};
  if (EqualsIgnoringCase(trimmed, "server")) return {"server", ""};
  return Refuse("--role", text, "give client or server");
}

Checked CheckPort(std::string_view text, const std::vector<ListedPort>& listed) {
  if (auto com = ComName(text)) return {*com, ""};
  if (IsNetworkPortName(text)) {
    if (ParseNetworkPortName(text)) return {std::string(text), ""};
    return Refuse("--port", text, "give rfc2217://HOST:PORT with a port number from 1 to 65535");
  }
  for (const auto& port : listed) {
    const std::string& device = port.device;
    // "/dev/ttyUSB0" may be named "ttyUSB0", "/dev/pts/3" "pts/3".
    const bool inDev = device.rfind("/dev/", 0) == 0;
    if (!device.empty() && (text == device || (inDev && text == device.substr(5)))) {
      return {EntryComName(port.entry), ""};
    }
  }
  std::string allowed = "give COM<n>, rfc2217://HOST:PORT";
  if (listed.empty()) {
    allowed += " (no serial port found)";
  } else {
    allowed += " or one of";
    for (std::size_t i = 0; i < listed.size(); ++i) {
      allowed += (i == 0 ? " " : ", ") + listed[i].entry;
    }
  }
  return Refuse("--port", text, allowed);
}

std::vector<ListedPort> ListedPorts() {
  std::vector<ListedPort> ports;
  auto key = DefaultRegistry().OpenLocalMachineKey(kSerialCommKey);
  if (!key) return ports;
  RegistryKeyInfo info;
  if (!key->QueryInfo(info)) return ports;
  for (std::uint32_t i = 0; i < info.valueCount; ++i) {
    RegistryValue value;
    if (!key->EnumValue(i, value)) continue;
    ports.push_back({value.data.substr(0, value.data.find('\0')), value.name});
  }
  return ports;
}

}  // namespace zorveth::cli
