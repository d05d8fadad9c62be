#include "cli/radio_run.h"

#include <iostream>
#include <memory>

#include "cli/interrupts.h"
#include "cli/json_results.h"
#include "link/cancellable_port.h"
#include "port/cancellation.h"
#include "port/port_factory.h"

namespace zorveth::cli {

int RunRadioOperation(const OperationContext& context, const OutputChoice& output,
                      TraceOption& trace, const std::string& traceName,
                      const RadioOperation& operation) {
  std::unique_ptr<CRadioPort> device = CreatePort(context.port);
  CancellationToken& token = InterruptToken();
  CancellableClock clock(SystemClock(), token);
  // The exit after an interrupt waits on the plain clock: it must not be cut
  // short by the interrupt it answers.
  CancellablePort port(trace.Wrap(*device, traceName), SystemClock(), token);
  InstallInterruptHandlers();

  ConsoleFeedback console(!output.json);
  OperationOutcome outcome = operation(port, clock, console);
  if (outcome.interrupt) {
    InterruptOutcome& interrupt = *outcome.interrupt;
    if (auto step = port.StepAtInterrupt()) interrupt.lastStep = step->kind;
    interrupt.lastAddressed = port.LastAddressed();
    interrupt.exitSent = port.ExitSentOnCancel();
    interrupt.exitConfirmed = port.ExitConfirmedOnCancel();
  }

  std::vector<RenderedMessage> shown;
  for (const ShownMessage& message : outcome.messages) {
    RenderedMessage rendered{MessageText(message.id), {}, message.about};
    if (IsSuccessMessage(message.id)) {
      rendered.details = SuccessDetails(outcome, message, context);
      // stdout carries the success message alone, or the document alone
      // with --format json; what it says about the radios goes to stderr.
      if (!output.json) console.ShowSuccess(rendered.text, rendered.details);
    } else {
      rendered.details = MessageDetails(outcome, message, context);
      console.ShowFailure(rendered.text, rendered.details);
    }
    shown.push_back(std::move(rendered));
  }
  std::optional<RenderedMessage> interrupted;
  if (outcome.interrupt) {
    interrupted = RenderedMessage{"Interrupted", InterruptDetails(outcome, context), {}};
    console.ShowFailure(interrupted->text, interrupted->details);
  }
  if (output.json) {
    PrintDocument(OutcomeDocument(output.command, outcome, context, shown, interrupted));
  }
  if (outcome.interrupt) return InterruptExitStatus();
  return outcome.Succeeded() ? kExitOk : kExitFailure;
}

void NoteSlowestSpeed(const std::string& newBaudRate, int status) {
  if (newBaudRate != "2400" || status > kExitUsage) return;
  std::cerr << "note: radios at 2400 baud can still be polled, but configure and init do not "
               "try 2400 baud\n"
            << std::flush;
}

}  // namespace zorveth::cli
