#include "port/cancellation.h"

#include <algorithm>

namespace zorveth {

void CancellableClock::ThrowIfCancelled() const {
  if (m_token.IsCancelled()) throw OperationCancelled();
}

std::uint64_t CancellableClock::NowMs() {
  ThrowIfCancelled();
  return m_inner.NowMs();
}

void CancellableClock::SleepMs(std::uint32_t milliseconds) {
  ThrowIfCancelled();
  while (milliseconds > 0) {
    const std::uint32_t slice = std::min(milliseconds, kSliceMs);
    m_inner.SleepMs(slice);
    milliseconds -= slice;
    ThrowIfCancelled();
  }
}

}  // namespace zorveth
