#pragma once

#include <string>
#include <vector>

namespace zorveth::testing {

// The report of a Server at 9600 baud with the simulated radios' default
// registers (channel 67, packet length 262, system ID 111, 4 attempts,
// signal 87, revision 204).
inline const std::vector<std::string> kServerReportAt9600 = {
    "Settings polled from: Server",
    "============================================",
    "Channel Number:            67",
    "Packet Length:               262",
    "System ID:                      111",
    "Broadcast Attempts:        4",
    "Baud Rate:                     9600",
    "Signal Strength:               87",
    "Firmware Revision:          204",
    " ",
    " ",
};

}  // namespace zorveth::testing
