#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/link_options.h"
#include "cli/option_table.h"
#include "cli/radio_run.h"
#include "cli/trace_option.h"
#include "link/settings_poll.h"

namespace zorveth::cli {
namespace {

const CommandSpec kPoll = {
    "poll",
    "server|client|both",
    "Reads the settings of the Server radio, the Client radio or both, trying\n"
    "38400, 19200, 9600, 4800 and 2400 baud until the radio answers, and prints\n"
    "an eleven-line report per radio on stdout, exactly as the poll dialog lists\n"
    "it. With 'both' the Client is asked only at the speed the Server answered at.\n",
    {kPortOption, kTraceOption, kFormatOption, kHelpOption},
    "Failure messages go to stderr, with lines under them that say what happened.\n"
    "Ctrl-C stops the poll, takes the radio out of command mode and exits 130.\n"
    "Exit status: 0 when no message was shown, 1 when one was, 2 for a usage\n"
    "error, 128 and the signal's number after an interrupt.\n"};

}  // namespace

int RunPoll(const Arguments& args) {
  if (PrintHelpIfAsked(kPoll, args)) return kExitOk;
  std::string which;
  OperationContext context;
  bool portGiven = false;
  TraceOption trace;
  OutputChoice output{"poll"};
  const std::string refusal = ParseOptions(
      kPoll, args,
      [&](const OptionSpec& option, const std::string& value) -> std::string {
        if (option.name == kPortOption.name) {
          portGiven = true;
          return TakePortValue(value, context.port);
        }
        if (option.name == kTraceOption.name) return trace.Accept(value);
        auto json = ParseFormat(value);
        if (!json) return std::string(kFormatOption.missing);
        output.json = *json;
        return "";
      },
      [&](const std::string& argument) -> std::string {
        if (!which.empty()) return "unexpected argument '" + argument + "'";
        which = argument;
        return "";
      });
  if (!refusal.empty()) return UsageError("poll", refusal);
  if (which != "server" && which != "client" && which != "both") {
    return UsageError("poll", which.empty() ? "say which radio to poll: server, client or both"
                                            : "'" + which + "' is not server, client or both");
  }
  if (!portGiven) return UsageError("poll", "--port is required");
  if (std::string error; !trace.Prepare(error)) return UsageError("poll", error);

  const int status =
      RunRadioOperation(context, output, trace, "poll " + which,
                        [&](CRadioPort& port, Clock& clock, ConsoleFeedback& console) {
                          std::string portText = context.port;
                          SettingsPoll poll(portText, port, clock, console, console);
                          if (which == "server") return poll.PollServer();
                          if (which == "client") return poll.PollClient();
                          return poll.PollBoth();
                        });
  trace.Finish();
  return status;
}

}  // namespace zorveth::cli
