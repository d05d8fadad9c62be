#include "text/quoting.h"

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

}  // namespace zorveth
