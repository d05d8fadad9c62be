#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/command_mode.h"

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

// What Find Radios hands the search.
struct FindRadiosRequest {
  // The COM port list's entries, as listed ("COM5", "COM33 (ttyUSB0)").
  std::vector<std::string> ports;
  // The search runs on the user-interface thread: call this often while
  // waiting (for replies or for workers) so the windows keep repainting.
  // It takes no user input.
  std::function<void()> keepRepainting;
};

// The message Find Radios shows: one line per port, in the order the ports
// were first found, e.g. "Server at 9600 baud and Client at 9600 baud on
// COM5"; "No radios found" when there is none.
std::string DescribeFoundRadios(const FindRadiosResult& result);

}  // namespace zorveth::ui
