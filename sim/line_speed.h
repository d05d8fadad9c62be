#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>

namespace zorveth::sim {

// Baud rate of a termios speed constant (B19200 gives 19200); 0 for one it does not know.
std::uint32_t BaudOf(speed_t speed);
// The termios constant of a baud rate, if there is one.
std::optional<speed_t> SpeedConstantOf(std::uint32_t baud);
// Output speed of the terminal behind fd; 0 when it cannot be read.
std::uint32_t LineSpeedOf(int fd);

}  // namespace zorveth::sim
