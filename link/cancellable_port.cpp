#include "link/cancellable_port.h"

#include "link/command_mode.h"

namespace zorveth {

void CancellablePort::NoteInterrupt() {
  if (m_stopped) return;
  m_stopped = true;
  m_stepAtInterrupt = m_lastStep;
}

void CancellablePort::Stop() {
  NoteInterrupt();
  throw OperationCancelled();
}

void CancellablePort::NoteStep(const LinkStep& step) {
  switch (step.kind) {
    case LinkStepKind::Escape:
      m_mayBeInCommandMode = true;
      m_lastAddressed = step.role;
      break;
    case LinkStepKind::ExitConfirmed:
      m_mayBeInCommandMode = false;
      break;
    case LinkStepKind::LineStarted:
      m_lineInProgress = true;
      break;
    case LinkStepKind::LineSent:
      m_lineInProgress = false;
      break;
    case LinkStepKind::PromptSeen:
    case LinkStepKind::Query:
    case LinkStepKind::Exit:
      break;
  }
  m_lastStep = step;
  ForwardingPort::NoteStep(step);
}

std::int16_t CancellablePort::Close() {
  if (m_token.IsCancelled() && m_mayBeInCommandMode) {
    // The one thing sent after an interrupt: a radio left in command mode
    // carries no data and may not answer the next escape. It goes to the
    // port below, as this one sends nothing more of the operation.
    NoteInterrupt();
    m_mayBeInCommandMode = false;
    m_exitSentOnCancel = true;
    m_exitConfirmedOnCancel = LeaveCommandModeAfterInterrupt(Inner(), m_clock, kLeaveTimeoutMs);
  }
  return ForwardingPort::Close();
}

std::int16_t CancellablePort::Write(const void* data, std::int16_t length) {
  // A line that has begun goes out whole: half a line is a malformed
  // command to the radio.
  if (m_token.IsCancelled() && !m_lineInProgress) Stop();
  return ForwardingPort::Write(data, length);
}

std::int16_t CancellablePort::ReadByte(std::uint8_t* byte) {
  if (m_token.IsCancelled()) Stop();
  return ForwardingPort::ReadByte(byte);
}

}  // namespace zorveth
