#pragma once

#include <cstdint>

#include "port/clock.h"

namespace zorveth::testing {

// Time that moves only when the code under test waits. Starts just below
// 2^32 so that every protocol test also crosses a 32-bit wrap of the tick.
class FakeClock : public Clock {
 public:
  static constexpr std::uint64_t kStart = 0xFFFFF000ull;
  std::uint64_t NowMs() override { return m_now; }
  void SleepMs(std::uint32_t milliseconds) override {
    m_now += milliseconds;
    m_slept += milliseconds;
  }
  void Advance(std::uint64_t milliseconds) { m_now += milliseconds; }
  std::uint64_t Elapsed() const { return m_now - kStart; }
  std::uint64_t Slept() const { return m_slept; }

 private:
  std::uint64_t m_now = kStart;
  std::uint64_t m_slept = 0;
};

}  // namespace zorveth::testing
