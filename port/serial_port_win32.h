#pragma once

// The pieces of the Win32 serial port that decide something, apart from the
// system calls so that they can be tried against scripted results.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace zorveth {

// Turns the device's current DCB into the radios' line settings at speed:
// 8N1, the flags word of SerialLineFlags, no end-of-file or event
// character. Everything else (XON/XOFF limits and characters, the error
// character, the reserved words) stays as read.
void PrepareLineSettings(DCB& dcb, std::uint32_t speed);

// Applies dcb with setCommState. A failure with last error 0 is no failure
// (some drivers report FALSE without a reason). A driver that refuses RTS
// toggling (Wine, some USB adapters: ERROR_NOT_SUPPORTED or
// ERROR_INVALID_PARAMETER) gets the same settings once more with RTS simply
// raised, judged by the same rule. Returns 0 on success, else the last
// error; rtsToggled tells whether the device took RTS toggling.
unsigned long ApplyLineSettings(DCB& dcb, const std::function<bool(DCB&)>& setCommState,
                                const std::function<unsigned long()>& lastError, bool& rtsToggled);

// "COM7: " followed by the system's text for error (no trailing line break).
std::string PortErrorText(std::int16_t portNumber, unsigned long error);

}  // namespace zorveth
