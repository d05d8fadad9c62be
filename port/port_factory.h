#pragma once

#include <memory>
#include <string_view>

#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth {

// A new, closed port for a port as the user names it, for the dialogs, the
// scan and every command alike:
// - "rfc2217://HOST:PORT" (scheme in any letter case): the network port;
// - anything else, "COM<n>" in any letter case or a COM port list entry
//   such as "COM33 (ttyUSB0)": the COM port whose number the operations
//   set, the serial device or the device server the port map links the
//   number to.
// The port's Name() is the network address as given, or "COM<n>". A network
// port keeps its deadlines on the clock given.
std::unique_ptr<CRadioPort> CreatePort(std::string_view name, Clock& clock = SystemClock());

}  // namespace zorveth
