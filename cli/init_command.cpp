#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/link_options.h"
#include "cli/option_checks.h"
#include "cli/radio_run.h"
#include "cli/trace_option.h"
#include "link/initialize.h"
#include "settings/advanced_settings.h"

namespace zorveth::cli {
namespace {

constexpr char kHelp[] =
    "Usage: zorveth-cli init --role client|server --port PORT [--technology TEXT]\n"
    "                        [--channel N] [--baud N] [--trace FILE]\n"
    "                        [--format text|json] --yes\n"
    "\n"
    "Gives the one radio that is switched on the Client or the Server role and the\n"
    "full link settings, overwriting its previous settings. Switch every other\n"
    "radio off first. At each of 38400, 19200, 9600 and 4800 baud the radio is\n"
    "addressed first as Client, then as Server.\n"
    "\n"
    "Options:\n"
    "  --role client|server  the role to give the radio (required)\n"
    "  --port PORT           the serial port: COM<n>, a device 'zorveth-cli ports'\n"
    "                        lists by its path or name (/dev/ttyUSB0), or\n"
    "                        rfc2217://HOST:PORT\n"
    "  --technology TEXT     \"Vorlith Radio Control\" (default), \"Dunmere Radio\n"
    "                        Control\" or \"Other\" (any letter case, or the first\n"
    "                        word); decides the line's form\n"
    "  --channel N           channel, 0 to 65535 (default 67, 53 or 25 by\n"
    "                        technology)\n"
    "  --baud N              new baud rate of the radio: 2400, 4800, 9600, 19200\n"
    "                        or 38400 (default 19200)\n"
    "  --trace FILE          write every byte sent and received to FILE ('-': stderr)\n"
    "  --format FORMAT       text (default) or json: one JSON document on stdout\n"
    "  --yes                 confirm that the radio's settings may be overwritten\n"
    "  -h, --help            this text\n"
    "\n"
    "The packet length, number of retries and system ID come from\n"
    "SkelvarRadio.ini in the working directory. Prints \"Client Initialized\" or\n"
    "\"Server Initialized\" on stdout, or a failure message on stderr with lines\n"
    "under it. Ctrl-C stops, takes the radio out of command mode and exits 130.\n"
    "Exit status: 0 on success, 1 on a failure message, 2 for a usage error, 128\n"
    "and the signal's number after an interrupt.\n";

}  // namespace

int RunInit(const Arguments& args) {
  if (WantsHelp(args)) {
    std::cout << kHelp;
    return kExitOk;
  }
  LinkOptions link;
  TraceOption trace;
  FormatOption format;
  std::string role;
  bool confirmed = false;
  OptionReader options(args);
  while (!options.Done()) {
    const std::string& name = options.Next();
    std::string error;
    if (name == "--yes") {
      if (options.Repeated()) return UsageError("init", "--yes given twice");
      confirmed = true;
    } else if (name == "--role") {
      if (options.Repeated()) return UsageError("init", "--role given twice");
      auto value = options.Value();
      if (!value) return UsageError("init", "--role needs client or server");
      Checked checked = CheckRole(*value);
      if (!checked.ok()) return UsageError("init", checked.refusal);
      role = checked.value;
    } else if (trace.Take(options, error) || format.Take(options, error)) {
      // --trace, --format
    } else if (name.rfind("-", 0) == 0 && !TakeLinkOption(options, link, true, error)) {
      return UsageError("init", "unknown option '" + name + "'");
    } else if (name.rfind("-", 0) != 0) {
      return UsageError("init", "unexpected argument '" + name + "'");
    }
    if (!error.empty()) return UsageError("init", error);
  }
  if (role.empty()) return UsageError("init", "--role client or --role server is required");
  if (!link.portGiven) return UsageError("init", "--port is required");
  if (!confirmed) {
    std::cerr << "zorveth-cli init: this overwrites the radio's settings; add --yes to go ahead"
                 " (nothing was sent)\n";
    return kExitUsage;
  }
  if (!link.channelGiven)
    link.choices.channel = std::string(DefaultChannel(link.choices.technology));
  if (std::string error; !trace.Prepare(error)) return UsageError("init", error);

  OperationContext context;
  context.kind = OperationKind::Initialize;
  context.choices = link.choices;
  context.port = link.choices.comPort;
  context.settings = LoadAdvancedSettings();
  context.initRole = role == "client" ? RadioRole::Client : RadioRole::Server;
  ConsoleFeedback feedback({message::kClientInitialized, message::kServerInitialized});
  JsonResults results(format, "init", context.port, feedback,
                      {message::kClientInitialized, message::kServerInitialized});
  results.SetRoleRequested(context.initRole);
  const int status = RunRadioOperation(
      feedback, context,
      [&](CRadioPort& port, Clock& clock) {
        InitializeRadio(context.initRole, context.choices, context.settings, port, clock,
                        results.Feedback());
      },
      [&](CRadioPort& device) -> CRadioPort& { return trace.Wrap(device, "init " + role); });
  results.Print();
  NoteSlowestSpeed(feedback, context.choices.newBaudRate, status);
  trace.Finish();
  return status;
}

}  // namespace zorveth::cli
