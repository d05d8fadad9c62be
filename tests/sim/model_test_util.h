#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/radio_pair.h"

namespace zorveth::sim::testing {

// Drives a RadioPair on a made-up clock: each exchange happens one second after the last, so
// every reply of the previous one is due.
class ModelLine {
 public:
  explicit ModelLine(PairConfig config = DefaultPairConfig()) : pair(std::move(config)) {}

  // Sends bytes at speed and returns everything the radios answer to them.
  std::string Send(std::string_view bytes, std::uint32_t speed = 19200) {
    now += 1000000;
    pair.Receive(bytes, speed, now);
    std::string out;
    for (const ScheduledReply& reply : pair.TakeDue(now + 999999)) out += reply.bytes;
    return out;
  }

  RadioPair pair;
  std::uint64_t now = 0;
};

inline constexpr std::string_view kPrompt = "-\n\r\n\r\n\r\n\r";

}  // namespace zorveth::sim::testing
