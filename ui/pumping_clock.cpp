#include "ui/pumping_clock.h"

#include <algorithm>

namespace zorveth::ui {

std::uint64_t PumpingClock::NowMs() {
  const std::uint64_t now = m_inner.NowMs();
  if (PumpDue(now)) {
    Pump(now);
    m_excludedMs += m_inner.NowMs() - now;
  }
  return now - m_excludedMs;
}

void PumpingClock::SleepMs(std::uint32_t milliseconds) {
  // A zero interval would never finish slicing.
  const std::uint64_t slice = std::max<std::uint32_t>(m_intervalMs, 1);
  // One deadline for the whole pause: slices and pumps cannot lengthen it.
  const std::uint64_t deadline = m_inner.NowMs() + milliseconds;
  for (std::uint64_t now = m_inner.NowMs(); now < deadline; now = m_inner.NowMs()) {
    m_inner.SleepMs(static_cast<std::uint32_t>(std::min(deadline - now, slice)));
    const std::uint64_t after = m_inner.NowMs();
    if (PumpDue(after)) Pump(after);
  }
}

bool PumpingClock::PumpDue(std::uint64_t now) const {
  return !m_pumped || now - m_lastPumpMs >= m_intervalMs;
}

void PumpingClock::Pump(std::uint64_t now) {
  m_pumped = true;
  m_lastPumpMs = now;
  if (m_pump) m_pump();
}

}  // namespace zorveth::ui
