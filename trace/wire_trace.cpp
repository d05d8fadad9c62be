#include "trace/wire_trace.h"

namespace zorveth {

void WireTrace::AddSent(std::uint64_t timeMs, std::string_view port, std::uint32_t speed,
                        const char* step, std::string_view bytes) {
  m_runOpen = false;
  m_step = step;
  m_entries.push_back(
      {timeMs, WireDirection::Sent, std::string(port), speed, step, std::string(bytes)});
  m_memoryUse += EntryCost(port.size() + bytes.size());
}

bool WireTrace::ExtendsRun(std::uint64_t timeMs, std::string_view port, std::uint32_t speed) const {
  if (!m_runOpen || m_entries.empty()) return false;
  const WireTraceEntry& last = m_entries.back();
  return last.direction == WireDirection::Received && last.port == port && last.speed == speed &&
         timeMs >= m_lastReceivedMs && timeMs - m_lastReceivedMs <= kRunGapMs;
}

void WireTrace::AddReceived(std::uint64_t timeMs, std::string_view port, std::uint32_t speed,
                            std::uint8_t byte) {
  if (ExtendsRun(timeMs, port, speed)) {
    m_entries.back().bytes.push_back(static_cast<char>(byte));
    m_memoryUse += 1;
  } else {
    m_entries.push_back(
        {timeMs, WireDirection::Received, std::string(port), speed, m_step, std::string(1, byte)});
    m_memoryUse += EntryCost(port.size() + 1);
  }
  m_lastReceivedMs = timeMs;
  m_runOpen = byte != '\r';
}

}  // namespace zorveth
