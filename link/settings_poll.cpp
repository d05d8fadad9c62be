#include "link/settings_poll.h"

#include <array>

#include "text/text_numbers.h"

namespace zorveth {
namespace {

constexpr std::uint32_t kPromptTimeoutMs = 200;
constexpr std::uint32_t kLeaveTimeoutMs = 200;
constexpr int kClientAttempts = 3;
// The Client needs a moment after its prompt before it takes queries.
constexpr std::uint32_t kClientSettleMs = 420;

// Registers in the order they go on the wire.
constexpr std::array<const char*, 7> kRegisters = {"C", "FP", "M", "ID", "BA", "S", "REV"};

}  // namespace

bool EnterCommandModeAsPoll(CRadioPort& port, Clock& clock, RadioRole role) {
  const int attempts = role == RadioRole::Client ? kClientAttempts : 1;
  for (int i = 0; i < attempts; ++i) {
    if (EnterCommandMode(port, clock, role, kPromptTimeoutMs)) return true;
  }
  return false;
}

void SettleAfterPrompt(Clock& clock, RadioRole role) {
  if (role == RadioRole::Client) clock.SleepMs(kClientSettleMs);
}

void LeaveCommandModeAsPoll(CRadioPort& port, Clock& clock, RadioRole role) {
  // The Client sometimes misses the first exit command; the Server is told
  // once.
  const int attempts = role == RadioRole::Client ? kClientAttempts : 1;
  for (int i = 0; i < attempts; ++i) {
    if (LeaveCommandMode(port, clock, kLeaveTimeoutMs)) break;
  }
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

  ScopedPortClose portClose(m_port);
  m_feedback.TryingSpeed(role, speed);
  if (m_port.Open() != kPortOk) return false;
  if (!EnterCommandModeAsPoll(m_port, m_clock, role)) return false;
  m_feedback.RadioAnswered(role, speed);
  SettleAfterPrompt(m_clock, role);
  m_reportRole = role;
  ReportSettings(speed);
  LeaveCommandModeAsPoll(m_port, m_clock, role);
  return true;
}

bool SettingsPoll::PollServerAtSpeed(std::uint32_t speed) {
  return PollAtSpeed(RadioRole::Server, speed);
}

bool SettingsPoll::PollClientAtSpeed(std::uint32_t speed) {
  return PollAtSpeed(RadioRole::Client, speed);
}

void SettingsPoll::ReportSettings(std::uint32_t speed) {
  RegisterValues values{};
  static_assert(values.size() == kRegisters.size());
  for (std::size_t i = 0; i < kRegisters.size(); ++i)
    values[i] = QueryValue(m_port, m_clock, kRegisters[i]);
  const auto [channel, packetLength, role, systemId, attempts, signal, revision] = values;
  m_feedback.RegistersRead(m_reportRole, speed, values);

  // The revision is informative only; every other register must have read.
  for (std::size_t i = 0; i + 1 < kRegisters.size(); ++i) {
    if (values[i] == kQueryFailed) {
      m_feedback.ShowMessage(message::kErrorDuringRead);
      return;
    }
  }
  const char* roleText = role == 1 ? "Server" : role == 2 ? "Client" : "";
  auto line = [](const char* label, unsigned long value) {
    return std::string(label) + std::to_string(value);
  };
  m_results.AppendLine(std::string("Settings polled from: ") + roleText);
  m_results.AppendLine("============================================");
  m_results.AppendLine(line("Channel Number:            ", channel));
  m_results.AppendLine(line("Packet Length:               ", packetLength));
  m_results.AppendLine(line("System ID:                      ", systemId));
  m_results.AppendLine(line("Broadcast Attempts:        ", attempts));
  m_results.AppendLine(line("Baud Rate:                     ", speed));
  m_results.AppendLine(line("Signal Strength:               ", signal));
  m_results.AppendLine(line("Firmware Revision:          ", revision));
  m_results.AppendLine(" ");
  m_results.AppendLine(" ");
}

void SettingsPoll::PollServer() {
  for (std::uint32_t speed : kPollSpeeds) {
    if (PollServerAtSpeed(speed)) return;
  }
  m_feedback.ShowMessage(message::kPollingServerFailed);
}

void SettingsPoll::PollClient() {
  for (std::uint32_t speed : kPollSpeeds) {
    if (PollClientAtSpeed(speed)) return;
  }
  m_feedback.ShowMessage(message::kPollingClientFailed);
}

void SettingsPoll::PollBoth() {
  for (std::uint32_t speed : kPollSpeeds) {
    if (PollServerAtSpeed(speed)) {
      // Both radios of a link share one speed: the Client is asked only at
      // the speed the Server answered at.
      if (!PollClientAtSpeed(speed)) m_feedback.ShowMessage(message::kPollingClientFailed);
      return;
    }
  }
  m_feedback.ShowMessage(message::kPollingFailed);
}

}  // namespace zorveth
