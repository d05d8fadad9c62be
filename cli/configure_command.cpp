#include <iostream>

#include "cli/commands.h"
#include "cli/link_options.h"
#include "cli/radio_run.h"
#include "radio/configure.h"
#include "settings/advanced_settings.h"

namespace zorveth::cli {
namespace {

constexpr char kHelp[] =
    "Usage: zorveth-cli configure --port PORT [--channel N] [--baud N]\n"
    "\n"
    "Writes one set of link settings to the Client radio and then, once the\n"
    "Client has accepted it, to the Server, probing 38400, 19200, 9600 and 4800\n"
    "baud for the Client. The packet length, number of retries and system ID come\n"
    "from SkelvarRadio.ini in the working directory ('zorveth-cli settings').\n"
    "\n"
    "Options:\n"
    "  --port PORT      the serial port: COM<n>, or a device 'zorveth-cli ports'\n"
    "                   lists, by its path or name (/dev/ttyUSB0, ttyUSB0)\n"
    "  --channel N      channel, 0 to 65535 (default 67)\n"
    "  --baud N         new baud rate of the radios: 2400, 4800, 9600, 19200\n"
    "                   or 38400 (default 19200)\n"
    "  -h, --help       this text\n"
    "\n"
    "Options are checked before anything is sent. Prints exactly one outcome:\n"
    "\"Configuration is Set\" on stdout, or a failure message on stderr with lines\n"
    "under it that say which radio holds which settings. Ctrl-C stops, takes the\n"
    "radios out of command mode and exits 130. Exit status: 0 on success, 1 on a\n"
    "failure message, 2 for a usage error, 128 and the signal's number after an\n"
    "interrupt.\n";

}  // namespace

int RunConfigure(const Arguments& args) {
  if (WantsHelp(args)) {
    std::cout << kHelp;
    return kExitOk;
  }
  LinkOptions link;
  OptionReader options(args);
  while (!options.Done()) {
    const std::string& name = options.Next();
    std::string error;
    if (!TakeLinkOption(options, link, false, error)) {
      return UsageError("configure", name.rfind("-", 0) == 0
                                         ? "unknown option '" + name + "'"
                                         : "unexpected argument '" + name + "'");
    }
    if (!error.empty()) return UsageError("configure", error);
  }
  if (!link.portGiven) return UsageError("configure", "--port is required");

  OperationContext context;
  context.kind = OperationKind::Configure;
  context.choices = link.choices;
  context.port = link.choices.comPort;
  context.settings = LoadAdvancedSettings();
  ConsoleFeedback feedback({message::kConfigurationIsSet});
  const int status = RunRadioOperation(feedback, context, [&](CRadioPort& port, Clock& clock) {
    RadioConfigurator(port, clock, feedback).ConfigureRadios(context.choices, context.settings);
  });
  NoteSlowestSpeed(feedback, context.choices.newBaudRate, status);
  return status;
}

}  // namespace zorveth::cli
