#include "port/port_factory.h"

#include "port/com_port.h"
#include "port/network_port.h"

namespace zorveth {

std::unique_ptr<CRadioPort> CreatePort(std::string_view name, Clock& clock) {
  if (auto address = ParseNetworkPortName(name)) {
    return std::make_unique<CNetworkPort>(*address, clock);
  }
  return std::make_unique<CComPort>();
}

}  // namespace zorveth
