#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorveth {

// The leading integer of a text, as the dialogs and the settings file read
// numbers: white space skipped (blank, tab, line feed, vertical tab, form
// feed, carriage return; never by locale), an optional sign, then decimal
// digits up to the first other character; 0 without digits. A number beyond
// 32 bits saturates at INT32_MIN or INT32_MAX instead of wrapping.
std::int32_t LeadingInteger(std::string_view text);

// A COM port text without any "COM": every occurrence is removed in one
// left-to-right pass ("COM12" gives "12", "COM33 (ttyUSB0)" gives
// "33 (ttyUSB0)").
std::string WithoutCom(std::string_view portText);

// The port number of a COM port text: the leading integer of the text
// without "COM" ("COM12" gives 12). 0 (no port) when the number does not fit
// a port number, so nothing wraps round to another port.
std::int16_t PortNumberFromText(std::string_view portText);

}  // namespace zorveth
