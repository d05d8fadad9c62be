#pragma once

#include <atomic>
#include <cstdint>
#include <exception>

#include "port/clock.h"

namespace zorveth {

// Set from a signal handler or another thread to stop the operations that
// watch it. Setting it is safe in a signal handler (a lock-free flag and one
// write to a pipe; on Windows an event), and it wakes every WaitFor at once,
// so a pause ends as soon as the interrupt comes and lasts exactly its time
// when none does.
class CancellationToken {
 public:
  CancellationToken();
  ~CancellationToken();
  CancellationToken(const CancellationToken&) = delete;
  CancellationToken& operator=(const CancellationToken&) = delete;

  void Cancel();
  bool IsCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }
  // Waits up to the given time on the system's monotonic clock; returns
  // early, true, once the token is set.
  bool WaitFor(std::uint32_t milliseconds) const;
  // The system's handle that becomes ready once the token is set (POSIX:
  // the read end of a pipe; Windows: an event), for waits on other handles
  // that must end on an interrupt too.
  std::intptr_t WakeHandle() const { return m_wake[0]; }

 private:
  std::atomic<bool> m_cancelled{false};
  static_assert(std::atomic<bool>::is_always_lock_free);
  // POSIX: both ends of the pipe; Windows: the event, twice.
  std::intptr_t m_wake[2] = {-1, -1};
};

// Thrown out of a wait (or a write) once the token is set. The operations
// are written so that unwinding through them closes the port on every path.
class OperationCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "operation cancelled"; }
};

// A clock whose every look at the time throws OperationCancelled once the
// token is set. Every wait of the operations looks at the clock at least
// every read time-out, so they stop within about 50 ms; a pause is one wait
// to its end that the interrupt cuts short.
class CancellableClock : public Clock {
 public:
  CancellableClock(Clock& inner, const CancellationToken& token) : m_inner(inner), m_token(token) {}

  std::uint64_t NowMs() override;
  void SleepMs(std::uint32_t milliseconds) override;

 private:
  void ThrowIfCancelled() const;

  Clock& m_inner;
  const CancellationToken& m_token;
};

}  // namespace zorveth
