#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/radio_config.h"

namespace zorveth::sim {

// Values carried by a configuration line ("ATC67FP262ID111BA4BR19200") or an initialization line
// (the same with M, DA, TD and optionally RF, IT). DA, TD, RF and IT are checked but not kept:
// nothing the tool reads back depends on them.
struct WriteValues {
  std::uint16_t channel = 0;
  std::uint16_t packetLength = 0;
  std::uint16_t systemId = 0;
  std::uint16_t broadcastAttempts = 0;
  std::uint32_t speed = 0;
  std::optional<Role> role;  // present only in an initialization line
};

// One command line as a radio in command mode understands it (without its carriage return).
struct AtCommand {
  enum class Kind { Query, Exit, Write, Invalid };
  Kind kind = Kind::Invalid;
  std::string registerName;  // for Query
  WriteValues values;        // for Write
};

AtCommand ParseAtCommand(std::string_view line);

// The value of a queryable register ("C", "FP", "M", "ID", "BA", "S", "REV"), if it is one.
std::optional<std::uint16_t> RegisterValue(const RadioConfig& radio, std::string_view name);

}  // namespace zorveth::sim
