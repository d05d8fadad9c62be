#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/trace_option.h"
#include "radio/serial_port.h"
#include "radio/settings_poll.h"

namespace zorveth::cli {
namespace {

constexpr char kHelp[] =
    "Usage: zorveth-cli poll server|client|both --port COM<n> [--trace FILE]\n"
    "                         [--format text|json]\n"
    "\n"
    "Reads the settings of the Server radio, the Client radio or both, trying\n"
    "38400, 19200, 9600, 4800 and 2400 baud until the radio answers, and prints\n"
    "an eleven-line report per radio on stdout, exactly as the poll dialog lists\n"
    "it. With 'both' the Client is asked only at the speed the Server answered at.\n"
    "\n"
    "Options:\n"
    "  --port COM<n>    the serial port ('zorveth-cli ports' lists them)\n"
    "  --trace FILE     write every byte sent and received to FILE ('-': stderr)\n"
    "  --format FORMAT  text (default) or json: one JSON document on stdout\n"
    "  -h, --help       this text\n"
    "\n"
    "Failure messages go to stderr. Exit status: 0 when no message was shown,\n"
    "1 when one was, 2 for a usage error.\n";

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
      port = options.Value();
      if (!port) return UsageError("poll", "--port needs a value such as COM3");
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
  if (!port) return UsageError("poll", "--port COM<n> is required");
  if (!trace.Prepare(error)) return UsageError("poll", error);

  CSerialPort serialPort;
  ConsoleFeedback feedback;
  feedback.SetDetailSource([&serialPort] { return serialPort.LastOpenError(); });
  std::string portText = *port;
  JsonResults results(format, "poll", *port, feedback);
  SettingsPoll poll(portText, trace.Wrap(serialPort, "poll " + which), SystemClock(),
                    results.Sink(), results.Feedback());
  if (which == "server") {
    poll.PollServer();
  } else if (which == "client") {
    poll.PollClient();
  } else {
    poll.PollBoth();
  }
  results.Print();
  trace.Finish();
  return feedback.FailureShown() ? kExitFailure : kExitOk;
}

}  // namespace zorveth::cli
