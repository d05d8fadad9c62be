#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/link_options.h"
#include "cli/option_table.h"
#include "cli/radio_run.h"
#include "cli/stored_settings.h"
#include "cli/trace_option.h"
#include "link/configure.h"

namespace zorveth::cli {
namespace {

const OptionSpec kSlowYesOption = {"--yes", "",
                                   "go ahead with --baud 2400, at which configure and init\n"
                                   "do not look for the radios afterwards"};

const CommandSpec kConfigure = {
    "configure",
    "",
    "Writes one set of link settings to the Client radio and then, once the\n"
    "Client has accepted it, to the Server, probing 38400, 19200, 9600 and 4800\n"
    "baud for the Client. The packet length, number of retries and system ID come\n"
    "from SkelvarRadio.ini in the working directory ('zorveth-cli settings'); a\n"
    "value there the advanced settings dialog would not take is refused. After\n"
    "--baud 2400 only a poll finds the radios, so that needs --yes.\n",
    {kPortOption, kChannelOption, kBaudOption, kTraceOption, kFormatOption, kSlowYesOption,
     kHelpOption},
    "Options are checked before anything is sent. Prints exactly one outcome:\n"
    "\"Configuration is Set\" on stdout, or a failure message on stderr with lines\n"
    "under it that say which radio holds which settings. Ctrl-C stops, takes the\n"
    "radios out of command mode and exits 130. Exit status: 0 on success, 1 on a\n"
    "failure message, 2 for a usage error, 128 and the signal's number after an\n"
    "interrupt.\n"};

}  // namespace

int RunConfigure(const Arguments& args) {
  if (PrintHelpIfAsked(kConfigure, args)) return kExitOk;
  LinkOptions link;
  TraceOption trace;
  OutputChoice output{"configure"};
  bool confirmed = false;
  const std::string refusal =
      ParseOptions(kConfigure, args, [&](const OptionSpec& option, const std::string& value) {
        std::string error;
        if (TakeLinkOption(option, value, link, error)) return error;
        if (option.name == kSlowYesOption.name) {
          confirmed = true;
          return error;
        }
        if (option.name == kTraceOption.name) return trace.Accept(value);
        auto json = ParseFormat(value);
        if (!json) return std::string(kFormatOption.missing);
        output.json = *json;
        return std::string();
      });
  if (!refusal.empty()) return UsageError("configure", refusal);
  if (!link.portGiven) return UsageError("configure", "--port is required");
  OperationContext context;
  if (!LoadSettingsToSend("configure", context.settings)) return kExitUsage;
  // At 2400 baud the pair still answers a poll, but neither configure nor
  // init looks for it there: the user must mean it.
  if (link.choices.newBaudRate == "2400" && !confirmed) {
    std::cerr << "zorveth-cli configure: after --baud 2400 configure and init no longer find the "
                 "radios, only a poll does; add --yes to go ahead (nothing was sent)\n";
    return kExitUsage;
  }
  if (std::string error; !trace.Prepare(error)) return UsageError("configure", error);

  context.choices = link.choices;
  context.port = link.choices.comPort;
  const int status =
      RunRadioOperation(context, output, trace, "configure",
                        [&](CRadioPort& port, Clock& clock, ConsoleFeedback& console) {
                          return RadioConfigurator(port, clock, console)
                              .ConfigureRadios(context.choices, context.settings);
                        });
  NoteSlowestSpeed(context.choices.newBaudRate, status);
  trace.Finish();
  return status;
}

}  // namespace zorveth::cli
