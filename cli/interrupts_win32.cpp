#include <windows.h>

#include <atomic>
#include <cstdlib>

#include "cli/interrupts.h"

namespace zorveth::cli {
namespace {

CancellationToken g_token;
std::atomic<int> g_status{0};

// Runs on a thread of its own that the console starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  // Ctrl-C as SIGINT, everything else (Ctrl-Break, closing the console,
  // log-off, shut-down) as SIGTERM.
  const int status = event == CTRL_C_EVENT ? 130 : 143;
  int expected = 0;
  if (!g_status.compare_exchange_strong(expected, status)) std::_Exit(status);
  g_token.Cancel();
  // For a closing console Windows ends the process when the handler
  // returns: give the operation the time to leave command mode first.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) Sleep(1500);
  return TRUE;
}

}  // namespace

CancellationToken& InterruptToken() {
  return g_token;
}

void InstallInterruptHandlers() {
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

int InterruptExitStatus() {
  return g_status.load();
}

}  // namespace zorveth::cli
