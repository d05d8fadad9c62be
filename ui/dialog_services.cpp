#include "ui/dialog_services.h"

#include "ui/pumping_clock.h"

namespace zorveth::ui {

std::unique_ptr<DialogServices> MakeSystemServices(Toolkit& toolkit) {
  auto services = std::make_unique<DialogServices>(toolkit);
  services->portClock =
      std::make_unique<PumpingClock>(SystemClock(), [&toolkit] { toolkit.PumpPendingEvents(); });
  Clock* clock = services->portClock.get();
  services->createPort = [clock] { return std::make_unique<CSerialPort>(*clock); };
  return services;
}

}  // namespace zorveth::ui
