#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/link_options.h"
#include "cli/radio_run.h"
#include "cli/trace_option.h"
#include "link/configure.h"
#include "settings/advanced_settings.h"

namespace zorveth::cli {
namespace {

constexpr char kHelp[] =
    "Usage: zorveth-cli configure --port PORT [--channel N] [--baud N]\n"
    "                             [--trace FILE] [--format text|json]\n"
    "\n"
    "Writes one set of link settings to the Client radio and then, once the\n"
    "Client has accepted it, to the Server, probing 38400, 19200, 9600 and 4800\n"
    "baud for the Client. The packet length, number of retries and system ID come\n"
    "from SkelvarRadio.ini in the working directory ('zorveth-cli settings').\n"
    "\n"
    "Options:\n"
    "  --port PORT      the serial port: COM<n>, a device 'zorveth-cli ports'\n"
    "                   lists by its path or name (/dev/ttyUSB0, ttyUSB0), or\n"
    "                   rfc2217://HOST:PORT\n"
    "  --channel N      channel, 0 to 65535 (default 67)\n"
    "  --baud N         new baud rate of the radios: 2400, 4800, 9600, 19200\n"
    "                   or 38400 (default 19200)\n"
    "  --trace FILE     write every byte sent and received to FILE ('-': stderr)\n"
    "  --format FORMAT  text (default) or json: one JSON document on stdout\n"
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
  TraceOption trace;
  FormatOption format;
  OptionReader options(args);
  while (!options.Done()) {
    const std::string& name = options.Next();
    std::string error;
    if (trace.Take(options, error) || format.Take(options, error)) {
      // --trace, --format
    } else if (!TakeLinkOption(options, link, false, error)) {
      return UsageError("configure", name.rfind("-", 0) == 0
                                         ? "unknown option '" + name + "'"
                                         : "unexpected argument '" + name + "'");
    }
    if (!error.empty()) return UsageError("configure", error);
  }
  if (!link.portGiven) return UsageError("configure", "--port is required");
  if (std::string error; !trace.Prepare(error)) return UsageError("configure", error);

  OperationContext context;
  context.kind = OperationKind::Configure;
  context.choices = link.choices;
  context.port = link.choices.comPort;
  context.settings = LoadAdvancedSettings();
  ConsoleFeedback feedback({message::kConfigurationIsSet});
  JsonResults results(format, "configure", context.port, feedback, {message::kConfigurationIsSet});
  results.SetSettingsSent(context.choices, context.settings);
  const int status = RunRadioOperation(
      feedback, context,
      [&](CRadioPort& port, Clock& clock) {
        RadioConfigurator(port, clock, results.Feedback())
            .ConfigureRadios(context.choices, context.settings);
      },
      [&](CRadioPort& device) -> CRadioPort& { return trace.Wrap(device, "configure"); });
  results.Print();
  NoteSlowestSpeed(feedback, context.choices.newBaudRate, status);
  trace.Finish();
  return status;
}

}  // namespace zorveth::cli
