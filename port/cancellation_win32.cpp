#include <windows.h>

#include <algorithm>
#include <chrono>

#include "port/cancellation.h"

namespace zorveth {

CancellationToken::CancellationToken() {
  // Manual reset: once set it stays set and wakes every waiter.
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (event) m_wake[0] = m_wake[1] = reinterpret_cast<std::intptr_t>(event);
}

CancellationToken::~CancellationToken() {
  if (m_wake[0] != -1) CloseHandle(reinterpret_cast<HANDLE>(m_wake[0]));
}

void CancellationToken::Cancel() {
  m_cancelled.store(true, std::memory_order_relaxed);
  if (m_wake[0] != -1) SetEvent(reinterpret_cast<HANDLE>(m_wake[0]));
}

bool CancellationToken::WaitFor(std::uint32_t milliseconds) const {
  using std::chrono::steady_clock;
  const auto deadline = steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!IsCancelled()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now());
    if (left.count() <= 0) break;
    if (m_wake[0] == -1) {
      Sleep(static_cast<DWORD>(std::min<long long>(left.count(), 10)));
      continue;
    }
    WaitForSingleObject(reinterpret_cast<HANDLE>(m_wake[0]), static_cast<DWORD>(left.count()));
  }
  return IsCancelled();
}

}  // namespace zorveth
