// zorveth-cli ports: the COM port list as the main dialog fills it, with the
// entry it would preselect marked.
#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "platform/port_discovery.h"
#include "platform/port_list.h"

namespace zorveth::cli {

namespace {

void PrintPortsHelp() {
  std::cout << "Usage: zorveth-cli ports [--format text|json]\n\n"
               "Lists the serial ports in the order the dialog lists them (at most 20),\n"
               "one per line. The port the dialog would preselect (the saved port, or\n"
               "else the first one) is marked with '*'.\n\n"
               "On Linux the ports come from the port map: links\n"
               "${XDG_CONFIG_HOME:-$HOME/.config}/zorveth/ports/COM<n> -> /dev/..., then\n"
               "the other serial devices numbered automatically. The saved port is\n"
               "'Serial Port' under [Software\\Pellucor\\Vorlith\\V2\\Settings] in\n"
               "${XDG_CONFIG_HOME:-$HOME/.config}/zorveth/registry.ini.\n\n"
               "Options:\n"
               "  --format FORMAT  text (default) or json: one JSON document on stdout\n"
               "  -h, --help       this text\n\n"
               "Exit status: 0 ports listed, 1 no serial port found, 2 usage error.\n";
}

}  // namespace

int RunPorts(const Arguments& args) {
  if (WantsHelp(args)) {
    PrintPortsHelp();
    return kExitOk;
  }
  FormatOption format;
  OptionReader options(args);
  while (!options.Done()) {
    const std::string& name = options.Next();
    std::string error;
    if (!format.Take(options, error))
      return UsageError("ports", "unexpected argument '" + name + "'");
    if (!error.empty()) return UsageError("ports", error);
  }

  PortList list;
  if (ListSerialPorts(list) == 0 || list.Entries().empty()) {
    if (format.json) std::cout << PortsDocument({}, -1) << '\n';
    std::cerr << "No serial ports found\n";
    return kExitFailure;
  }
  SelectSavedPort(list);
  if (format.json) {
    std::cout << PortsDocument(list.Entries(), list.Selected()) << '\n';
    return kExitOk;
  }
  for (std::size_t i = 0; i < list.Entries().size(); ++i) {
    bool selected = static_cast<int>(i) == list.Selected();
    std::cout << (selected ? "* " : "  ") << list.Entries()[i] << '\n';
  }
  return kExitOk;
}

}  // namespace zorveth::cli
