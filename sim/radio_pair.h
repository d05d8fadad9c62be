#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/at_command.h"
#include "sim/radio_config.h"

namespace zorveth::sim {

// Bytes one radio transmits at one moment.
struct ScheduledReply {
  std::uint64_t dueUs = 0;
  int slot = kServerSlot;
  std::uint32_t speed = 0;  // the radio's speed when it answered; it transmits at that speed
  std::string bytes;
};

// The two radios on one serial line, as a pure model: it is fed the bytes the tool sent, each
// with the line speed and arrival time, and hands out what the radios answer and when. It never
// looks at a clock itself, so it can be driven by a test as well as by the pty server.
class RadioPair {
 public:
  explicit RadioPair(PairConfig config = DefaultPairConfig());

  // One byte from the tool. Returns the heardBy mask: the radios powered and at lineSpeed.
  std::uint8_t Receive(std::uint8_t byte, std::uint32_t lineSpeed, std::uint64_t timeUs);
  // Several bytes arriving together; returns the union of the masks.
  std::uint8_t Receive(std::string_view bytes, std::uint32_t lineSpeed, std::uint64_t timeUs);

  // Due time of the earliest reply not yet taken.
  std::optional<std::uint64_t> NextDueUs() const;
  // Removes and returns the replies due at or before nowUs, in the order they go on the line.
  std::vector<ScheduledReply> TakeDue(std::uint64_t nowUs);

  RadioConfig Radio(int slot) const;
  // Replaces a radio's settings and faults. Switching a radio off also drops its command-mode
  // state and the replies it has not sent yet.
  void SetRadio(int slot, const RadioConfig& config);

  bool InCommandMode(int slot) const;
  // A speed accepted by a write line that takes effect when the radio leaves command mode.
  std::optional<std::uint32_t> PendingSpeed(int slot) const;
  std::array<Role, 2> Roles() const;
  // The smallest hang-up threshold set on either radio.
  std::optional<std::size_t> HangUpAfterBytes() const;

 private:
  struct RadioState {
    RadioConfig config;
    bool commandMode = false;
    std::string escapeWindow;  // last bytes heard outside command mode
    std::string line;          // command line being collected
    bool lineOverflow = false;
    std::optional<std::uint32_t> pendingSpeed;
    std::uint64_t lastDueUs = 0;
    std::uint64_t signalQueries = 0;  // queries of S answered, for a cycle per query
  };

  void Hear(RadioState& radio, int slot, char byte, std::uint64_t timeUs);
  void HandleLine(RadioState& radio, int slot, std::uint64_t timeUs);
  // Takes the settings of a configuration or initialization line, unless
  // the radio is set to refuse it; returns the status line it answers.
  // The value a query of the register gets now.
  std::uint16_t QueryValue(RadioState& radio, const std::string& name, std::uint64_t timeUs);
  std::string ApplyWrite(RadioState& radio, const WriteValues& values);
  void EnterCommandMode(RadioState& radio, int slot, std::uint64_t timeUs);
  std::string Prompt(const RadioState& radio) const;
  void Schedule(RadioState& radio, int slot, std::string bytes, std::uint64_t fromUs,
                std::uint32_t speed);
  RadioState& At(int slot);
  const RadioState& At(int slot) const;

  std::array<RadioState, 2> m_radios;
  std::vector<ScheduledReply> m_pending;  // ordered by due time, ties in the order scheduled
};

}  // namespace zorveth::sim
