#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/quoting.h"
#include "trace/wire_trace.h"

namespace zorveth {

// The text form of a wire trace, one entry a line:
//
//   0.212 -> 19200 COM9 poll server: query FP "ATFP\r"
//   0.214 <- 19200 COM9 poll server: query FP "262\n\r"
//
// seconds since the trace began (three decimals), "->" for bytes the tool
// sent or "<-" for bytes it received, the line speed, the port, the step
// ("<operation>: <step>", or either alone), and the bytes as a C string
// literal. The step never holds a double quote, so the first one on the
// line opens the bytes.
std::string FormatWireTraceLine(const WireTraceEntry& entry, std::string_view operation,
                                std::uint64_t startMs);

// One line read back.
struct ParsedWireTraceLine {
  std::uint64_t timeMs = 0;  // since the trace began
  WireDirection direction = WireDirection::Sent;
  std::uint32_t speed = 0;
  std::string port;  // "COM9", "rfc2217://10.0.0.5:4001"
  std::string step;  // "poll server: query FP"
  std::string bytes;
};
std::optional<ParsedWireTraceLine> ParseWireTraceLine(std::string_view line);

}  // namespace zorveth
