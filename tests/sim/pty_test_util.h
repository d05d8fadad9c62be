#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "sim/line_speed.h"

namespace zorveth::sim::testing {

// Bounds for waits on another thread or process: far beyond what an idle machine needs, so that
// only a real fault, not a loaded machine, runs into them.
inline constexpr std::chrono::milliseconds kPatience{5000};

inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = kPatience) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// The tool's end of the line, as a test drives it: the slave opened raw at a given speed.
class PtyClient {
 public:
  PtyClient(const std::string& path, std::uint32_t baud)
      : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (fd_ >= 0) SetSpeed(baud);
  }
  ~PtyClient() { Close(); }
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  void SetSpeed(std::uint32_t baud) {
    termios attributes{};
    tcgetattr(fd_, &attributes);
    cfmakeraw(&attributes);
    cfsetspeed(&attributes, *SpeedConstantOf(baud));
    tcsetattr(fd_, TCSANOW, &attributes);
  }

  bool Write(std::string_view bytes) {
    return write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Reads until `want` bytes arrived, the line failed, or `timeout` passed.
  std::string Read(std::size_t want, std::chrono::milliseconds timeout = kPatience) {
    std::string text;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (text.size() < want) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd pfd{fd_, POLLIN, 0};
      if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0) break;
      if ((pfd.revents & POLLIN) == 0) break;
      char buffer[256];
      ssize_t count = read(fd_, buffer, sizeof buffer);
      if (count <= 0) break;
      text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
  }

 private:
  int fd_ = -1;
};

}  // namespace zorveth::sim::testing
