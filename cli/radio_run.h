#pragma once

#include <functional>
#include <string>

#include "cli/cli_common.h"
#include "cli/radio_details.h"
#include "cli/trace_option.h"
#include "link/outcome.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth::cli {

// How a radio command shows what happened: as text, or as one JSON
// document on stdout (failure messages still go to stderr).
struct OutputChoice {
  std::string command;  // "poll", "configure", "init"
  bool json = false;
};

// The operation itself, on the port and clock the run provides, reporting
// progress and report lines to the console.
using RadioOperation =
    std::function<OperationOutcome(CRadioPort& port, Clock& clock, ConsoleFeedback& console)>;

// Runs one radio operation on the port the context names, for the command
// line. An interrupt stops the operation at its next wait; a radio that may
// be in command mode gets one "ATE\r", the port is closed. Then every
// message of the outcome is shown, with its detail lines, then
// "Interrupted" and where the radios stand if it came to that, or the JSON
// document. Returns the exit status: 0, 1 when a failure message was shown,
// or 128 plus the signal's number after an interrupt. The trace, when asked
// for, records everything through the port, the interrupt's exit too.
int RunRadioOperation(const OperationContext& context, const OutputChoice& output,
                      TraceOption& trace, const std::string& traceName,
                      const RadioOperation& operation);

// After the outcome of configure or init with a new speed of 2400 baud: the
// radios will still answer a poll there, but configure and init never try
// 2400, so the user must know before relying on them.
void NoteSlowestSpeed(const std::string& newBaudRate, int status);

}  // namespace zorveth::cli
