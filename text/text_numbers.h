#pragma once

#include <cstdint>
#include <optional>
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

// A strict decimal number: the whole text is an optional sign (only where
// allowSign) and one or more digits, and the value lies within
// [minimum, maximum]; nullopt for anything else. For options and files that
// must not be taken for a number they are not.
std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t minimum,
                                         std::int64_t maximum, bool allowSign = true);

// The port number of a COM port name: "COM" in any letter case followed by
// digits only, from 1 to 32767 ("com5" gives 5); nullopt for anything else.
std::optional<std::int16_t> ParseComName(std::string_view text);

}  // namespace zorveth
