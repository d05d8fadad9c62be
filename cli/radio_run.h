#pragma once

#include <functional>

#include "cli/cli_common.h"
#include "cli/radio_details.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth::cli {

// Runs one radio operation on the serial port for the command line. Failure
// messages get their detail lines; an interrupt stops the operation at its
// next wait, ends command mode on a radio that may be in it with one
// "ATE\r", closes the port and says "Interrupted" with where the radios
// stand. Returns the exit status: 0, 1 when a failure message was shown, or
// 128 plus the signal's number after an interrupt.
// wrap, when given, puts a port of its own over the device (the wire trace);
// the interrupt's exit command goes through it too.
int RunRadioOperation(ConsoleFeedback& feedback, const OperationContext& context,
                      const std::function<void(CRadioPort& port, Clock& clock)>& operation,
                      const std::function<CRadioPort&(CRadioPort&)>& wrap = {});

// After the outcome of configure or init with a new speed of 2400 baud: the
// radios will still answer a poll there, but configure and init never try
// 2400, so the user must know before relying on them.
void NoteSlowestSpeed(ConsoleFeedback& feedback, const std::string& newBaudRate, int status);

}  // namespace zorveth::cli
