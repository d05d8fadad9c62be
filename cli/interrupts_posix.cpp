#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "cli/interrupts.h"

namespace zorveth::cli {
namespace {

CancellationToken g_token;
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnInterrupt(int signal) {
  int expected = 0;
  if (!g_signal.compare_exchange_strong(expected, signal)) {
    // The clean-up of the first interrupt is under way: the user insists.
    _exit(128 + signal);
  }
  g_token.Cancel();
}

}  // namespace

CancellationToken& InterruptToken() {
  return g_token;
}

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART needed: the port's waits are poll() with a time-out and
  // already go round again after an interrupted call.
  action.sa_flags = 0;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int InterruptExitStatus() {
  return 128 + g_signal.load();
}

}  // namespace zorveth::cli
