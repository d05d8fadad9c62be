#include "tests/support/fake_serial_port.h"

#include <algorithm>

namespace zorveth::testing {

void FakeSerialPort::Record(const std::string& what) {
  m_events.push_back({m_fakeClock.Elapsed(), what});
}

std::int16_t FakeSerialPort::Open() {
  m_timeoutsPending = true;
  bool fails =
      failAllOpens || std::find(failOpenAt.begin(), failOpenAt.end(), m_speed) != failOpenAt.end();
  Record("open " + std::to_string(m_speed) + (fails ? " failed" : ""));
  m_lastOpenError = fails ? "COM" + std::to_string(m_portNumber) + ": open refused" : "";
  m_lastOpenFailure = fails ? failureKind : OpenFailure::None;
  if (fails) return kPortOpenFailed;
  m_open = true;
  m_openSpeed = m_speed;
  ++m_openCount;
  m_rx.clear();
  return kPortOk;
}

std::int16_t FakeSerialPort::Close() {
  Record("close");
  bool wasOpen = m_open;
  m_open = false;
  m_rx.clear();
  return wasOpen ? kPortOk : kPortCloseFailed;
}

std::int16_t FakeSerialPort::Write(const void* data, std::int16_t length) {
  std::string bytes(static_cast<const char*>(data), static_cast<std::size_t>(length));
  Record("write " + bytes);
  m_writeStalled = false;
  if (!m_open) return kPortWriteFailed;
  if (stallWrites) {
    m_fakeClock.Advance(WireTimeMs(bytes.size(), m_openSpeed) + kWriteGraceMs);
    m_writeStalled = true;
    return kPortWriteFailed;
  }
  m_timeoutsPending = false;
  m_writes.emplace_back(m_openSpeed, bytes);
  if (m_responder) m_responder(*this, bytes, m_openSpeed);
  return kPortOk;
}

std::int16_t FakeSerialPort::ReadByte(std::uint8_t* byte) {
  std::uint64_t now = m_fakeClock.NowMs();
  if (m_open && !m_rx.empty() && m_rx.front().at < now + readSliceMs) {
    if (m_rx.front().at > now) m_fakeClock.Advance(m_rx.front().at - now);
    *byte = m_rx.front().byte;
    m_rx.pop_front();
    return 1;
  }
  m_fakeClock.Advance(readSliceMs);
  return 0;
}

bool FakeSerialPort::Purge() {
  Record("purge");
  std::uint64_t now = m_fakeClock.NowMs();
  while (!m_rx.empty() && m_rx.front().at <= now) m_rx.pop_front();
  return true;
}

void FakeSerialPort::Send(const std::string& bytes, std::uint64_t delayMs) {
  std::uint64_t at = m_fakeClock.NowMs() + delayMs;
  if (!m_rx.empty()) at = std::max(at, m_rx.back().at);
  for (char c : bytes) m_rx.push_back({at, static_cast<std::uint8_t>(c)});
}

std::string FakeSerialPort::Written(std::uint32_t speed) const {
  std::string all;
  for (const auto& [at, bytes] : m_writes) {
    if (speed == 0 || at == speed) all += bytes;
  }
  return all;
}

std::vector<std::string> FakeSerialPort::Writes() const {
  std::vector<std::string> all;
  for (const auto& write : m_writes) all.push_back(write.second);
  return all;
}

}  // namespace zorveth::testing
