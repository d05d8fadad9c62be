#include "ui/dialog_services.h"

#include "radio/com_port.h"
#include "radio/tracing_port.h"
#include "ui/pumping_clock.h"

namespace zorveth::ui {

std::unique_ptr<DialogServices> MakeSystemServices(Toolkit& toolkit) {
  auto services = std::make_unique<DialogServices>(toolkit);
  services->ownedClock =
      std::make_unique<PumpingClock>(SystemClock(), [&toolkit] { toolkit.PumpPendingEvents(); });
  services->clock = services->ownedClock.get();
  // Every port the dialogs open records its bytes in the wire log: the last
  // 20 operations, at most 1 MB, kept in memory until the user saves them.
  // The trace takes its times from the plain clock, which pumps no events.
  services->wireLog = std::make_unique<WireLog>(SystemClock().NowMs());
  WireLog* log = services->wireLog.get();
  services->createPort = [log] {
    return TraceInto(*log, SystemClock(), std::make_unique<CComPort>());
  };
  services->operationStarted = [log](const std::string& name) { log->BeginOperation(name); };
  services->wireLogText = [log] { return log->Text(); };
  return services;
}

}  // namespace zorveth::ui
