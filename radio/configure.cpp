#include "radio/configure.h"

namespace zorveth {
namespace {

// Configure never tries 2400: the radios' configuration speeds start at 4800.
constexpr std::uint32_t kConfigureSpeeds[] = {38400, 19200, 9600, 4800};
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

constexpr char kWriteSuccessful[] = "Write successful\n\r";

const char* ClientFailureMessage(const std::string& reply) {
  if (reply == "Invalid command\n\r") return "Invalid Data";
  if (reply == "Timed out\n\r") return "Radio Timed Out";
  if (reply == "Write failed\n\r") return "Unable to Configure EEPROM";
  return "Unable to Configure";
}

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
  m_feedback.EnableTrigger(false);

  std::string portText = choices.comPort;
  std::int16_t portNumber = PortNumberFromText(portText);
  // The line goes out whole, carriage return included, however long valid
  // settings make it.
  const std::string line = BuildConfigurationLine(LeadingInteger(choices.channel), settings,
                                                  LeadingInteger(choices.newBaudRate));

  m_port.m_portNumber = portNumber;
  m_port.m_speed = kConfigureSpeeds[0];
  m_feedback.Progress("trying Client at " + std::to_string(m_port.m_speed) + " baud...");
  if (m_port.Open() != kPortOk) {
    m_feedback.ShowMessage("Unable to Connect to Port");
  } else {
    bool reached = false;
    for (std::size_t i = 0; !reached && i < std::size(kConfigureSpeeds); ++i) {
      if (i > 0) {
        // A failed reopen simply leaves this attempt without a prompt.
        m_port.Close();
        m_port.m_speed = kConfigureSpeeds[i];
        m_feedback.Progress("trying Client at " + std::to_string(m_port.m_speed) + " baud...");
        m_port.Open();
      }
      reached = SendConfiguration(line) != 0;
    }
    if (!reached) m_feedback.ShowMessage("Unable to Connect to Radios");
  }
  m_port.Close();
  m_feedback.EnableTrigger(true);
}

int RadioConfigurator::SendConfiguration(const std::string& line) {
  const auto length = static_cast<std::int16_t>(line.size());
  if (!m_port.EnterCommandMode(RadioRole::Client, kClientPromptMs)) return 0;

  // The line follows the prompt at once.
  m_port.Purge();
  m_port.Write(line.data(), length);
  m_port.ReadLine(kClientEchoMs);
  std::string reply = m_port.ReadLine(kReplyMs);
  if (reply != kWriteSuccessful) {
    m_port.LeaveCommandMode(kLeaveMs);
    m_feedback.ShowMessage(ClientFailureMessage(reply));
    return 1;
  }

  // The Client holds the new settings now; the Server gets the same line at
  // the same speed. There is no rollback if it fails.
  m_port.LeaveCommandMode(kClientLeaveMs);
  m_port.GetClock().SleepMs(kBetweenRadiosMs);
  if (!m_port.EnterCommandMode(RadioRole::Server, kServerPromptMs)) {
    m_port.LeaveCommandMode(kLeaveMs);
    m_feedback.ShowMessage("No Server Communication");
    return 1;
  }
  m_port.Purge();
  m_port.Write(line.data(), length);
  m_port.ReadLine(kServerEchoMs);
  reply = m_port.ReadLine(kReplyMs);
  m_port.LeaveCommandMode(kLeaveMs);
  m_feedback.ShowMessage(reply == kWriteSuccessful ? "Configuration is Set"
                                                   : "Server not Configured");
  return 1;
}

}  // namespace zorveth
