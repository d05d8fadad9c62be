#include "trace/wire_trace_format.h"

#include <charconv>

#include "text/quoting.h"

namespace zorveth {
namespace {

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
  line += ' ';
  line += entry.port;
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
  parsed.port = std::string(NextField(rest));
  if (parsed.port.empty()) return std::nullopt;

  const std::size_t quote = rest.find('"');
  if (quote == std::string_view::npos || quote < 2 || rest[quote - 1] != ' ') return std::nullopt;
  parsed.step = std::string(rest.substr(0, quote - 1));
  auto bytes = UnquoteBytes(rest.substr(quote));
  if (!bytes) return std::nullopt;
  parsed.bytes = std::move(*bytes);
  return parsed;
}

}  // namespace zorveth
