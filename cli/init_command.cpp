#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/link_options.h"
#include "cli/option_checks.h"
#include "cli/option_table.h"
#include "cli/radio_run.h"
#include "cli/stored_settings.h"
#include "cli/trace_option.h"
#include "link/initialize.h"

namespace zorveth::cli {
namespace {

const OptionSpec kRoleOption = {"--role",
                                "ROLE",
                                "the role to give the radio (required)",
                                "--role needs client or server",
                                true,
                                "client|server"};
const OptionSpec kYesOption = {
    "--yes", "", "confirm that the radio's settings may be overwritten", {}, true};
const OptionSpec kInitChannelOption = {"--channel", "N",
                                       "channel, 0 to 65535 (default 67, 53 or 25 by\n"
                                       "technology)",
                                       "--channel needs a value"};

const CommandSpec kInit = {
    "init",
    "",
    "Gives the one radio that is switched on the Client or the Server role and the\n"
    "full link settings, overwriting its previous settings. Switch every other\n"
    "radio off first. At each of 38400, 19200, 9600 and 4800 baud the radio is\n"
    "addressed first as Client, then as Server.\n",
    {kRoleOption, kPortOption, kTechnologyOption, kInitChannelOption, kBaudOption, kTraceOption,
     kFormatOption, kYesOption, kHelpOption},
    "The packet length, number of retries and system ID come from\n"
    "SkelvarRadio.ini in the working directory. Prints \"Client Initialized\" or\n"
    "\"Server Initialized\" on stdout, or a failure message on stderr with lines\n"
    "under it. Ctrl-C stops, takes the radio out of command mode and exits 130.\n"
    "Exit status: 0 on success, 1 on a failure message, 2 for a usage error, 128\n"
    "and the signal's number after an interrupt.\n"};

}  // namespace

int RunInit(const Arguments& args) {
  if (PrintHelpIfAsked(kInit, args)) return kExitOk;
  LinkOptions link;
  TraceOption trace;
  OutputChoice output{"init"};
  std::string role;
  bool confirmed = false;
  const std::string refusal =
      ParseOptions(kInit, args, [&](const OptionSpec& option, const std::string& value) {
        std::string error;
        if (option.name == kYesOption.name) {
          confirmed = true;
        } else if (option.name == kRoleOption.name) {
          Checked checked = CheckRole(value);
          role = checked.value;
          error = checked.refusal;
        } else if (option.name == kTraceOption.name) {
          error = trace.Accept(value);
        } else if (option.name == kFormatOption.name) {
          auto json = ParseFormat(value);
          if (json) output.json = *json;
          if (!json) error = kFormatOption.missing;
        } else {
          TakeLinkOption(option, value, link, error);
        }
        return error;
      });
  if (!refusal.empty()) return UsageError("init", refusal);
  if (role.empty()) return UsageError("init", "--role client or --role server is required");
  if (!link.portGiven) return UsageError("init", "--port is required");
  OperationContext context;
  if (!LoadSettingsToSend("init", context.settings)) return kExitUsage;
  if (!confirmed) {
    std::cerr << "zorveth-cli init: this overwrites the radio's settings; add --yes to go ahead"
                 " (nothing was sent)\n";
    return kExitUsage;
  }
  if (!link.channelGiven)
    link.choices.channel = std::string(DefaultChannel(link.choices.technology));
  if (std::string error; !trace.Prepare(error)) return UsageError("init", error);

  context.choices = link.choices;
  context.port = link.choices.comPort;
  context.initRole = role == "client" ? RadioRole::Client : RadioRole::Server;
  const int status =
      RunRadioOperation(context, output, trace, "init " + role,
                        [&](CRadioPort& port, Clock& clock, ConsoleFeedback& console) {
                          return InitializeRadio(context.initRole, context.choices,
                                                 context.settings, port, clock, console);
                        });
  NoteSlowestSpeed(context.choices.newBaudRate, status);
  trace.Finish();
  return status;
}

}  // namespace zorveth::cli
