#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/link_options.h"
#include "cli/trace_option.h"
#include "radio/initialize.h"
#include "radio/serial_port.h"
#include "settings/advanced_settings.h"

namespace zorveth::cli {
namespace {

constexpr char kHelp[] =
    "Usage: zorveth-cli init --role client|server --port COM<n> [--technology TEXT]\n"
    "                        [--channel TEXT] [--baud TEXT] [--trace FILE]\n"
    "                        [--format text|json] --yes\n"
    "\n"
    "Gives the one radio that is switched on the Client or the Server role and the\n"
    "full link settings, overwriting its previous settings. Switch every other\n"
    "radio off first. At each of 38400, 19200, 9600 and 4800 baud the radio is\n"
    "addressed first as Client, then as Server.\n"
    "\n"
    "Options:\n"
    "  --role client|server  the role to give the radio (required)\n"
    "  --port COM<n>         the serial port ('zorveth-cli ports' lists them)\n"
    "  --technology TEXT     \"Vorlith Radio Control\" (default), \"Dunmere Radio\n"
    "                        Control\" or \"Other\"; decides the line's form\n"
    "  --channel TEXT        channel (default 67, 53 or 25 by technology)\n"
    "  --baud TEXT           new baud rate of the radio (default 19200)\n"
    "  --trace FILE          write every byte sent and received to FILE ('-': stderr)\n"
    "  --format FORMAT       text (default) or json: one JSON document on stdout\n"
    "  --yes                 confirm that the radio's settings may be overwritten\n"
    "  -h, --help            this text\n"
    "\n"
    "The packet length, number of retries and system ID come from\n"
    "SkelvarRadio.ini in the working directory. Prints \"Client Initialized\" or\n"
    "\"Server Initialized\" on stdout, or a failure message on stderr. Exit status:\n"
    "0 on success, 1 on a failure message, 2 for a usage error.\n";

}  // namespace

int RunInit(const Arguments& args) {
  if (WantsHelp(args)) {
    std::cout << kHelp;
    return kExitOk;
  }
  LinkOptions link;
  std::string role;
  bool confirmed = false;
  TraceOption trace;
  FormatOption format;
  OptionReader options(args);
  while (!options.Done()) {
    const std::string& name = options.Next();
    std::string error;
    if (name == "--yes") {
      confirmed = true;
    } else if (name == "--role") {
      auto value = options.Value();
      if (!value) return UsageError("init", "--role needs client or server");
      role = *value;
    } else if (trace.Take(options, error) || format.Take(options, error)) {
      // --trace, --format
    } else if (!TakeLinkOption(options, link, true, error)) {
      return UsageError("init", "unexpected argument '" + name + "'");
    }
    if (!error.empty()) return UsageError("init", error);
  }
  if (role != "client" && role != "server") {
    return UsageError("init", "--role must be client or server");
  }
  if (!link.portGiven) return UsageError("init", "--port COM<n> is required");
  if (!confirmed) {
    std::cerr << "zorveth-cli init: this overwrites the radio's settings; add --yes to go ahead"
                 " (nothing was sent)\n";
    return kExitUsage;
  }
  if (std::string error; !trace.Prepare(error)) return UsageError("init", error);
  if (!link.channelGiven)
    link.choices.channel = std::string(DefaultChannel(link.choices.technology));

  const RadioRole radioRole = role == "client" ? RadioRole::Client : RadioRole::Server;
  const AdvancedSettings settings = LoadAdvancedSettings();
  CSerialPort port;
  ConsoleFeedback feedback({message::kClientInitialized, message::kServerInitialized});
  feedback.SetDetailSource([&port] { return port.LastOpenError(); });
  JsonResults results(format, "init", link.choices.comPort, feedback,
                      {message::kClientInitialized, message::kServerInitialized});
  results.SetRoleRequested(radioRole);
  InitializeRadio(radioRole, link.choices, settings, trace.Wrap(port, "init " + role),
                  SystemClock(), results.Feedback());
  results.Print();
  trace.Finish();
  return feedback.FailureShown() ? kExitFailure : kExitOk;
}

}  // namespace zorveth::cli
