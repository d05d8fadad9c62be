#include "link/cancellable_port.h"

#include <string_view>

#include "link/command_mode.h"

namespace zorveth {

std::int16_t CancellablePort::Open() {
  m_mayBeInCommandMode = false;
  m_exitPending = false;
  return m_inner.Open();
}

std::int16_t CancellablePort::Close() {
  if (m_token.IsCancelled() && m_mayBeInCommandMode) {
    // The one thing sent after an interrupt: a radio left in command mode
    // carries no data and may not answer the next escape.
    m_exitSentOnCancel = true;
    m_exitConfirmedOnCancel = LeaveCommandMode(m_inner, m_clock, kLeaveTimeoutMs);
  }
  m_mayBeInCommandMode = false;
  m_exitPending = false;
  return m_inner.Close();
}

std::int16_t CancellablePort::Write(const void* data, std::int16_t length) {
  if (m_token.IsCancelled()) throw OperationCancelled();
  const std::string_view bytes(static_cast<const char*>(data),
                               length > 0 ? static_cast<std::size_t>(length) : 0);
  if (bytes == EscapeString(RadioRole::Client) || bytes == EscapeString(RadioRole::Server)) {
    m_mayBeInCommandMode = true;
    m_exitPending = false;
  } else if (bytes == "ATE\r") {
    // Out of command mode only once the radio confirms: the Client at
    // times misses an exit.
    m_exitPending = true;
    m_sinceExit.clear();
  }
  return m_inner.Write(data, length);
}

std::int16_t CancellablePort::ReadByte(std::uint8_t* byte) {
  if (m_token.IsCancelled()) throw OperationCancelled();
  const std::int16_t got = m_inner.ReadByte(byte);
  if (got == 1 && m_exitPending) {
    constexpr std::string_view kConfirmation = "ATE\n\r";
    m_sinceExit.push_back(static_cast<char>(*byte));
    if (m_sinceExit.size() > kConfirmation.size()) m_sinceExit.erase(0, 1);
    if (m_sinceExit == kConfirmation) {
      m_mayBeInCommandMode = false;
      m_exitPending = false;
    }
  }
  return got;
}

}  // namespace zorveth
