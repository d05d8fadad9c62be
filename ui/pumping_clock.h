#pragma once

#include <cstdint>
#include <functional>

#include "port/clock.h"

namespace zorveth::ui {

// A clock that lets the windows repaint while an operation waits on it: the
// operations run on the user-interface thread for seconds at a time, so
// every look at the time and every sleep gives the toolkit a chance to
// handle pending (non-input) events, at most once per interval. A sleep
// runs to its deadline in slices of the interval for the same reason.
//
// Time spent in a pump when the time is read does not count: a read loop
// that was kept from its port by a slow repaint still reads what arrived
// meanwhile before its deadline comes, so a reply that came in time is
// never lost to the repaint.
class PumpingClock : public Clock {
 public:
  static constexpr std::uint32_t kDefaultIntervalMs = 30;

  PumpingClock(Clock& inner, std::function<void()> pump,
               std::uint32_t intervalMs = kDefaultIntervalMs)
      : m_inner(inner), m_pump(std::move(pump)), m_intervalMs(intervalMs) {}

  std::uint64_t NowMs() override;
  void SleepMs(std::uint32_t milliseconds) override;

 private:
  bool PumpDue(std::uint64_t now) const;
  void Pump(std::uint64_t now);

  Clock& m_inner;
  std::function<void()> m_pump;
  std::uint32_t m_intervalMs;
  bool m_pumped = false;
  std::uint64_t m_lastPumpMs = 0;
  // The time spent in pumps while the time was read, left out of NowMs.
  std::uint64_t m_excludedMs = 0;
};

}  // namespace zorveth::ui
