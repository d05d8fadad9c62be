#pragma once

#include <string>

#include "sim/radio_config.h"

namespace zorveth::sim {

// One line of the byte log file, without its newline:
//   <time_us> <in|out|lost> <speed> <heard-by> 0x<hex> <char> <roles>
// heard-by is the mask of the radios that heard a byte from the tool (1 Server slot, 2 Client
// slot) or of the radio that sent it; "lost" marks a radio's byte that went out at a speed the
// line no longer had. char is the byte itself when printable, \r, \n, \s (blank) or "." otherwise.
// roles gives each slot's role at that moment, Server slot first: S or C (e.g. "SC").
std::string FormatLogLine(const LogEntry& entry);

// "key = value" lines with both radios' registers, speeds and power, for scripts that check what
// a run of the tool applied. Keys are prefixed "server." and "client." after the slot.
std::string FormatPairState(const PairConfig& pair);

}  // namespace zorveth::sim
