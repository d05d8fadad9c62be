#pragma once

#include <cstdint>

namespace zorveth {

class CancellationToken;

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
  // A sleep that ends early once the token is set. Clocks that cannot be
  // woken (a test's fake clock) simply sleep.
  virtual void SleepUnlessCancelled(std::uint32_t milliseconds, const CancellationToken& token);
};

// The process-wide monotonic clock.
Clock& SystemClock();

}  // namespace zorveth
