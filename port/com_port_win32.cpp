#include "port/com_port.h"

namespace zorveth {

std::optional<NetworkAddress> NetworkAddressOfComPort(int /*number*/) {
  return std::nullopt;
}

}  // namespace zorveth
