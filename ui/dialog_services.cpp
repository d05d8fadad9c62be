#include "ui/dialog_services.h"

#include "link/port_scan.h"
#include "port/port_factory.h"
#include "trace/tracing_port.h"
#include "ui/pumping_clock.h"

namespace zorveth::ui {

FindRadiosResult FindRadiosOnPorts(const FindRadiosRequest& request) {
  // Nothing interrupts a scan from the dialog; it ends by itself within the
  // time of the slowest port.
  static const CancellationToken kNeverCancelled;
  FindRadiosResult found;
  for (const auto& port : ScanPorts(request.ports, kNeverCancelled, request.keepRepainting)) {
    for (const auto& radio : port.radios) {
      found.radios.push_back(
          {port.port, radio.role, static_cast<int>(radio.answeredAt.value_or(0))});
    }
  }
  return found;
}

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
  services->createPort = [log](const std::string& portName) {
    return TraceInto(*log, SystemClock(), CreatePort(portName));
  };
  services->operationStarted = [log](const std::string& name) { log->BeginOperation(name); };
  services->wireLogText = [log] { return log->Text(); };
  services->findRadios = [](const FindRadiosRequest& request) {
    return FindRadiosOnPorts(request);
  };
  return services;
}

}  // namespace zorveth::ui
