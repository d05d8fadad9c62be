#pragma once

#include <cstdint>

namespace zorveth {

// Every wait for the radios goes through this interface: a millisecond tick
// count and a sleep. Production uses a monotonic 64-bit clock, so a deadline
// never wraps; protocol tests use a fake clock that advances only when the
// code under test waits, which makes time-outs exact and instant.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary, fixed start; never goes backwards.
  virtual std::uint64_t NowMs() = 0;
  virtual void SleepMs(std::uint32_t milliseconds) = 0;
};

// The process-wide monotonic clock.
Clock& SystemClock();

}  // namespace zorveth
