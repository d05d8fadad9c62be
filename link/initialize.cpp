#include "link/initialize.h"

#include <optional>

#include "port/cancellation.h"
#include "text/text_numbers.h"

namespace zorveth {
namespace {

constexpr std::uint32_t kEchoMs = 500;
// Writing the radio's EEPROM takes a while before it answers.
constexpr std::uint32_t kReplyMs = 2000;
constexpr std::uint32_t kLeaveMs = 400;
constexpr std::uint32_t kGiveUpLeaveMs = 200;
constexpr char kLineStep[] = "initialization line";

MessageId ReplyMessage(const std::string& reply, RadioRole role) {
  if (reply == kReplyWriteSuccessful) {
    return role == RadioRole::Client ? MessageId::ClientInitialized : MessageId::ServerInitialized;
  }
  return FailureReplyMessage(reply, MessageId::UnableToInitialize);
}

class Initializer {
 public:
  Initializer(CRadioPort& port, Clock& clock, OperationFeedback& feedback,
              OperationOutcome& outcome)
      : m_port(port), m_clock(clock), m_feedback(feedback), m_outcome(outcome) {}

  void Run(RadioRole role, const std::string& line, bool bytePerWrite);

 private:
  std::optional<RadioRole> FindRadio();
  void Say(MessageId id, std::optional<RadioRole> about) {
    m_outcome.messages.push_back({id, about});
    if (about) m_outcome.Addressing(*about).message = id;
    m_feedback.ShowMessage(MessageText(id));
  }

  CRadioPort& m_port;
  Clock& m_clock;
  OperationFeedback& m_feedback;
  OperationOutcome& m_outcome;
};

// Addresses the one radio that is switched on, whichever role it has now:
// first as Client, then as Server, at each speed in turn.
std::optional<RadioRole> Initializer::FindRadio() {
  for (std::size_t i = 0; i < kWriteSpeeds.size(); ++i) {
    bool opened = true;
    if (i > 0) {
      m_port.Close();
      m_port.SetParams(m_port.PortNumber(), kWriteSpeeds[i]);
      opened = m_port.Open() == kPortOk;  // a failed reopen just gets no prompt
    }
    m_feedback.Progress("trying " + std::to_string(m_port.Speed()) + " baud...");
    for (RadioRole role : {RadioRole::Client, RadioRole::Server}) {
      RadioOutcome& radio = m_outcome.Addressing(role);
      radio.tried.push_back({m_port.Speed()});
      if (!opened) {
        radio.tried.back().opened = false;
        radio.tried.back().openFailure = m_port.LastOpenFailure();
        radio.tried.back().openError = m_port.LastOpenError();
      }
      if (EnterCommandMode(m_port, m_clock, role, kInitPromptMs)) {
        radio.answeredAt = m_port.Speed();
        radio.exit = ExitState::NotConfirmed;
        if (role == RadioRole::Client) m_clock.SleepMs(kClientSettleMs);
        return role;
      }
    }
  }
  return std::nullopt;
}

void Initializer::Run(RadioRole role, const std::string& line, bool bytePerWrite) {
  // Also releases what a failed first open may still hold.
  ScopedPortClose portClose(m_port);
  if (m_port.Open() != kPortOk) {
    m_outcome.openError = m_port.LastOpenError();
    m_outcome.openFailure = m_port.LastOpenFailure();
    Say(MessageId::NoPortConnection, std::nullopt);
    return;
  }
  const std::optional<RadioRole> found = FindRadio();
  if (!found) {
    LeaveCommandMode(m_port, m_clock, kGiveUpLeaveMs);
    portClose.CloseNow();
    Say(MessageId::CouldNotConnect, std::nullopt);
    return;
  }
  RadioOutcome& radio = m_outcome.Addressing(*found);
  m_port.Purge();
  // Vorlith radios take the long line one character per write.
  WriteLine(m_port, kLineStep, line, bytePerWrite);
  radio.lineSent = line;
  ReadLine(m_port, m_clock, kEchoMs);
  radio.reply = ReadLine(m_port, m_clock, kReplyMs);
  // The radio answered in its old role; the message names the new one.
  Say(ReplyMessage(*radio.reply, role), *found);
  radio.exit =
      LeaveCommandMode(m_port, m_clock, kLeaveMs) ? ExitState::Confirmed : ExitState::NotConfirmed;
}

}  // namespace

std::string BuildInitializationLine(bool vorlithForm, std::int32_t channel,
                                    const AdvancedSettings& settings, RadioRole role,
                                    std::int32_t newBaudRate) {
  std::string line = "ATC" + std::to_string(channel) + "FP" +
                     std::to_string(settings.fixedPacketLength) + "M" +
                     std::to_string(static_cast<int>(role)) + "ID" +
                     std::to_string(settings.systemIdentification) + "BA" +
                     std::to_string(settings.retryNumber) + "DA1TD1";
  if (vorlithForm) {
    // The long form writes the rate unsigned.
    line += "RF3IT0BR" + std::to_string(static_cast<std::uint32_t>(newBaudRate));
  } else {
    line += "BR" + std::to_string(newBaudRate);
  }
  return line + "\r";
}

OperationOutcome InitializeRadio(RadioRole role, const LinkChoices& choices,
                                 const AdvancedSettings& settings, CRadioPort& port, Clock& clock,
                                 OperationFeedback& feedback) {
  ScopedWaitCursor waitCursor(feedback);
  ScopedTriggerDisabled triggerDisabled(feedback);
  OperationOutcome outcome;
  outcome.kind = OperationKind::Initialize;
  outcome.port = choices.comPort;

  const bool vorlithForm = choices.technology == kVorlithTechnology;
  // Sent whole, carriage return included, whatever its length.
  outcome.intendedLine =
      BuildInitializationLine(vorlithForm, LeadingInteger(choices.channel), settings, role,
                              LeadingInteger(choices.newBaudRate));
  port.SetParams(PortNumberFromText(choices.comPort), kWriteSpeeds[0]);
  try {
    Initializer(port, clock, feedback, outcome).Run(role, outcome.intendedLine, vorlithForm);
  } catch (const OperationCancelled&) {
    outcome.interrupt.emplace();
  }
  return outcome;
}

}  // namespace zorveth
