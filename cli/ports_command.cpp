// zorveth-cli ports: the COM port list as the main dialog fills it, with the
// entry it would preselect marked.
#include <iostream>

#include "cli/commands.h"
#include "settings/port_discovery.h"
#include "settings/port_list.h"

namespace zorveth::cli {

namespace {

void PrintPortsHelp() {
  std::cout << "Usage: zorveth-cli ports\n\n"
               "Lists the serial ports in the order the dialog lists them (at most 20),\n"
               "one per line. The port the dialog would preselect (the saved port, or\n"
               "else the first one) is marked with '*'.\n\n"
               "On Linux the ports come from the port map: links\n"
               "${XDG_CONFIG_HOME:-$HOME/.config}/zorveth/ports/COM<n> -> /dev/..., then\n"
               "the other serial devices numbered automatically. The saved port is\n"
               "'Serial Port' under [Software\\Pellucor\\Vorlith\\V2\\Settings] in\n"
               "${XDG_CONFIG_HOME:-$HOME/.config}/zorveth/registry.ini.\n\n"
               "Exit status: 0 ports listed, 1 no serial port found, 2 usage error.\n";
}

}  // namespace

int RunPorts(const Arguments& args) {
  if (WantsHelp(args)) {
    PrintPortsHelp();
    return kExitOk;
  }
  if (!args.empty()) return UsageError("ports", "unexpected argument '" + args.front() + "'");

  PortList list;
  if (ListSerialPorts(list) == 0 || list.Entries().empty()) {
    std::cerr << "No serial ports found\n";
    return kExitFailure;
  }
  SelectSavedPort(list);
  for (std::size_t i = 0; i < list.Entries().size(); ++i) {
    bool selected = static_cast<int>(i) == list.Selected();
    std::cout << (selected ? "* " : "  ") << list.Entries()[i] << '\n';
  }
  return kExitOk;
}

}  // namespace zorveth::cli
