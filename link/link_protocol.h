#pragma once

// The facts of the link protocol that more than one part of the tool needs:
// the technologies and their preselected channels, the speeds each
// operation probes, the radios' status replies and the messages the user
// sees for them. The dialogs and the command-line tool both take them from
// here.
#include <array>
#include <cstdint>
#include <string_view>

namespace zorveth {

// The technologies of the main dialog's list, in its order. Only the first
// one changes what goes on the wire: it selects the long initialization line
// (compared exactly, letter case included).
inline constexpr std::string_view kVorlithTechnology = "Vorlith Radio Control";
inline constexpr std::string_view kDunmereTechnology = "Dunmere Radio Control";
inline constexpr std::string_view kOtherTechnology = "Other";
inline constexpr std::array<std::string_view, 3> kTechnologies = {
    kVorlithTechnology, kDunmereTechnology, kOtherTechnology};

// The channel the main dialog preselects for a technology: "67", "53", or
// "25" for any other text.
constexpr std::string_view DefaultChannel(std::string_view technology) {
  if (technology == kVorlithTechnology) return "67";
  if (technology == kDunmereTechnology) return "53";
  return "25";
}

// The main dialog's start-up choice of the new baud rate.
inline constexpr std::string_view kDefaultNewBaudRate = "19200";

// Every speed a radio can listen at, fastest first: a poll probes them all.
inline constexpr std::array<std::uint32_t, 5> kPollSpeeds = {38400, 19200, 9600, 4800, 2400};
// Configure and Initialize never try 2400: the radios take configuration
// lines from 4800 up.
inline constexpr std::array<std::uint32_t, 4> kWriteSpeeds = {38400, 19200, 9600, 4800};

// A radio's status line after a configuration or initialization line.
inline constexpr std::string_view kReplyWriteSuccessful = "Write successful\n\r";
inline constexpr std::string_view kReplyInvalidCommand = "Invalid command\n\r";
inline constexpr std::string_view kReplyTimedOut = "Timed out\n\r";
inline constexpr std::string_view kReplyWriteFailed = "Write failed\n\r";

// The messages of the three operations, exactly as the user sees them.
namespace message {
inline constexpr char kPollingServerFailed[] = "Polling Server Failed";
inline constexpr char kPollingClientFailed[] = "Polling Client Failed";
inline constexpr char kPollingFailed[] = "Polling Failed";
inline constexpr char kErrorDuringRead[] = "Error During Read";

inline constexpr char kConfigurationIsSet[] = "Configuration is Set";
inline constexpr char kUnableToConnectToPort[] = "Unable to Connect to Port";
inline constexpr char kUnableToConnectToRadios[] = "Unable to Connect to Radios";
inline constexpr char kNoServerCommunication[] = "No Server Communication";
inline constexpr char kServerNotConfigured[] = "Server not Configured";
inline constexpr char kUnableToConfigure[] = "Unable to Configure";

inline constexpr char kClientInitialized[] = "Client Initialized";
inline constexpr char kServerInitialized[] = "Server Initialized";
inline constexpr char kNoPortConnection[] = "No Port Connection!";
inline constexpr char kCouldNotConnect[] = "Could not Connect";
inline constexpr char kUnableToInitialize[] = "Unable to Initialize";

inline constexpr char kInvalidData[] = "Invalid Data";
inline constexpr char kRadioTimedOut[] = "Radio Timed Out";
inline constexpr char kUnableToConfigureEeprom[] = "Unable to Configure EEPROM";
}  // namespace message

// The message for a status reply other than "Write successful": the three
// failures the radios name, else the operation's own fallback.
constexpr const char* FailureReplyMessage(std::string_view reply, const char* fallback) {
  if (reply == kReplyInvalidCommand) return message::kInvalidData;
  if (reply == kReplyTimedOut) return message::kRadioTimedOut;
  if (reply == kReplyWriteFailed) return message::kUnableToConfigureEeprom;
  return fallback;
}

}  // namespace zorveth
