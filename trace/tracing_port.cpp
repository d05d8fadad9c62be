#include "trace/tracing_port.h"

namespace zorveth {

void TracingPort::SetParams(std::int16_t portNumber, std::uint32_t speed) {
  m_log.EndRun();
  m_inner.SetParams(portNumber, speed);
}

std::int16_t TracingPort::Open() {
  m_log.EndRun();
  return m_inner.Open();
}

std::int16_t TracingPort::Close() {
  m_log.EndRun();
  return m_inner.Close();
}

std::int16_t TracingPort::Write(const void* data, std::int16_t length) {
  // Stamped when the write begins: a slow write must not appear to have
  // started after the bytes the radio sent in reply.
  const std::uint64_t timeMs = m_clock.NowMs();
  const std::int16_t status = m_inner.Write(data, length);
  // A failed write may have sent nothing; it is left out rather than shown
  // as if the radios had heard it.
  if (status == kPortOk && length > 0) {
    m_log.RecordSent(
        timeMs, m_inner.PortNumber(), m_inner.Speed(),
        std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(length)));
  }
  return status;
}

std::int16_t TracingPort::ReadByte(std::uint8_t* byte) {
  const std::int16_t got = m_inner.ReadByte(byte);
  if (got == 1) m_log.RecordReceived(m_clock.NowMs(), m_inner.PortNumber(), m_inner.Speed(), *byte);
  return got;
}

std::unique_ptr<CRadioPort> TraceInto(WireLog& log, Clock& clock,
                                      std::unique_ptr<CRadioPort> inner) {
  return std::make_unique<TracingPort>(std::move(inner), clock, log);
}

}  // namespace zorveth
