#pragma once

#include "port/cancellation.h"

namespace zorveth::cli {

// The token an interrupt (Ctrl-C, SIGTERM, SIGHUP; on Windows the console's
// Ctrl-C, Ctrl-Break and close events) sets. The handler does nothing but
// set it and remember the signal; the operations watch it at their waits. A
// second interrupt while the first is being cleaned up ends the program at
// once.
CancellationToken& InterruptToken();
void InstallInterruptHandlers();
// The exit status for the interrupt that arrived: 128 plus the signal's
// number (130 for Ctrl-C, 143 for SIGTERM, 129 for SIGHUP).
int InterruptExitStatus();

}  // namespace zorveth::cli
