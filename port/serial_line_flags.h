#pragma once

#include <cstdint>

namespace zorveth {

// The 32-bit flags word of a Windows DCB (the bit-field word that follows
// DCBlength and BaudRate), for the radios' line: binary mode, RTS raised
// only while sending (RTS_CONTROL_TOGGLE), DTR held low, no parity check,
// no DSR handshake or sensitivity, no XON/XOFF either way, no error
// character, no NUL stripping, no abort on line errors. The CTS handshake
// (bit 2) and the reserved high bits stay as the device had them.
inline constexpr std::uint32_t kLineFlagsKeptFromDevice = 0xFFFFB005u;
inline constexpr std::uint32_t kLineFlagsForced = 0x3001u;

constexpr std::uint32_t SerialLineFlags(std::uint32_t deviceFlags) {
  return (deviceFlags & kLineFlagsKeptFromDevice) | kLineFlagsForced;
}

}  // namespace zorveth
