#include "link/settings_poll.h"

#include "port/cancellation.h"
#include "text/text_numbers.h"

namespace zorveth {

bool EnterCommandModeAsPoll(CRadioPort& port, Clock& clock, RadioRole role) {
  const int attempts = role == RadioRole::Client ? kClientAttempts : 1;
  for (int i = 0; i < attempts; ++i) {
    if (EnterCommandMode(port, clock, role, kPollPromptTimeoutMs)) return true;
  }
  return false;
}

void SettleAfterPrompt(Clock& clock, RadioRole role) {
  if (role == RadioRole::Client) clock.SleepMs(kClientSettleMs);
}

ExitState LeaveCommandModeAsPoll(CRadioPort& port, Clock& clock, RadioRole role) {
  // The Client sometimes misses the first exit command; the Server is told
  // once.
  const int attempts = role == RadioRole::Client ? kClientAttempts : 1;
  for (int i = 0; i < attempts; ++i) {
    if (LeaveCommandMode(port, clock, kPollLeaveTimeoutMs)) return ExitState::Confirmed;
  }
  return ExitState::NotConfirmed;
}

std::vector<RegisterReading> ReadRegisters(CRadioPort& port, Clock& clock,
                                           const std::vector<std::string_view>& names) {
  std::vector<RegisterReading> readings;
  readings.reserve(names.size());
  for (std::string_view name : names) {
    const std::uint16_t value = QueryValue(port, clock, std::string(name));
    readings.push_back({name, value == kQueryFailed ? std::nullopt : std::optional(value)});
  }
  return readings;
}

void SettingsPoll::Say(MessageId id, std::optional<RadioRole> about) {
  m_outcome.messages.push_back({id, about});
  if (about) m_outcome.Addressing(*about).message = id;
  m_feedback.ShowMessage(MessageText(id));
}

bool SettingsPoll::PollAtSpeed(RadioRole role, std::uint32_t speed) {
  ScopedWaitCursor waitCursor(m_feedback);
  m_feedback.Progress(std::string("trying ") + RoleName(role) + " at " + std::to_string(speed) +
                      " baud...");
  // The poll dialog keeps the port text without its "COM" from the first
  // poll on.
  const std::int16_t portNumber = PortNumberFromText(m_portText);
  m_portText = WithoutCom(m_portText);
  m_port.SetParams(portNumber, speed);

  RadioOutcome& radio = m_outcome.Addressing(role);
  ScopedPortClose portClose(m_port);
  radio.tried.push_back({speed});
  if (m_port.Open() != kPortOk) {
    SpeedTried& tried = radio.tried.back();
    tried.opened = false;
    tried.openFailure = m_port.LastOpenFailure();
    tried.openError = m_port.LastOpenError();
    return false;
  }
  if (!EnterCommandModeAsPoll(m_port, m_clock, role)) return false;
  radio.answeredAt = speed;
  // The radio answered: from here on it needs its exit, whatever comes.
  radio.exit = ExitState::NotConfirmed;
  SettleAfterPrompt(m_clock, role);
  m_reportRole = role;
  ReportSettings(speed);
  m_outcome.Addressing(role).exit = LeaveCommandModeAsPoll(m_port, m_clock, role);
  return true;
}

bool SettingsPoll::PollServerAtSpeed(std::uint32_t speed) {
  return PollAtSpeed(RadioRole::Server, speed);
}

bool SettingsPoll::PollClientAtSpeed(std::uint32_t speed) {
  return PollAtSpeed(RadioRole::Client, speed);
}

void SettingsPoll::ReportSettings(std::uint32_t speed) {
  std::vector<std::string_view> names;
  for (const RadioRegister& known : kPollRegisters) names.push_back(known.name);
  RadioOutcome& radio = m_outcome.Addressing(m_reportRole);
  // All seven queries are made before anything is shown.
  radio.registers = ReadRegisters(m_port, m_clock, names);
  radio.answeredAt = speed;
  if (!radio.ReadWhole()) {
    Say(MessageId::ErrorDuringRead, m_reportRole);
    return;
  }
  for (const std::string& line : ReportLines(radio)) m_results.AppendLine(line);
}

template <typename Body>
OperationOutcome SettingsPoll::Run(OperationKind kind, Body body) {
  m_outcome = OperationOutcome{};
  m_outcome.kind = kind;
  m_outcome.port = m_portText;
  try {
    body();
  } catch (const OperationCancelled&) {
    // The port was closed while unwinding; whoever set the token fills in
    // what the interrupt left.
    m_outcome.interrupt.emplace();
  }
  NoteWhenNothingOpened(m_outcome);
  return m_outcome;
}

OperationOutcome SettingsPoll::PollServer() {
  return Run(OperationKind::PollServer, [this] {
    for (std::uint32_t speed : kPollSpeeds) {
      if (PollServerAtSpeed(speed)) return;
    }
    Say(MessageId::PollingServerFailed, RadioRole::Server);
  });
}

OperationOutcome SettingsPoll::PollClient() {
  return Run(OperationKind::PollClient, [this] {
    for (std::uint32_t speed : kPollSpeeds) {
      if (PollClientAtSpeed(speed)) return;
    }
    Say(MessageId::PollingClientFailed, RadioRole::Client);
  });
}

OperationOutcome SettingsPoll::PollBoth() {
  return Run(OperationKind::PollBoth, [this] {
    for (std::uint32_t speed : kPollSpeeds) {
      if (PollServerAtSpeed(speed)) {
        // Both radios of a link share one speed: the Client is asked only
        // at the speed the Server answered at.
        if (!PollClientAtSpeed(speed)) Say(MessageId::PollingClientFailed, RadioRole::Client);
        return;
      }
    }
    Say(MessageId::PollingFailed, RadioRole::Server);
  });
}

}  // namespace zorveth
