#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "port/cancellation.h"

namespace zorveth {

CancellationToken::CancellationToken() {
  int fds[2];
  // Non-blocking both ways: Cancel must never block in a signal handler,
  // and a second Cancel finds the pipe already readable.
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    m_wake[0] = fds[0];
    m_wake[1] = fds[1];
  }
}

CancellationToken::~CancellationToken() {
  for (std::intptr_t fd : m_wake) {
    if (fd >= 0) close(static_cast<int>(fd));
  }
}

void CancellationToken::Cancel() {
  m_cancelled.store(true, std::memory_order_relaxed);
  if (m_wake[1] >= 0) {
    const char wake = 1;
    // Nothing ever reads the pipe: once written it stays readable and wakes
    // every waiter, now and later. A full pipe is already readable.
    [[maybe_unused]] ssize_t ignored = write(static_cast<int>(m_wake[1]), &wake, 1);
  }
}

bool CancellationToken::WaitFor(std::uint32_t milliseconds) const {
  using std::chrono::steady_clock;
  const auto deadline = steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!IsCancelled()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now());
    if (left.count() <= 0) break;
    if (m_wake[0] < 0) {
      // No pipe could be made: sleep in short steps so an interrupt is
      // still seen soon.
      usleep(static_cast<useconds_t>(std::min<long long>(left.count(), 10) * 1000));
      continue;
    }
    struct pollfd wake = {static_cast<int>(m_wake[0]), POLLIN, 0};
    // A signal cuts poll short (EINTR); the loop sleeps on to the deadline.
    poll(&wake, 1, static_cast<int>(left.count()));
  }
  return IsCancelled();
}

}  // namespace zorveth
