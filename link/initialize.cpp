#include "link/initialize.h"

#include <optional>

#include "text/text_numbers.h"

namespace zorveth {
namespace {

constexpr std::uint32_t kPromptMs = 200;
constexpr std::uint32_t kClientSettleMs = 420;
constexpr std::uint32_t kEchoMs = 500;
// Writing the radio's EEPROM takes a while before it answers.
constexpr std::uint32_t kReplyMs = 2000;
constexpr std::uint32_t kLeaveMs = 400;
constexpr std::uint32_t kGiveUpLeaveMs = 200;

const char* ReplyMessage(const std::string& reply, RadioRole role) {
  if (reply == kReplyWriteSuccessful) {
    return role == RadioRole::Client ? message::kClientInitialized : message::kServerInitialized;
  }
  return FailureReplyMessage(reply, message::kUnableToInitialize);
}

// Addresses the one radio that is switched on, whichever role it has now:
// first as Client, then as Server, at each speed in turn.
std::optional<RadioRole> FindRadio(CRadioPort& port, Clock& clock, OperationFeedback& feedback) {
  for (std::size_t i = 0; i < kWriteSpeeds.size(); ++i) {
    if (i > 0) {
      port.Close();
      port.SetParams(port.PortNumber(), kWriteSpeeds[i]);
      port.Open();  // a failed reopen just gets no prompt
    }
    feedback.Progress("trying " + std::to_string(port.Speed()) + " baud...");
    for (RadioRole role : {RadioRole::Client, RadioRole::Server}) {
      feedback.TryingSpeed(role, port.Speed());
      if (EnterCommandMode(port, clock, role, kPromptMs)) {
        feedback.RadioAnswered(role, port.Speed());
        if (role == RadioRole::Client) clock.SleepMs(kClientSettleMs);
        return role;
      }
    }
  }
  return std::nullopt;
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

void InitializeRadio(RadioRole role, const LinkChoices& choices, const AdvancedSettings& settings,
                     CRadioPort& port, Clock& clock, OperationFeedback& feedback) {
  ScopedWaitCursor waitCursor(feedback);
  ScopedTriggerDisabled triggerDisabled(feedback);

  const bool vorlithForm = choices.technology == kVorlithTechnology;
  // Sent whole, carriage return included, whatever its length.
  const std::string line =
      BuildInitializationLine(vorlithForm, LeadingInteger(choices.channel), settings, role,
                              LeadingInteger(choices.newBaudRate));

  // Also releases what a failed first open may still hold.
  ScopedPortClose portClose(port);
  port.SetParams(PortNumberFromText(choices.comPort), kWriteSpeeds[0]);
  if (port.Open() != kPortOk) {
    feedback.ShowMessage(message::kNoPortConnection);
    return;
  }
  const std::optional<RadioRole> found = FindRadio(port, clock, feedback);
  if (!found) {
    LeaveCommandMode(port, clock, kGiveUpLeaveMs);
    portClose.CloseNow();
    feedback.ShowMessage(message::kCouldNotConnect);
    return;
  }
  port.Purge();
  if (vorlithForm) {
    // Vorlith radios take the long line one character per write.
    for (char c : line) port.Write(&c, 1);
  } else {
    port.Write(line.data(), static_cast<std::int16_t>(line.size()));
  }
  ReadLine(port, clock, kEchoMs);
  std::string reply = ReadLine(port, clock, kReplyMs);
  // The radio answered in its old role; the reply is about the new one.
  feedback.LineReplied(*found, reply);
  feedback.ShowMessage(ReplyMessage(reply, role));
  LeaveCommandMode(port, clock, kLeaveMs);
}

}  // namespace zorveth
