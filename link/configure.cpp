#include "link/configure.h"

#include "link/command_mode.h"
#include "port/cancellation.h"
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
constexpr char kLineStep[] = "configuration line";

ExitState ExitStateOf(bool confirmed) {
  return confirmed ? ExitState::Confirmed : ExitState::NotConfirmed;
}

}  // namespace

std::string BuildConfigurationLine(std::int32_t channel, const AdvancedSettings& settings,
                                   std::int32_t newBaudRate) {
  return "ATC" + std::to_string(channel) + "FP" + std::to_string(settings.fixedPacketLength) +
         "ID" + std::to_string(settings.systemIdentification) + "BA" +
         std::to_string(settings.retryNumber) + "BR" + std::to_string(newBaudRate) + "\r";
}

void RadioConfigurator::Say(MessageId id, std::optional<RadioRole> about) {
  m_outcome.messages.push_back({id, about});
  if (about) m_outcome.Addressing(*about).message = id;
  m_feedback.ShowMessage(MessageText(id));
}

OperationOutcome RadioConfigurator::ConfigureRadios(const LinkChoices& choices,
                                                    const AdvancedSettings& settings) {
  ScopedWaitCursor waitCursor(m_feedback);
  ScopedTriggerDisabled triggerDisabled(m_feedback);
  m_outcome = OperationOutcome{};
  m_outcome.kind = OperationKind::Configure;
  m_outcome.port = choices.comPort;

  const std::int16_t portNumber = PortNumberFromText(choices.comPort);
  // The line goes out whole, carriage return included, however long valid
  // settings make it.
  const std::string line = BuildConfigurationLine(LeadingInteger(choices.channel), settings,
                                                  LeadingInteger(choices.newBaudRate));
  m_outcome.intendedLine = line;
  try {
    ScopedPortClose portClose(m_port);
    RadioOutcome& client = m_outcome.Addressing(RadioRole::Client);
    for (std::size_t i = 0; i < kWriteSpeeds.size(); ++i) {
      // A failed reopen simply leaves this attempt without a prompt.
      if (i > 0) m_port.Close();
      m_port.SetParams(portNumber, kWriteSpeeds[i]);
      m_feedback.Progress("trying Client at " + std::to_string(m_port.Speed()) + " baud...");
      client.tried.push_back({m_port.Speed()});
      if (m_port.Open() != kPortOk) {
        SpeedTried& tried = client.tried.back();
        tried.opened = false;
        tried.openFailure = m_port.LastOpenFailure();
        tried.openError = m_port.LastOpenError();
        if (i == 0) {
          Say(MessageId::UnableToConnectToPort, std::nullopt);
          NoteWhenNothingOpened(m_outcome);
          return m_outcome;
        }
      }
      if (SendConfiguration(line) != 0) return m_outcome;
    }
    Say(MessageId::UnableToConnectToRadios, RadioRole::Client);
  } catch (const OperationCancelled&) {
    m_outcome.interrupt.emplace();
  }
  NoteWhenNothingOpened(m_outcome);
  return m_outcome;
}

std::string RadioConfigurator::SendLine(RadioOutcome& radio, const std::string& line,
                                        std::uint32_t echoMs) {
  m_port.Purge();
  WriteLine(m_port, kLineStep, line, false);
  radio.lineSent = line;
  ReadLine(m_port, m_clock, echoMs);
  radio.reply = ReadLine(m_port, m_clock, kReplyMs);
  return *radio.reply;
}

bool RadioConfigurator::WriteClient(const std::string& line) {
  RadioOutcome& client = m_outcome.Addressing(RadioRole::Client);
  if (!EnterCommandMode(m_port, m_clock, RadioRole::Client, kClientPromptMs)) return false;
  client.answeredAt = m_port.Speed();
  client.exit = ExitState::NotConfirmed;
  // The line follows the prompt at once. A Client that took it gets the
  // short exit: the Server's turn comes next.
  const std::string reply = SendLine(client, line, kClientEchoMs);
  const bool taken = reply == kReplyWriteSuccessful;
  client.exit = ExitStateOf(LeaveCommandMode(m_port, m_clock, taken ? kClientLeaveMs : kLeaveMs));
  return true;
}

bool RadioConfigurator::WriteServer(const std::string& line) {
  RadioOutcome& server = m_outcome.Addressing(RadioRole::Server);
  server.tried.push_back({m_port.Speed()});
  if (!EnterCommandMode(m_port, m_clock, RadioRole::Server, kServerPromptMs)) {
    // Whoever may have heard the escape late is told to leave again.
    LeaveCommandMode(m_port, m_clock, kLeaveMs);
    return false;
  }
  server.answeredAt = m_port.Speed();
  server.exit = ExitState::NotConfirmed;
  SendLine(server, line, kServerEchoMs);
  server.exit = ExitStateOf(LeaveCommandMode(m_port, m_clock, kLeaveMs));
  return true;
}

void RadioConfigurator::PauseBetweenRadios() {
  m_clock.SleepMs(kBetweenRadiosMs);
}

int RadioConfigurator::SendConfiguration(const std::string& line) {
  if (!WriteClient(line)) return 0;
  const std::string& reply = *m_outcome.Addressing(RadioRole::Client).reply;
  if (reply != kReplyWriteSuccessful) {
    Say(FailureReplyMessage(reply, MessageId::UnableToConfigure), RadioRole::Client);
    return 1;
  }
  // The Client holds the new settings now; the Server gets the same line at
  // the same speed. There is no rollback if it fails.
  PauseBetweenRadios();
  if (!WriteServer(line)) {
    Say(MessageId::NoServerCommunication, RadioRole::Server);
    return 1;
  }
  const bool set = *m_outcome.Addressing(RadioRole::Server).reply == kReplyWriteSuccessful;
  Say(set ? MessageId::ConfigurationIsSet : MessageId::ServerNotConfigured,
      set ? std::nullopt : std::optional(RadioRole::Server));
  return 1;
}

}  // namespace zorveth
