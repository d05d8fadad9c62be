#include "radio/wire_trace_format.h"

#include <charconv>

namespace zorveth {
namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Splits off the text up to the next blank.
std::string_view NextField(std::string_view& rest) {
  const std::size_t blank = rest.find(' ');
  std::string_view field = rest.substr(0, blank);
  rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
  return field;
}

}  // namespace

std::string QuoteBytes(std::string_view bytes) {
  std::string text = "\"";
  bool afterHexEscape = false;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    bool hexEscape = false;
    switch (c) {
      case '\r':
        text += "\\r";
        break;
      case '\n':
        text += "\\n";
        break;
      case '\t':
        text += "\\t";
        break;
      case '\\':
        text += "\\\\";
        break;
      case '"':
        text += "\\\"";
        break;
      default:
        if (byte < 0x20 || byte > 0x7E || (afterHexEscape && IsHexDigit(c))) {
          constexpr char kHex[] = "0123456789abcdef";
          text += "\\x";
          text.push_back(kHex[byte >> 4]);
          text.push_back(kHex[byte & 0xF]);
          hexEscape = true;
        } else {
          text.push_back(c);
        }
    }
    afterHexEscape = hexEscape;
  }
  return text + "\"";
}

std::optional<std::string> UnquoteBytes(std::string_view quoted) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return std::nullopt;
  const std::string_view body = quoted.substr(1, quoted.size() - 2);
  std::string bytes;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (c == '"') return std::nullopt;
    if (c != '\\') {
      bytes.push_back(c);
      continue;
    }
    if (++i >= body.size()) return std::nullopt;
    switch (body[i]) {
      case 'r':
        bytes.push_back('\r');
        break;
      case 'n':
        bytes.push_back('\n');
        break;
      case 't':
        bytes.push_back('\t');
        break;
      case '\\':
        bytes.push_back('\\');
        break;
      case '"':
        bytes.push_back('"');
        break;
      case 'x': {
        if (i + 2 >= body.size() || !IsHexDigit(body[i + 1]) || !IsHexDigit(body[i + 2]))
          return std::nullopt;
        bytes.push_back(static_cast<char>(HexValue(body[i + 1]) * 16 + HexValue(body[i + 2])));
        i += 2;
        break;
      }
      default: {
        int value = 0;
        std::size_t digits = 0;
        while (digits < 3 && i < body.size() && body[i] >= '0' && body[i] <= '7') {
          value = value * 8 + (body[i] - '0');
          ++i;
          ++digits;
        }
        if (digits == 0 || value > 0xFF) return std::nullopt;
        --i;
        bytes.push_back(static_cast<char>(value));
      }
    }
  }
  return bytes;
}

std::string FormatWireTraceLine(const WireTraceEntry& entry, std::string_view operation,
                                std::uint64_t startMs) {
  const std::uint64_t ms = entry.timeMs >= startMs ? entry.timeMs - startMs : 0;
  std::string line = std::to_string(ms / 1000);
  const auto fraction = static_cast<unsigned>(ms % 1000);
  line += '.';
  line.push_back(static_cast<char>('0' + fraction / 100));
  line.push_back(static_cast<char>('0' + fraction / 10 % 10));
  line.push_back(static_cast<char>('0' + fraction % 10));
  line += entry.direction == WireDirection::Sent ? " -> " : " <- ";
  line += std::to_string(entry.speed);
  line += " COM";
  line += std::to_string(entry.portNumber);
  line += ' ';
  const std::string_view step = entry.step;
  if (!operation.empty()) {
    line += operation;
    if (!step.empty()) line += ": ";
  }
  line += step.empty() && operation.empty() ? std::string_view("-") : step;
  line += ' ';
  return line + QuoteBytes(entry.bytes);
}

std::optional<ParsedWireTraceLine> ParseWireTraceLine(std::string_view line) {
  ParsedWireTraceLine parsed;
  std::string_view rest = line;
  const std::string_view time = NextField(rest);
  const std::size_t point = time.find('.');
  std::uint64_t seconds = 0;
  unsigned milliseconds = 0;
  if (point == std::string_view::npos || time.size() - point != 4 ||
      !ParseNumber(time.substr(0, point), seconds) ||
      !ParseNumber(time.substr(point + 1), milliseconds))
    return std::nullopt;
  parsed.timeMs = seconds * 1000 + milliseconds;

  const std::string_view direction = NextField(rest);
  if (direction == "->") {
    parsed.direction = WireDirection::Sent;
  } else if (direction == "<-") {
    parsed.direction = WireDirection::Received;
  } else {
    return std::nullopt;
  }
  if (!ParseNumber(NextField(rest), parsed.speed)) return std::nullopt;
  const std::string_view port = NextField(rest);
  if (!port.starts_with("COM") || !ParseNumber(port.substr(3), parsed.portNumber))
    return std::nullopt;

  const std::size_t quote = rest.find('"');
  if (quote == std::string_view::npos || quote < 2 || rest[quote - 1] != ' ') return std::nullopt;
  parsed.step = std::string(rest.substr(0, quote - 1));
  auto bytes = UnquoteBytes(rest.substr(quote));
  if (!bytes) return std::nullopt;
  parsed.bytes = std::move(*bytes);
  return parsed;
}

}  // namespace zorveth
