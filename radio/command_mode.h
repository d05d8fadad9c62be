#pragma once

#include <cstdint>
#include <string>

#include "radio/clock.h"
#include "radio/radio_port.h"

namespace zorveth {

// The radio addressed by an exchange. The values are the codes the radios
// use for their role in register "M" and in the initialization line.
enum class RadioRole : int { Server = 1, Client = 2 };

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
// Queries a numeric register ("C", "FP", ...): 0xFFFF when no usable answer
// came in three attempts.
std::uint16_t QueryValue(CRadioPort& port, Clock& clock, const std::string& registerName);

// The port number of a COM port text for SetParams; 0 (no port) when the
// number does not fit.
std::int16_t PortNumberFromText(std::string& portText);

// Leading integer of a text: leading white space, an optional sign, then
// decimal digits up to the first other character; 0 without digits. Values
// beyond 32 bits saturate instead of wrapping.
std::int32_t LeadingInteger(const std::string& text);
// A COM port text gives its number by dropping every "COM" and taking the
// leading integer of the rest ("COM12" gives 12). Modifies the text in place.
std::int32_t TakePortNumber(std::string& portText);

}  // namespace zorveth
