#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/operation_feedback.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth {

// "+C\r" or "+S\r": always exactly these three bytes.
const char* EscapeString(RadioRole role);
const char* RoleName(RadioRole role);

inline constexpr std::uint32_t kPromptCompletionMs = 2000;
inline constexpr std::uint32_t kQueryReplyTimeoutMs = 400;
inline constexpr int kQueryAttempts = 3;
inline constexpr std::uint16_t kQueryFailed = 0xFFFF;
// A reply line keeps at most this many characters; the rest of an overlong
// line is still consumed up to its carriage return so framing survives.
inline constexpr std::size_t kReplyLineCapacity = 51;
inline constexpr std::size_t kLeaveReplyCapacity = 11;

// The primitives of a command-mode dialogue. They use nothing of the port but
// Purge, Write and ReadByte, and measure every deadline on the given clock.
bool EnterCommandMode(CRadioPort& port, Clock& clock, RadioRole role, std::uint32_t timeoutMs);
bool WaitForPrompt(CRadioPort& port, Clock& clock, std::uint32_t timeoutMs);
std::string ReadLine(CRadioPort& port, Clock& clock, std::uint32_t timeoutMs);
bool LeaveCommandMode(CRadioPort& port, Clock& clock, std::uint32_t timeoutMs);
// The one exit after an interrupt: "ATE\r", then every line up to the
// deadline is looked at for the confirmation, as the rest of a reply that
// was on its way may come first.
bool LeaveCommandModeAfterInterrupt(CRadioPort& port, Clock& clock, std::uint32_t timeoutMs);
// Writes a settings line whole (one write, or one write per byte where the
// radios take it so), telling the port where it begins and ends: once begun
// it is not cut short by an interrupt.
void WriteLine(CRadioPort& port, std::string_view step, std::string_view line, bool bytePerWrite);
// Queries a numeric register ("C", "FP", ...). A reply counts only when it
// is whole: one or more decimal digits and exactly the "\n\r" line end,
// optionally after the echo of the command. 0xFFFF when no such reply came
// in three attempts.
std::uint16_t QueryValue(CRadioPort& port, Clock& clock, const std::string& registerName);

}  // namespace zorveth
