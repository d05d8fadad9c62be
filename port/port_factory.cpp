#include "port/port_factory.h"

#include "port/com_port.h"
#include "port/network_port.h"

namespace zorveth {

std::unique_ptr<CRadioPort> CreatePort(std::string_view name) {
  if (auto address = ParseNetworkPortName(name)) return std::make_unique<CNetworkPort>(*address);
  return std::make_unique<CComPort>();
}

}  // namespace zorveth
