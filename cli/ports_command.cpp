// zorveth-cli ports: the COM port list as the main dialog fills it, with the
// entry it would preselect marked.
#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/option_table.h"
#include "platform/port_discovery.h"
#include "platform/port_list.h"

namespace zorveth::cli {

namespace {

const CommandSpec kPorts = {
    "ports",
    "",
    "Lists the serial ports in the order the dialog lists them (at most 20),\n"
    "one per line. The port the dialog would preselect (the saved port, or\n"
    "else the first one) is marked with '*'.\n\n"
    "On Linux the ports come from the port map: links\n"
    "${XDG_CONFIG_HOME:-$HOME/.config}/zorveth/ports/COM<n> -> /dev/..., then\n"
    "the other serial devices numbered automatically. The saved port is\n"
    "'Serial Port' under [Software\\Pellucor\\Vorlith\\V2\\Settings] in\n"
    "${XDG_CONFIG_HOME:-$HOME/.config}/zorveth/registry.ini.\n",
    {kFormatOption, kHelpOption},
    "Exit status: 0 ports listed, 1 no serial port found, 2 usage error.\n"};

}  // namespace

int RunPorts(const Arguments& args) {
  if (PrintHelpIfAsked(kPorts, args)) return kExitOk;
  bool json = false;
  const std::string refusal =
      ParseOptions(kPorts, args, [&](const OptionSpec&, const std::string& value) {
        auto format = ParseFormat(value);
        if (!format) return std::string(kFormatOption.missing);
        json = *format;
        return std::string();
      });
  if (!refusal.empty()) return UsageError("ports", refusal);

  PortList list;
  if (ListSerialPorts(list) == 0 || list.Entries().empty()) {
    if (json) PrintDocument(PortsDocument({}, -1));
    std::cerr << "No serial ports found\n";
    return kExitFailure;
  }
  SelectSavedPort(list);
  if (json) {
    PrintDocument(PortsDocument(list.Entries(), list.Selected()));
    return kExitOk;
  }
  for (std::size_t i = 0; i < list.Entries().size(); ++i) {
    bool selected = static_cast<int>(i) == list.Selected();
    std::cout << (selected ? "* " : "  ") << list.Entries()[i] << '\n';
  }
  return kExitOk;
}

}  // namespace zorveth::cli
