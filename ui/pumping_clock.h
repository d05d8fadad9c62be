#pragma once

#include <cstdint>
#include <functional>

#include "port/clock.h"

namespace zorveth::ui {

// A clock that lets the windows repaint while an operation waits on it: the
// operations run on the user-interface thread for seconds at a time, so
// every look at the time and every sleep gives the toolkit a chance to
// handle pending (non-input) events, at most once per interval. Long sleeps
// are cut into slices of the interval for the same reason.
class PumpingClock : public Clock {
 public:
  static constexpr std::uint32_t kDefaultIntervalMs = 30;

  PumpingClock(Clock& inner, std::function<void()> pump,
               std::uint32_t intervalMs = kDefaultIntervalMs)
      : m_inner(inner), m_pump(std::move(pump)), m_intervalMs(intervalMs) {}

  std::uint64_t NowMs() override;
  void SleepMs(std::uint32_t milliseconds) override;

 private:
  void PumpIfDue(std::uint64_t now);

  Clock& m_inner;
  std::function<void()> m_pump;
  std::uint32_t m_intervalMs;
  bool m_pumped = false;
  std::uint64_t m_lastPumpMs = 0;
};

}  // namespace zorveth::ui
