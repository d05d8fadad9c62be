#include "ui/dialog_services.h"

#include "radio/com_port.h"
#include "ui/pumping_clock.h"

namespace zorveth::ui {

std::unique_ptr<DialogServices> MakeSystemServices(Toolkit& toolkit) {
  auto services = std::make_unique<DialogServices>(toolkit);
  services->ownedClock =
      std::make_unique<PumpingClock>(SystemClock(), [&toolkit] { toolkit.PumpPendingEvents(); });
  services->clock = services->ownedClock.get();
  services->createPort = [] { return std::make_unique<CComPort>(); };
  return services;
}

}  // namespace zorveth::ui
