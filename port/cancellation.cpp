#include "port/cancellation.h"

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
  m_inner.SleepUnlessCancelled(milliseconds, m_token);
  ThrowIfCancelled();
}

}  // namespace zorveth
