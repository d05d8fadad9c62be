#include "platform/port_map.h"
#include "port/com_port.h"

namespace zorveth {

std::optional<NetworkAddress> NetworkAddressOfComPort(int number) {
  auto target = ResolveComPort(number);
  if (!target) return std::nullopt;
  return ParseNetworkPortName(target->string());
}

}  // namespace zorveth
