// zorveth-cli scan: every port at once, looking for the radios on each.
#include <iostream>
#include <set>

#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/json_results.h"
#include "cli/option_table.h"
#include "cli/scan_progress.h"
#include "cli/scan_report.h"
#include "cli/terminal.h"
#include "link/port_scan.h"
#include "platform/port_discovery.h"
#include "platform/port_list.h"
#include "port/network_port.h"
#include "text/text_numbers.h"

namespace zorveth::cli {
namespace {

const OptionSpec kPortsOption = {"--ports", "LIST",
                                 "scan only these ports, comma-separated: COM<n> or\n"
                                 "rfc2217://HOST:PORT (COM3,COM5,rfc2217://10.0.0.5:4001)",
                                 "--ports needs a list such as COM3,COM5"};

const CommandSpec kScan = {
    "scan",
    "",
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
    "permission denied, no such port, stopped accepting data, cut short). A\n"
    "speed at which a port does not open is skipped; the scan ends within 15\n"
    "seconds whatever the ports do. On a terminal each port's progress is shown\n"
    "on a line of its own while the scan runs.\n",
    {kPortsOption, kFormatOption, kHelpOption},
    "Ctrl-C stops the scan, takes every radio out of command mode, closes every\n"
    "port and exits 130. Exit status: 0 at least one radio found, 1 none, 2 usage\n"
    "error, 128 and the signal's number after an interrupt.\n"};

// The ports to scan: the port list's entries, or the given ports as the
// list names them ("COM5 (pts/3)"), each port once; network ports as given.
std::vector<std::string> PortsToScan(const std::vector<std::string>& given) {
  PortList list;
  ListSerialPorts(list);
  if (given.empty()) return list.Entries();
  std::vector<std::string> ports;
  std::set<std::string> seen;
  for (const std::string& name : given) {
    std::string entry = name;
    if (auto number = ParseComName(name)) {
      entry = "COM" + std::to_string(*number);
      for (const std::string& listed : list.Entries()) {
        if (PortNumberFromText(listed) == *number) entry = listed;
      }
    }
    if (seen.insert(entry).second) ports.push_back(entry);
  }
  return ports;
}

std::string SplitPorts(const std::string& text, std::vector<std::string>& ports) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string name = text.substr(start, comma - start);
    if (auto number = ParseComName(name)) {
      ports.push_back("COM" + std::to_string(*number));  // "com5" is COM5 too
    } else if (ParseNetworkPortName(name)) {
      ports.push_back(name);
    } else {
      return "'" + name + "' is not a port name such as COM3 or rfc2217://HOST:PORT";
    }
    if (comma == std::string::npos) return "";
    start = comma + 1;
  }
}

}  // namespace

int RunScan(const Arguments& args) {
  if (PrintHelpIfAsked(kScan, args)) return kExitOk;
  std::vector<std::string> given;
  bool json = false;
  const std::string refusal =
      ParseOptions(kScan, args, [&](const OptionSpec& option, const std::string& value) {
        if (option.name == kPortsOption.name) return SplitPorts(value, given);
        auto format = ParseFormat(value);
        if (!format) return std::string("--format is text or json");
        json = *format;
        return std::string();
      });
  if (!refusal.empty()) return UsageError("scan", refusal);

  const std::vector<std::string> ports = PortsToScan(given);
  if (ports.empty()) {
    if (json) PrintDocument(ScanDocument({}, false));
    std::cerr << "No serial ports found\n";
    return kExitFailure;
  }
  // An interrupt stops every worker at its next wait; each sends the exit
  // to a radio it left in command mode and closes its port.
  CancellationToken& interrupt = InterruptToken();
  InstallInterruptHandlers();
  std::vector<PortScanResult> results;
  {
    ScanProgressBoard board(ports, std::cerr, StderrIsTerminal());
    results = ScanPorts(
        ports, interrupt, {}, ScanComPort,
        [&board](std::size_t index, const std::string& status) { board.Update(index, status); });
  }

  if (json) {
    PrintDocument(ScanDocument(results, interrupt.IsCancelled()));
  } else {
    for (const std::string& line : ScanReportLines(results)) std::cout << line << '\n';
  }
  std::cout << std::flush;
  if (interrupt.IsCancelled()) {
    std::cerr << "Interrupted\n";
    return InterruptExitStatus();
  }
  if (RadiosFound(results) > 0) return kExitOk;
  if (!json) std::cerr << "No radios found\n";
  return kExitFailure;
}

}  // namespace zorveth::cli
