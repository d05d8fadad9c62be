#include "radio/initialize.h"

namespace zorveth {
namespace {

constexpr std::uint32_t kInitializeSpeeds[] = {38400, 19200, 9600, 4800};
constexpr std::uint32_t kPromptMs = 200;
constexpr std::uint32_t kClientSettleMs = 420;
constexpr std::uint32_t kEchoMs = 500;
// Writing the radio's EEPROM takes a while before it answers.
constexpr std::uint32_t kReplyMs = 2000;
constexpr std::uint32_t kLeaveMs = 400;
constexpr std::uint32_t kGiveUpLeaveMs = 200;

const char* ReplyMessage(const std::string& reply, RadioRole role) {
  if (reply == "Write successful\n\r") {
    return role == RadioRole::Client ? "Client Initialized" : "Server Initialized";
  }
  if (reply == "Invalid command\n\r") return "Invalid Data";
  if (reply == "Timed out\n\r") return "Radio Timed Out";
  if (reply == "Write failed\n\r") return "Unable to Configure EEPROM";
  return "Unable to Initialize";
}

// Addresses the one radio that is switched on, whichever role it has now:
// first as Client, then as Server, at each speed in turn.
bool FindRadio(CSerialPort& port, OperationFeedback& feedback) {
  for (std::size_t i = 0; i < std::size(kInitializeSpeeds); ++i) {
    if (i > 0) {
      port.Close();
      port.m_speed = kInitializeSpeeds[i];
      port.Open();  // a failed reopen just gets no prompt
    }
    feedback.Progress("trying " + std::to_string(port.m_speed) + " baud...");
    if (port.EnterCommandMode(RadioRole::Client, kPromptMs)) {
      port.GetClock().SleepMs(kClientSettleMs);
      return true;
    }
    if (port.EnterCommandMode(RadioRole::Server, kPromptMs)) return true;
  }
  return false;
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
                     CSerialPort& port, OperationFeedback& feedback) {
  ScopedWaitCursor waitCursor(feedback);
  feedback.EnableTrigger(false);

  const bool vorlithForm = choices.technology == kVorlithTechnology;
  std::string portText = choices.comPort;
  // Sent whole, carriage return included, whatever its length.
  const std::string line =
      BuildInitializationLine(vorlithForm, LeadingInteger(choices.channel), settings, role,
                              LeadingInteger(choices.newBaudRate));

  port.m_portNumber = PortNumberFromText(portText);
  port.m_speed = kInitializeSpeeds[0];
  if (port.Open() != kPortOk) {
    feedback.ShowMessage("No Port Connection!");
    port.Close();  // releases what a failed open may still hold
  } else if (!FindRadio(port, feedback)) {
    port.LeaveCommandMode(kGiveUpLeaveMs);
    port.Close();
    feedback.ShowMessage("Could not Connect");
  } else {
    port.Purge();
    if (vorlithForm) {
      // Vorlith radios take the long line one character per write.
      for (char c : line) port.Write(&c, 1);
    } else {
      port.Write(line.data(), static_cast<std::int16_t>(line.size()));
    }
    port.ReadLine(kEchoMs);
    std::string reply = port.ReadLine(kReplyMs);
    feedback.ShowMessage(ReplyMessage(reply, role));
    port.LeaveCommandMode(kLeaveMs);
    port.Close();
  }
  feedback.EnableTrigger(true);
}

}  // namespace zorveth
