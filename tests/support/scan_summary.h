#pragma once

#include <cstdint>
#include <vector>

#include "link/command_mode.h"
#include "link/port_scan.h"

namespace zorveth::testing {

// What a scan says of one radio it found, in a form a test can write down.
struct ScannedRadio {
  RadioRole role = RadioRole::Server;         // the escape it answered
  std::uint32_t speed = 0;                    // the speed it answered at
  std::uint16_t channel = kQueryFailed;       // "C"
  std::uint16_t roleRegister = kQueryFailed;  // "M"
  std::uint16_t systemId = kQueryFailed;      // "ID"

  friend bool operator==(const ScannedRadio&, const ScannedRadio&) = default;
};

inline std::vector<ScannedRadio> Summaries(const std::vector<RadioOutcome>& radios) {
  std::vector<ScannedRadio> summaries;
  for (const RadioOutcome& radio : radios) {
    summaries.push_back(
        {radio.role, radio.answeredAt.value_or(0), radio.Register("C").value_or(kQueryFailed),
         radio.Register("M").value_or(kQueryFailed), radio.Register("ID").value_or(kQueryFailed)});
  }
  return summaries;
}

// A found radio as a scanner standing in for a port reports it.
inline RadioOutcome FoundRadio(RadioRole role, std::uint32_t speed, std::uint16_t channel,
                               std::uint16_t roleRegister, std::uint16_t systemId) {
  RadioOutcome radio;
  radio.role = role;
  radio.tried.push_back({speed});
  radio.answeredAt = speed;
  radio.registers = {{"C", channel}, {"M", roleRegister}, {"ID", systemId}};
  radio.exit = ExitState::Confirmed;
  return radio;
}

}  // namespace zorveth::testing
