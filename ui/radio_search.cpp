#include "ui/radio_search.h"

namespace zorveth::ui {

FindRadiosResult FoundRadios(const std::vector<PortScanResult>& results) {
  FindRadiosResult found;
  for (const PortScanResult& port : results) {
    for (const RadioOutcome& radio : port.radios) {
      found.radios.push_back(
          {port.port, radio.role, static_cast<int>(radio.answeredAt.value_or(0))});
    }
  }
  return found;
}

std::string DescribeFoundRadios(const FindRadiosResult& result) {
  if (result.radios.empty()) return "No radios found";
  std::vector<std::string> ports;  // first-found order
  for (const FoundRadio& radio : result.radios) {
    bool known = false;
    for (const std::string& port : ports) known = known || port == radio.port;
    if (!known) ports.push_back(radio.port);
  }
  std::string message;
  for (const std::string& port : ports) {
    if (!message.empty()) message += '\n';
    bool first = true;
    for (const FoundRadio& radio : result.radios) {
      if (radio.port != port) continue;
      if (!first) message += " and ";
      message += RoleName(radio.role);
      message += " at " + std::to_string(radio.baudRate) + " baud";
      first = false;
    }
    message += " on " + port;
  }
  return message;
}

}  // namespace zorveth::ui
