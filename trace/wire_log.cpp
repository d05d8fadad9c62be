#include "trace/wire_log.h"

#include "trace/wire_trace_format.h"

namespace zorveth {

WireLog::WireLog(std::uint64_t startMs, std::size_t maxOperations, std::size_t maxBytes)
    : m_startMs(startMs),
      m_maxOperations(maxOperations > 0 ? maxOperations : 1),
      m_maxBytes(maxBytes) {}

void WireLog::BeginOperation(std::string name) {
  std::lock_guard lock(m_mutex);
  if (!m_operations.empty()) m_finishedMemory += m_operations.back().MemoryUse();
  m_operations.emplace_back(std::move(name));
  while (m_operations.size() > m_maxOperations) {
    m_finishedMemory -= m_operations.front().MemoryUse();
    m_operations.pop_front();
  }
}

WireTrace& WireLog::Current() {
  if (m_operations.empty()) m_operations.emplace_back();
  return m_operations.back();
}

bool WireLog::MakeRoom(std::size_t cost) {
  WireTrace& current = Current();
  while (m_finishedMemory + current.MemoryUse() + cost > m_maxBytes && m_operations.size() > 1) {
    m_finishedMemory -= m_operations.front().MemoryUse();
    m_operations.pop_front();
  }
  return m_finishedMemory + current.MemoryUse() + cost <= m_maxBytes;
}

void WireLog::RecordSent(std::uint64_t timeMs, std::string_view port, std::uint32_t speed,
                         const char* step, std::string_view bytes) {
  std::lock_guard lock(m_mutex);
  if (!MakeRoom(WireTrace::EntryCost(port.size() + bytes.size()))) {
    m_droppedBytes += bytes.size();
    return;
  }
  Current().AddSent(timeMs, port, speed, step, bytes);
}

void WireLog::RecordReceived(std::uint64_t timeMs, std::string_view port, std::uint32_t speed,
                             std::uint8_t byte) {
  std::lock_guard lock(m_mutex);
  WireTrace& current = Current();
  const std::size_t cost =
      current.ExtendsRun(timeMs, port, speed) ? 1 : WireTrace::EntryCost(port.size() + 1);
  if (!MakeRoom(cost)) {
    m_droppedBytes += 1;
    return;
  }
  current.AddReceived(timeMs, port, speed, byte);
}

void WireLog::EndRun() {
  std::lock_guard lock(m_mutex);
  if (!m_operations.empty()) m_operations.back().EndRun();
}

std::string WireLog::Text() const {
  std::lock_guard lock(m_mutex);
  std::string text;
  for (const WireTrace& operation : m_operations) {
    for (const WireTraceEntry& entry : operation.Entries()) {
      text += FormatWireTraceLine(entry, operation.Operation(), m_startMs);
      text += '\n';
    }
  }
  return text;
}

bool WireLog::Empty() const {
  std::lock_guard lock(m_mutex);
  for (const WireTrace& operation : m_operations) {
    if (!operation.Entries().empty()) return false;
  }
  return true;
}

void WireLog::Clear() {
  std::lock_guard lock(m_mutex);
  m_operations.clear();
  m_finishedMemory = 0;
  m_droppedBytes = 0;
}

std::size_t WireLog::OperationCount() const {
  std::lock_guard lock(m_mutex);
  return m_operations.size();
}

std::size_t WireLog::MemoryUse() const {
  std::lock_guard lock(m_mutex);
  return m_finishedMemory + (m_operations.empty() ? 0 : m_operations.back().MemoryUse());
}

std::size_t WireLog::DroppedBytes() const {
  std::lock_guard lock(m_mutex);
  return m_droppedBytes;
}

}  // namespace zorveth
