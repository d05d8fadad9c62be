// zorveth-cli scan: every port at once, looking for the radios on each.
#include <iostream>
#include <set>

#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/scan_report.h"
#include "link/port_scan.h"
#include "platform/port_discovery.h"
#include "platform/port_list.h"
#include "text/text_numbers.h"

namespace zorveth::cli {
namespace {

constexpr char kHelp[] =
    "Usage: zorveth-cli scan [--ports COM<n>,COM<m>,...] [--format text|json]\n"
    "\n"
    "Looks for the Server and the Client radio on every serial port of the list\n"
    "('zorveth-cli ports'), or on the ports given, all ports at the same time.\n"
    "Each radio is looked for as 'poll server' and 'poll client' look for it, at\n"
    "38400, 19200, 9600, 4800 and 2400 baud, and only its channel, role and\n"
    "system ID are read; nothing is written to a radio. The scan takes about as\n"
    "long as one port: some four seconds when no radio answers.\n"
    "\n"
    "Prints one line per radio found, e.g.\n"
    "  COM5 (pts/3)  Server  9600 baud  channel 67  system ID 111\n"
    "then one line per port where none was found and why (no answer, busy,\n"
    "permission denied, no such port). A port another program holds is skipped.\n"
    "\n"
    "Options:\n"
    "  --ports LIST        scan only these ports, comma-separated (COM3,COM5)\n"
    "  --format text|json  lines (the default) or one JSON document\n"
    "  -h, --help          this text\n"
    "\n"
    "Ctrl-C stops the scan, takes every radio out of command mode, closes every\n"
    "port and exits 130. Exit status: 0 at least one radio found, 1 none, 2 usage\n"
    "error, 128 and the signal's number after an interrupt.\n";

// "COM<n>" with n from 1, letter case of "COM" ignored.
bool IsComName(const std::string& text) {
  if (text.size() < 4 || (text[0] | 0x20) != 'c' || (text[1] | 0x20) != 'o' ||
      (text[2] | 0x20) != 'm') {
    return false;
  }
  for (std::size_t i = 3; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return PortNumberFromText("COM" + text.substr(3)) > 0;
}

// The ports to scan: the port list's entries, or the given ports as the
// list names them ("COM5 (pts/3)"), each port once.
std::vector<std::string> PortsToScan(const std::vector<std::string>& given) {
  PortList list;
  ListSerialPorts(list);
  if (given.empty()) return list.Entries();
  std::vector<std::string> ports;
  std::set<std::int16_t> seen;
  for (const std::string& name : given) {
    const std::int16_t number = PortNumberFromText(name);
    if (!seen.insert(number).second) continue;
    std::string entry = "COM" + std::to_string(number);
    for (const std::string& listed : list.Entries()) {
      if (PortNumberFromText(listed) == number) entry = listed;
    }
    ports.push_back(entry);
  }
  return ports;
}

bool SplitPorts(const std::string& text, std::vector<std::string>& ports, std::string& error) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string name = text.substr(start, comma - start);
    if (!IsComName(name)) {
      error = "'" + name + "' is not a port name such as COM3";
      return false;
    }
    ports.push_back("COM" + name.substr(3));  // "com5" is COM5 too
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

}  // namespace

int RunScan(const Arguments& args) {
  if (WantsHelp(args)) {
    std::cout << kHelp;
    return kExitOk;
  }
  std::vector<std::string> given;
  std::string format = "text";
  OptionReader options(args);
  while (!options.Done()) {
    const std::string& name = options.Next();
    if ((name == "--ports" || name == "--format") && options.Repeated()) {
      return UsageError("scan", name + " given twice");
    }
    if (name == "--ports") {
      auto value = options.Value();
      if (!value) return UsageError("scan", "--ports needs a list such as COM3,COM5");
      std::string error;
      if (!SplitPorts(*value, given, error)) return UsageError("scan", error);
    } else if (name == "--format") {
      auto value = options.Value();
      if (!value || (*value != "text" && *value != "json")) {
        return UsageError("scan", "--format is text or json");
      }
      format = *value;
    } else if (name.rfind("-", 0) == 0) {
      return UsageError("scan", "unknown option '" + name + "'");
    } else {
      return UsageError("scan", "unexpected argument '" + name + "'");
    }
  }

  const std::vector<std::string> ports = PortsToScan(given);
  if (ports.empty()) {
    std::cerr << "No serial ports found\n";
    return kExitFailure;
  }
  // An interrupt stops every worker at its next wait; each sends the exit
  // to a radio it left in command mode and closes its port.
  CancellationToken& interrupt = InterruptToken();
  InstallInterruptHandlers();
  std::vector<PortScanResult> results;
  {
    ConsoleFeedback progress;
    progress.Progress("scanning " + std::to_string(ports.size()) +
                      (ports.size() == 1 ? " port..." : " ports..."));
    results = ScanPorts(ports, interrupt);
  }

  if (format == "json") {
    std::cout << ScanReportJson(results) << '\n';
  } else {
    for (const std::string& line : ScanReportLines(results)) std::cout << line << '\n';
  }
  std::cout << std::flush;
  if (interrupt.IsCancelled()) {
    std::cerr << "Interrupted\n";
    return InterruptExitStatus();
  }
  if (RadiosFound(results) > 0) return kExitOk;
  if (format == "text") std::cerr << "No radios found\n";
  return kExitFailure;
}

}  // namespace zorveth::cli
