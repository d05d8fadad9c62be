#include "link/configure.h"

#include "link/command_mode.h"
#include "text/text_numbers.h"

namespace zorveth {
namespace {

constexpr std::uint32_t kClientPromptMs = 300;
constexpr std::uint32_t kServerPromptMs = 400;
constexpr std::uint32_t kClientEchoMs = 400;
constexpr std::uint32_t kServerEchoMs = 300;
constexpr std::uint32_t kReplyMs = 400;
constexpr std::uint32_t kClientLeaveMs = 200;
constexpr std::uint32_t kLeaveMs = 400;
// Gives the Client time to drop out of command mode before the Server's
// escape goes out on the shared line.
constexpr std::uint32_t kBetweenRadiosMs = 300;

}  // namespace

std::string BuildConfigurationLine(std::int32_t channel, const AdvancedSettings& settings,
                                   std::int32_t newBaudRate) {
  return "ATC" + std::to_string(channel) + "FP" + std::to_string(settings.fixedPacketLength) +
         "ID" + std::to_string(settings.systemIdentification) + "BA" +
         std::to_string(settings.retryNumber) + "BR" + std::to_string(newBaudRate) + "\r";
}

void RadioConfigurator::ConfigureRadios(const LinkChoices& choices,
                                        const AdvancedSettings& settings) {
  ScopedWaitCursor waitCursor(m_feedback);
  ScopedTriggerDisabled triggerDisabled(m_feedback);

  const std::int16_t portNumber = PortNumberFromText(choices.comPort);
  // The line goes out whole, carriage return included, however long valid
  // settings make it.
  const std::string line = BuildConfigurationLine(LeadingInteger(choices.channel), settings,
                                                  LeadingInteger(choices.newBaudRate));

  ScopedPortClose portClose(m_port);
  m_port.SetParams(portNumber, kWriteSpeeds[0]);
  m_feedback.Progress("trying Client at " + std::to_string(m_port.Speed()) + " baud...");
  m_feedback.TryingSpeed(RadioRole::Client, m_port.Speed());
  if (m_port.Open() != kPortOk) {
    m_feedback.ShowMessage(message::kUnableToConnectToPort);
    return;
  }
  for (std::size_t i = 0; i < kWriteSpeeds.size(); ++i) {
    if (i > 0) {
      // A failed reopen simply leaves this attempt without a prompt.
      m_port.Close();
      m_port.SetParams(portNumber, kWriteSpeeds[i]);
      m_feedback.Progress("trying Client at " + std::to_string(m_port.Speed()) + " baud...");
      m_feedback.TryingSpeed(RadioRole::Client, m_port.Speed());
      m_port.Open();
    }
    if (SendConfiguration(line) != 0) return;
  }
  m_feedback.ShowMessage(message::kUnableToConnectToRadios);
}

int RadioConfigurator::SendConfiguration(const std::string& line) {
  const auto length = static_cast<std::int16_t>(line.size());
  if (!EnterCommandMode(m_port, m_clock, RadioRole::Client, kClientPromptMs)) return 0;
  m_feedback.RadioAnswered(RadioRole::Client, m_port.Speed());

  // The line follows the prompt at once.
  m_port.Purge();
  m_port.Write(line.data(), length);
  ReadLine(m_port, m_clock, kClientEchoMs);
  std::string reply = ReadLine(m_port, m_clock, kReplyMs);
  m_feedback.LineReplied(RadioRole::Client, reply);
  if (reply != kReplyWriteSuccessful) {
    LeaveCommandMode(m_port, m_clock, kLeaveMs);
    m_feedback.ShowMessage(FailureReplyMessage(reply, message::kUnableToConfigure));
    return 1;
  }

  // The Client holds the new settings now; the Server gets the same line at
  // the same speed. There is no rollback if it fails.
  LeaveCommandMode(m_port, m_clock, kClientLeaveMs);
  m_clock.SleepMs(kBetweenRadiosMs);
  m_feedback.TryingSpeed(RadioRole::Server, m_port.Speed());
  if (!EnterCommandMode(m_port, m_clock, RadioRole::Server, kServerPromptMs)) {
    LeaveCommandMode(m_port, m_clock, kLeaveMs);
    m_feedback.ShowMessage(message::kNoServerCommunication);
    return 1;
  }
  m_feedback.RadioAnswered(RadioRole::Server, m_port.Speed());
  m_port.Purge();
  m_port.Write(line.data(), length);
  ReadLine(m_port, m_clock, kServerEchoMs);
  reply = ReadLine(m_port, m_clock, kReplyMs);
  m_feedback.LineReplied(RadioRole::Server, reply);
  LeaveCommandMode(m_port, m_clock, kLeaveMs);
  m_feedback.ShowMessage(reply == kReplyWriteSuccessful ? message::kConfigurationIsSet
                                                        : message::kServerNotConfigured);
  return 1;
}

}  // namespace zorveth
