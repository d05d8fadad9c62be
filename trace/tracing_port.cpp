#include "trace/tracing_port.h"

namespace zorveth {
namespace {

// What a write is called in the trace when command mode did not say
// (nothing of the tool's own does that; a test or a tool of its own might).
constexpr char kUnnamedStep[] = "send";

const char* StepName(const LinkStep& step) {
  switch (step.kind) {
    case LinkStepKind::Escape:
      return step.role == RadioRole::Client ? "escape Client" : "escape Server";
    case LinkStepKind::Exit:
      return "leave command mode";
    case LinkStepKind::Query:
    case LinkStepKind::LineStarted:
      // Both come from the protocol's fixed texts.
      return step.name.data();
    case LinkStepKind::PromptSeen:
    case LinkStepKind::LineSent:
    case LinkStepKind::ExitConfirmed:
      break;
  }
  return nullptr;
}

}  // namespace

void TracingPort::SetParams(std::int16_t portNumber, std::uint32_t speed) {
  m_log.EndRun();
  ForwardingPort::SetParams(portNumber, speed);
}

std::int16_t TracingPort::Open() {
  m_log.EndRun();
  return ForwardingPort::Open();
}

std::int16_t TracingPort::Close() {
  m_log.EndRun();
  return ForwardingPort::Close();
}

void TracingPort::NoteStep(const LinkStep& step) {
  if (const char* name = StepName(step)) {
    m_step = name;
    m_inLine = step.kind == LinkStepKind::LineStarted;
  } else if (step.kind == LinkStepKind::LineSent) {
    m_inLine = false;
  }
  ForwardingPort::NoteStep(step);
}

std::int16_t TracingPort::Write(const void* data, std::int16_t length) {
  // Stamped when the write begins: a slow write must not appear to have
  // started after the bytes the radio sent in reply.
  const std::uint64_t timeMs = m_clock.NowMs();
  const std::int16_t status = ForwardingPort::Write(data, length);
  const char* step = m_step ? m_step : kUnnamedStep;
  // A named step belongs to one write, a settings line to all of its own.
  if (!m_inLine) m_step = nullptr;
  // A failed write may have sent nothing; it is left out rather than shown
  // as if the radios had heard it.
  if (status == kPortOk && length > 0) {
    m_log.RecordSent(
        timeMs, Name(), Speed(), step,
        std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(length)));
  }
  return status;
}

std::int16_t TracingPort::ReadByte(std::uint8_t* byte) {
  const std::int16_t got = ForwardingPort::ReadByte(byte);
  if (got == 1) m_log.RecordReceived(m_clock.NowMs(), Name(), Speed(), *byte);
  return got;
}

std::unique_ptr<CRadioPort> TraceInto(WireLog& log, Clock& clock,
                                      std::unique_ptr<CRadioPort> inner) {
  return std::make_unique<TracingPort>(std::move(inner), clock, log);
}

}  // namespace zorveth
