#include "sim/line_speed.h"

#include <array>
#include <utility>

namespace zorveth::sim {
namespace {

constexpr std::array<std::pair<speed_t, std::uint32_t>, 22> kSpeeds = {{
    {B0, 0},           {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
    {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},
    {B1800, 1800},     {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
    {B38400, 38400},   {B57600, 57600},   {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
    {B500000, 500000}, {B921600, 921600},
}};

}  // namespace

std::uint32_t BaudOf(speed_t speed) {
  for (const auto& [constant, baud] : kSpeeds) {
    if (constant == speed) return baud;
  }
  return 0;
}

std::optional<speed_t> SpeedConstantOf(std::uint32_t baud) {
  for (const auto& [constant, rate] : kSpeeds) {
    if (rate == baud) return constant;
  }
  return std::nullopt;
}

std::uint32_t LineSpeedOf(int fd) {
  termios attributes{};
  if (tcgetattr(fd, &attributes) != 0) return 0;
  return BaudOf(cfgetospeed(&attributes));
}

}  // namespace zorveth::sim
