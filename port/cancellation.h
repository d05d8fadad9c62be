#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <string>

#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth {

// Set from a signal handler or another thread to stop the operations that
// watch it. Lock-free, so setting it is safe in a signal handler.
class CancellationToken {
 public:
  void Cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
  bool IsCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> m_cancelled{false};
  static_assert(std::atomic<bool>::is_always_lock_free);
};

// Thrown out of a wait (or a write) once the token is set. The operations
// are written so that unwinding through them closes the port on every path.
class OperationCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "operation cancelled"; }
};

// A clock whose every look at the time, and every slice of a sleep, throws
// OperationCancelled once the token is set. Every wait of the operations
// goes through the clock at least every read time-out, so they stop within
// about 50 ms; a long pause is slept in slices so that it stops as soon.
class CancellableClock : public Clock {
 public:
  static constexpr std::uint32_t kSliceMs = 50;

  CancellableClock(Clock& inner, const CancellationToken& token) : m_inner(inner), m_token(token) {}

  std::uint64_t NowMs() override;
  void SleepMs(std::uint32_t milliseconds) override;

 private:
  void ThrowIfCancelled() const;

  Clock& m_inner;
  const CancellationToken& m_token;
};

}  // namespace zorveth
