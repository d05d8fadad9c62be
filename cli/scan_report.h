#pragma once

#include <string>
#include <vector>

#include "cli/json_results.h"
#include "link/port_scan.h"

namespace zorveth::cli {

// The lines of a scan for people: one per radio found, in the order of the
// ports and Server before Client, e.g.
//   "COM5 (pts/3)  Server  9600 baud  channel 67  system ID 111"
// then one per port where nothing was found, with the reason:
//   "COM8 (pts/9)  no answer", "COM9  busy". A register that could not be
// read shows as "?".
std::vector<std::string> ScanReportLines(const std::vector<PortScanResult>& results);

// The same as one JSON document (docs/json-output.md): every port with its
// status and the radios found on it, in the vocabulary of the other
// commands.
Json ScanDocument(const std::vector<PortScanResult>& results, bool interrupted);

// How many radios the results hold.
std::size_t RadiosFound(const std::vector<PortScanResult>& results);

}  // namespace zorveth::cli
