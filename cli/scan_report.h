#pragma once

#include <string>
#include <vector>

#include "link/port_scan.h"

namespace zorveth::cli {

// The lines of a scan for people: one per radio found, in the order of the
// ports and Server before Client, e.g.
//   "COM5 (pts/3)  Server  9600 baud  channel 67  system ID 111"
// then one per port where nothing was found, with the reason:
//   "COM8 (pts/9)  no answer", "COM9  busy". A register that could not be
// read shows as "?".
std::vector<std::string> ScanReportLines(const std::vector<PortScanResult>& results);

// The same as one JSON document:
//   {"radiosFound": 1,
//    "ports": [{"port": "COM5 (pts/3)", "number": 5, "status": "found",
//               "radios": [{"role": "Server", "baud": 9600, "channel": 67,
//                           "roleRegister": 1, "systemId": 111}]}, ...]}
// "status" is the reason text of the lines above; "error" carries the
// system's words when a port did not open; unread registers are null.
std::string ScanReportJson(const std::vector<PortScanResult>& results);

// How many radios the results hold.
std::size_t RadiosFound(const std::vector<PortScanResult>& results);

}  // namespace zorveth::cli
