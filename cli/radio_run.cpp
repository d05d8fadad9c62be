#include "cli/radio_run.h"

#include <memory>

#include "cli/interrupts.h"
#include "link/cancellable_port.h"
#include "port/cancellation.h"
#include "port/com_port.h"
#include "port/network_port.h"

namespace zorveth::cli {

int RunRadioOperation(ConsoleFeedback& feedback, const OperationContext& context,
                      const std::function<void(CRadioPort& port, Clock& clock)>& operation,
                      const std::function<CRadioPort&(CRadioPort&)>& wrap) {
  // A network address is a port of its own; a COM name may still lead to
  // one through the port map.
  std::unique_ptr<CRadioPort> device;
  if (auto address = ParseNetworkPortName(context.port)) {
    device = std::make_unique<CNetworkPort>(*address);
  } else {
    device = std::make_unique<CComPort>();
  }
  CancellationToken& token = InterruptToken();
  CancellableClock clock(SystemClock(), token);
  // The exit after an interrupt waits on the plain clock: it must not be cut
  // short by the interrupt it answers.
  CancellablePort port(wrap ? wrap(*device) : *device, SystemClock(), token);
  feedback.SetDetailSource([&](const std::string& message) {
    return FailureDetails(message, context, feedback.History(), device->LastOpenError());
  });
  InstallInterruptHandlers();
  try {
    operation(port, clock);
  } catch (const OperationCancelled&) {
    // The port was closed while the operation unwound; that is where the
    // one "ATE\r" went out.
    feedback.ShowFailure("Interrupted",
                         InterruptDetails(context, feedback.History(), port.ExitSentOnCancel(),
                                          port.ExitConfirmedOnCancel()));
    return InterruptExitStatus();
  }
  return feedback.FailureShown() ? kExitFailure : kExitOk;
}

void NoteSlowestSpeed(ConsoleFeedback& feedback, const std::string& newBaudRate, int status) {
  if (newBaudRate != "2400" || status > kExitUsage) return;
  feedback.ShowNote(
      "note: radios at 2400 baud can still be polled, but configure and init do not try 2400 "
      "baud");
}

}  // namespace zorveth::cli
