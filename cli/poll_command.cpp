#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/link_options.h"
#include "cli/radio_run.h"
#include "cli/trace_option.h"
#include "link/settings_poll.h"

namespace zorveth::cli {
namespace {

constexpr char kHelp[] =
    "Usage: zorveth-cli poll server|client|both --port COM<n>\n"
    "\n"
    "Reads the settings of the Server radio, the Client radio or both, trying\n"
    "38400, 19200, 9600, 4800 and 2400 baud until the radio answers, and prints\n"
    "an eleven-line report per radio on stdout, exactly as the poll dialog lists\n"
    "it. With 'both' the Client is asked only at the speed the Server answered at.\n"
    "\n"
    "Options:\n"
    "  --port PORT      the serial port: COM<n>, a device 'zorveth-cli ports'\n"
    "                   lists by its path or name (/dev/ttyUSB0, ttyUSB0), or\n"
    "                   rfc2217://HOST:PORT\n"
    "  --trace FILE     write every byte sent and received to FILE ('-': stderr)\n"
    "  --format FORMAT  text (default) or json: one JSON document on stdout\n"
    "  -h, --help       this text\n"
    "\n"
    "Failure messages go to stderr, with lines under them that say what happened.\n"
    "Ctrl-C stops the poll, takes the radio out of command mode and exits 130.\n"
    "Exit status: 0 when no message was shown, 1 when one was, 2 for a usage\n"
    "error, 128 and the signal's number after an interrupt.\n";

}  // namespace

int RunPoll(const Arguments& args) {
  if (WantsHelp(args)) {
    std::cout << kHelp;
    return kExitOk;
  }
  std::string which;
  std::optional<std::string> port;
  TraceOption trace;
  FormatOption format;
  std::string error;
  OptionReader options(args);
  while (!options.Done()) {
    const std::string& name = options.Next();
    if (name == "--port") {
      error = TakePortOption(options, port.emplace());
      if (!error.empty()) return UsageError("poll", error);
    } else if (trace.Take(options, error) || format.Take(options, error)) {
      if (!error.empty()) return UsageError("poll", error);
    } else if (name.rfind("-", 0) == 0) {
      return UsageError("poll", "unknown option '" + name + "'");
    } else if (which.empty()) {
      which = name;
    } else {
      return UsageError("poll", "unexpected argument '" + name + "'");
    }
  }
  if (which != "server" && which != "client" && which != "both") {
    return UsageError("poll", which.empty() ? "say which radio to poll: server, client or both"
                                            : "'" + which + "' is not server, client or both");
  }
  if (!port) return UsageError("poll", "--port is required");
  if (!trace.Prepare(error)) return UsageError("poll", error);

  OperationContext context;
  context.port = *port;
  context.kind = which == "server"   ? OperationKind::PollServer
                 : which == "client" ? OperationKind::PollClient
                                     : OperationKind::PollBoth;
  ConsoleFeedback feedback;
  JsonResults results(format, "poll", *port, feedback);
  const int status = RunRadioOperation(
      feedback, context,
      [&](CRadioPort& serialPort, Clock& clock) {
        std::string portText = *port;
        SettingsPoll poll(portText, serialPort, clock, results.Sink(), results.Feedback());
        if (context.kind == OperationKind::PollServer) {
          poll.PollServer();
        } else if (context.kind == OperationKind::PollClient) {
          poll.PollClient();
        } else {
          poll.PollBoth();
        }
      },
      [&](CRadioPort& device) -> CRadioPort& { return trace.Wrap(device, "poll " + which); });
  results.Print();
  trace.Finish();
  return status;
}

}  // namespace zorveth::cli
