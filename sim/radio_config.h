#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorveth::sim {

// The codes the radios report in their "M" register.
enum class Role { Server = 1, Client = 2 };

// Misbehaviours a simulated radio can be switched to, one per kind of fault the tool has to
// survive. All off by default.
struct RadioFaults {
  bool noPrompt = false;                  // enters command mode on its escape but sends no prompt
  bool partialPrompt = false;             // sends "-" and only three carriage returns
  bool noEcho = false;                    // answers command lines without echoing them first
  bool noQueryReplies = false;            // echoes register queries but sends no value line
  std::optional<std::string> writeReply;  // sent in place of "Write successful\n\r"
  std::optional<std::string> queryReply;  // sent in place of "<value>\n\r"
  bool noExitConfirmation = false;        // silent to "ATE", still leaves command mode
  // The pair hangs up once this many bytes have arrived from the tool, counted over all bytes
  // the server received; the smallest count set on either radio wins.
  std::optional<std::size_t> hangUpAfterBytes;
};

struct RadioConfig {
  Role role = Role::Server;
  bool powered = true;
  std::uint32_t speed = 19200;
  std::uint16_t channel = 67;
  std::uint16_t packetLength = 262;
  std::uint16_t systemId = 111;
  std::uint16_t broadcastAttempts = 4;
  std::uint16_t signalStrength = 87;
  // When not empty, register S takes these values in turn, a new one every
  // signalStepMs of the simulator's time (0: a new one for every query of
  // S answered), so the signal monitor has something to show.
  std::vector<std::uint16_t> signalCycle;
  std::uint32_t signalStepMs = 1000;
  std::uint16_t firmwareRevision = 204;
  std::uint32_t replyDelayMs = 2;
  RadioFaults faults;
};

// Slot 0 holds the radio that starts as the Server, slot 1 the one that starts as the Client.
struct PairConfig {
  RadioConfig server;
  RadioConfig client;
};

inline constexpr int kServerSlot = 0;
inline constexpr int kClientSlot = 1;
// Bits of LogEntry::heardBy.
inline constexpr std::uint8_t kServerSlotBit = 1;
inline constexpr std::uint8_t kClientSlotBit = 2;

// The only speeds the radios can be set to.
inline constexpr std::array<std::uint32_t, 5> kRadioSpeeds = {2400, 4800, 9600, 19200, 38400};

inline bool IsRadioSpeed(std::uint32_t speed) {
  for (std::uint32_t s : kRadioSpeeds) {
    if (s == speed) return true;
  }
  return false;
}

inline PairConfig DefaultPairConfig() {
  PairConfig pair;
  pair.server.role = Role::Server;
  pair.client.role = Role::Client;
  return pair;
}

// One byte on the line. For bytes from the tool, heardBy has a bit for each radio that was powered
// and at the line's speed; for bytes from a radio, it names the sender.
struct LogEntry {
  std::uint64_t timeUs = 0;  // since the server started, monotonic
  bool fromTool = true;
  std::uint32_t speed = 0;  // line speed when the byte passed
  std::uint8_t heardBy = 0;
  std::uint8_t byte = 0;
  // Role of each slot's radio at that moment (initialization may change it).
  std::array<Role, 2> roles = {Role::Server, Role::Client};
  // False for a radio's byte that was due while the line ran at another speed than the radio's:
  // the tool could not have received it intact, so it is not passed on.
  bool delivered = true;
};

}  // namespace zorveth::sim
