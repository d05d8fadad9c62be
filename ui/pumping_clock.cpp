#include "ui/pumping_clock.h"

#include <algorithm>

namespace zorveth::ui {

std::uint64_t PumpingClock::NowMs() {
  const std::uint64_t now = m_inner.NowMs();
  PumpIfDue(now);
  return now;
}

void PumpingClock::SleepMs(std::uint32_t milliseconds) {
  // A zero interval would never finish slicing.
  const std::uint32_t slice = std::max<std::uint32_t>(m_intervalMs, 1);
  while (milliseconds > 0) {
    const std::uint32_t step = std::min(milliseconds, slice);
    m_inner.SleepMs(step);
    milliseconds -= step;
    PumpIfDue(m_inner.NowMs());
  }
}

void PumpingClock::PumpIfDue(std::uint64_t now) {
  if (m_pumped && now - m_lastPumpMs < m_intervalMs) return;
  m_pumped = true;
  m_lastPumpMs = now;
  if (m_pump) m_pump();
}

}  // namespace zorveth::ui
