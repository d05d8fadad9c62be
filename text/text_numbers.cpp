#include "text/text_numbers.h"

#include <cstdint>
#include <limits>

namespace zorveth {
namespace {

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::int32_t LeadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate the magnitude in 64 bits and stop growing it once it is past
  // the 32-bit range, so any number of digits saturates instead of wrapping.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (text[i] - '0');
  }
  if (negative) {
    return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::min()
                               : static_cast<std::int32_t>(-magnitude);
  }
  return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::max()
                             : static_cast<std::int32_t>(magnitude);
}

std::string WithoutCom(std::string_view portText) {
  std::string text(portText);
  for (auto pos = text.find("COM"); pos != std::string::npos; pos = text.find("COM", pos)) {
    text.erase(pos, 3);
  }
  return text;
}

std::int16_t PortNumberFromText(std::string_view portText) {
  const std::int32_t number = LeadingInteger(WithoutCom(portText));
  if (number < 0 || number > std::numeric_limits<std::int16_t>::max()) return 0;
  return static_cast<std::int16_t>(number);
}

std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t minimum,
                                         std::int64_t maximum, bool allowSign) {
  std::size_t i = 0;
  bool negative = false;
  if (allowSign && !text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  // Past this the value is out of any range a caller gives; stop growing it.
  constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    if (magnitude < kCeiling) magnitude = magnitude * 10 + (text[i] - '0');
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < minimum || value > maximum) return std::nullopt;
  return value;
}

std::optional<std::int16_t> ParseComName(std::string_view text) {
  if (text.size() < 4 || (text[0] | 0x20) != 'c' || (text[1] | 0x20) != 'o' ||
      (text[2] | 0x20) != 'm') {
    return std::nullopt;
  }
  auto number = ParseDecimal(text.substr(3), 1, std::numeric_limits<std::int16_t>::max(), false);
  if (!number) return std::nullopt;
  return static_cast<std::int16_t>(*number);
}

}  // namespace zorveth
