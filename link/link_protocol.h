#pragma once

// The facts of the link protocol that more than one part of the tool needs:
// the technologies and their preselected channels, the speeds each
// operation probes, the radios' status replies and the messages the user
// sees for them. The dialogs and the command-line tool both take them from
// here.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// The channels the main dialog lists for a technology, in order: eight for
// each named one, "0" to "76" for any other text.
std::vector<std::string> TechnologyChannels(std::string_view technology);

// The main dialog's start-up choice of the new baud rate.
inline constexpr std::string_view kDefaultNewBaudRate = "19200";

// Every speed a radio can listen at, fastest first: a poll probes them all.
inline constexpr std::array<std::uint32_t, 5> kPollSpeeds = {38400, 19200, 9600, 4800, 2400};
// Configure and Initialize never try 2400: the radios take configuration
// lines from 4800 up.
inline constexpr std::array<std::uint32_t, 4> kWriteSpeeds = {38400, 19200, 9600, 4800};

// The registers a poll reads, in the order the queries go on the wire: the
// name the query carries ("ATFP\r"), the field's name in JSON documents, the
// step the wire trace names the query by, and the label of its report line
// ("M" gives the report's heading instead).
struct RadioRegister {
  std::string_view name;
  std::string_view jsonName;
  std::string_view queryStep;
  std::string_view reportLabel;
};
inline constexpr std::array<RadioRegister, 7> kPollRegisters = {{
    {"C", "channel", "query C", "Channel Number:            "},
    {"FP", "packetLength", "query FP", "Packet Length:               "},
    {"M", "roleCode", "query M", ""},
    {"ID", "systemId", "query ID", "System ID:                      "},
    {"BA", "broadcastAttempts", "query BA", "Broadcast Attempts:        "},
    {"S", "signalStrength", "query S", "Signal Strength:               "},
    {"REV", "firmwareRevision", "query REV", "Firmware Revision:          "},
}};

// The register of that name, or nullptr.
constexpr const RadioRegister* FindRegister(std::string_view name) {
  for (const RadioRegister& known : kPollRegisters) {
    if (known.name == name) return &known;
  }
  return nullptr;
}

// The pause the Client needs after its prompt before it takes queries or a
// line; the Server takes them at once.
inline constexpr std::uint32_t kClientSettleMs = 420;

// A radio's status line after a configuration or initialization line.
inline constexpr std::string_view kReplyWriteSuccessful = "Write successful\n\r";
inline constexpr std::string_view kReplyInvalidCommand = "Invalid command\n\r";
inline constexpr std::string_view kReplyTimedOut = "Timed out\n\r";
inline constexpr std::string_view kReplyWriteFailed = "Write failed\n\r";

// Every message the operations show. The operations name a message by
// its id; MessageText gives the words the user sees, and only the id says
// whether it tells a success.
enum class MessageId {
  PollingServerFailed,
  PollingClientFailed,
  PollingFailed,
  ErrorDuringRead,
  ConfigurationIsSet,
  UnableToConnectToPort,
  UnableToConnectToRadios,
  NoServerCommunication,
  ServerNotConfigured,
  UnableToConfigure,
  ClientInitialized,
  ServerInitialized,
  NoPortConnection,
  CouldNotConnect,
  UnableToInitialize,
  InvalidData,
  RadioTimedOut,
  UnableToConfigureEeprom,
};

// The message exactly as the user sees it.
constexpr const char* MessageText(MessageId id) {
  switch (id) {
    case MessageId::PollingServerFailed:
      return "Polling Server Failed";
    case MessageId::PollingClientFailed:
      return "Polling Client Failed";
    case MessageId::PollingFailed:
      return "Polling Failed";
    case MessageId::ErrorDuringRead:
      return "Error During Read";
    case MessageId::ConfigurationIsSet:
      return "Configuration is Set";
    case MessageId::UnableToConnectToPort:
      return "Unable to Connect to Port";
    case MessageId::UnableToConnectToRadios:
      return "Unable to Connect to Radios";
    case MessageId::NoServerCommunication:
      return "No Server Communication";
    case MessageId::ServerNotConfigured:
      return "Server not Configured";
    case MessageId::UnableToConfigure:
      return "Unable to Configure";
    case MessageId::ClientInitialized:
      return "Client Initialized";
    case MessageId::ServerInitialized:
      return "Server Initialized";
    case MessageId::NoPortConnection:
      return "No Port Connection!";
    case MessageId::CouldNotConnect:
      return "Could not Connect";
    case MessageId::UnableToInitialize:
      return "Unable to Initialize";
    case MessageId::InvalidData:
      return "Invalid Data";
    case MessageId::RadioTimedOut:
      return "Radio Timed Out";
    case MessageId::UnableToConfigureEeprom:
      return "Unable to Configure EEPROM";
  }
  return "";
}

constexpr bool IsSuccessMessage(MessageId id) {
  return id == MessageId::ConfigurationIsSet || id == MessageId::ClientInitialized ||
         id == MessageId::ServerInitialized;
}

// The message for a status reply other than "Write successful": the three
// failures the radios name, else the operation's own fallback.
constexpr MessageId FailureReplyMessage(std::string_view reply, MessageId fallback) {
  if (reply == kReplyInvalidCommand) return MessageId::InvalidData;
  if (reply == kReplyTimedOut) return MessageId::RadioTimedOut;
  if (reply == kReplyWriteFailed) return MessageId::UnableToConfigureEeprom;
  return fallback;
}

// Whether a status reply is one of the refusals the radios name: a radio
// that gave one kept its settings.
constexpr bool IsNamedRefusal(std::string_view reply) {
  return reply == kReplyInvalidCommand || reply == kReplyTimedOut || reply == kReplyWriteFailed;
}

}  // namespace zorveth
