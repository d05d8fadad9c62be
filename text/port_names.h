#pragma once

namespace zorveth {

// How a port on a device server is named (RFC 2217, Telnet Com Port
// Control), in a port option, a port map link or a scan's list:
// "rfc2217://10.0.0.5:4001". The scheme is matched in any letter case.
inline constexpr char kNetworkPortScheme[] = "rfc2217://";

}  // namespace zorveth
