#include "trace/wire_trace.h"

#include <array>

namespace zorveth {
namespace {

// A line longer than any the radios take is only kept this far for naming.
constexpr std::size_t kLineKept = 300;

bool HasKey(std::string_view line, std::string_view key) {
  return line.find(key) != std::string_view::npos;
}

}  // namespace

const char* WireStepOf(std::string_view line) {
  if (line == "+S\r") return "escape Server";
  if (line == "+C\r") return "escape Client";
  if (line == "ATE\r") return "leave command mode";
  static constexpr std::array<std::pair<std::string_view, const char*>, 7> kQueries = {{
      {"ATC\r", "query C"},
      {"ATFP\r", "query FP"},
      {"ATM\r", "query M"},
      {"ATID\r", "query ID"},
      {"ATBA\r", "query BA"},
      {"ATS\r", "query S"},
      {"ATREV\r", "query REV"},
  }};
  for (const auto& [command, step] : kQueries) {
    if (line == command) return step;
  }
  // Both settings lines start with the channel and end with the speed; only
  // the initialization line carries the data and transmit settings.
  if (line.starts_with("ATC") && HasKey(line, "BR")) {
    return HasKey(line, "DA") ? "initialization line" : "configuration line";
  }
  return "send";
}

void WireTrace::AddSent(std::uint64_t timeMs, std::int16_t portNumber, std::uint32_t speed,
                        std::string_view bytes) {
  m_runOpen = false;
  if (m_lineSoFar.empty()) m_lineFirstEntry = m_entries.size();
  m_entries.push_back({timeMs, WireDirection::Sent, portNumber, speed, "", std::string(bytes)});
  m_memoryUse += EntryCost(bytes.size());

  const std::size_t lineEnd = bytes.find('\r');
  if (lineEnd == std::string_view::npos) {
    if (m_lineSoFar.size() < kLineKept) m_lineSoFar.append(bytes.substr(0, kLineKept));
    // Named for now after what it looks like so far; renamed once whole.
    m_step = WireStepOf(m_lineSoFar);
    m_entries.back().step = m_step;
    return;
  }
  m_lineSoFar.append(bytes.substr(0, lineEnd + 1));
  m_step = WireStepOf(m_lineSoFar);
  for (std::size_t i = m_lineFirstEntry; i < m_entries.size(); ++i) m_entries[i].step = m_step;
  // Whatever follows the line end starts the next line.
  m_lineSoFar.assign(bytes.substr(bytes.rfind('\r') + 1));
  m_lineFirstEntry = m_entries.size() - 1;
}

bool WireTrace::ExtendsRun(std::uint64_t timeMs, std::int16_t portNumber,
                           std::uint32_t speed) const {
  if (!m_runOpen || m_entries.empty()) return false;
  const WireTraceEntry& last = m_entries.back();
  return last.direction == WireDirection::Received && last.portNumber == portNumber &&
         last.speed == speed && timeMs >= m_lastReceivedMs &&
         timeMs - m_lastReceivedMs <= kRunGapMs;
}

void WireTrace::AddReceived(std::uint64_t timeMs, std::int16_t portNumber, std::uint32_t speed,
                            std::uint8_t byte) {
  if (ExtendsRun(timeMs, portNumber, speed)) {
    m_entries.back().bytes.push_back(static_cast<char>(byte));
    m_memoryUse += 1;
  } else {
    m_entries.push_back(
        {timeMs, WireDirection::Received, portNumber, speed, m_step, std::string(1, byte)});
    m_memoryUse += EntryCost(1);
  }
  m_lastReceivedMs = timeMs;
  m_runOpen = byte != '\r';
}

}  // namespace zorveth
