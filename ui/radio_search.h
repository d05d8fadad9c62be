#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/command_mode.h"
#include "link/port_scan.h"

namespace zorveth::ui {

// A radio that answered during Find Radios.
struct FoundRadio {
  std::string port;  // the COM port list entry it answered on, exactly as listed
  RadioRole role = RadioRole::Server;
  int baudRate = 0;  // the speed it answered at
};

struct FindRadiosResult {
  // In the order found; the first one's port is selected in the main dialog.
  std::vector<FoundRadio> radios;
};

// A search for radios on several ports that runs in the background while
// the Find Radios window shows its progress.
class RadioSearch {
 public:
  virtual ~RadioSearch() = default;
  // Each port's line now, in the order of the ports ("searching 19200
  // baud...", then what it found).
  virtual std::vector<std::string> Statuses() = 0;
  virtual bool Done() = 0;
  // Every port stops at its next wait; a radio left in command mode gets
  // its exit.
  virtual void Cancel() = 0;
  // Waits for every port to end, then their results in the order of the
  // ports. Only once.
  virtual std::vector<PortScanResult> Results() = 0;
};

// The radios the results name, port by port, Server first.
FindRadiosResult FoundRadios(const std::vector<PortScanResult>& results);

// The message Find Radios shows: one line per port, in the order the ports
// were first found, e.g. "Server at 9600 baud and Client at 9600 baud on
// COM5"; "No radios found" when there is none.
std::string DescribeFoundRadios(const FindRadiosResult& result);

}  // namespace zorveth::ui
