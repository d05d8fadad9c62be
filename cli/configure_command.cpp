#include <iostream>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/link_options.h"
#include "cli/trace_option.h"
#include "radio/configure.h"
#include "radio/serial_port.h"
#include "settings/advanced_settings.h"

namespace zorveth::cli {
namespace {

constexpr char kHelp[] =
    "Usage: zorveth-cli configure --port COM<n> [--channel TEXT] [--baud TEXT]\n"
    "                             [--trace FILE] [--format text|json]\n"
    "\n"
    "Writes one set of link settings to the Client radio and then, once the\n"
    "Client has accepted it, to the Server, probing 38400, 19200, 9600 and 4800\n"
    "baud for the Client. The packet length, number of retries and system ID come\n"
    "from SkelvarRadio.ini in the working directory ('zorveth-cli settings').\n"
    "\n"
    "Options:\n"
    "  --port COM<n>    the serial port ('zorveth-cli ports' lists them)\n"
    "  --channel TEXT   channel (default 67); its leading number is sent\n"
    "  --baud TEXT      new baud rate of the radios (default 19200)\n"
    "  --trace FILE     write every byte sent and received to FILE ('-': stderr)\n"
    "  --format FORMAT  text (default) or json: one JSON document on stdout\n"
    "  -h, --help       this text\n"
    "\n"
    "Prints exactly one outcome: \"Configuration is Set\" on stdout, or a failure\n"
    "message on stderr. Exit status: 0 on success, 1 on a failure message, 2 for\n"
    "a usage error.\n";

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
      return UsageError("configure", "unexpected argument '" + name + "'");
    }
    if (!error.empty()) return UsageError("configure", error);
  }
  if (!link.portGiven) return UsageError("configure", "--port COM<n> is required");
  if (std::string error; !trace.Prepare(error)) return UsageError("configure", error);

  const AdvancedSettings settings = LoadAdvancedSettings();
  CSerialPort port;
  ConsoleFeedback feedback({message::kConfigurationIsSet});
  feedback.SetDetailSource([&port] { return port.LastOpenError(); });
  JsonResults results(format, "configure", link.choices.comPort, feedback,
                      {message::kConfigurationIsSet});
  results.SetSettingsSent(link.choices, settings);
  RadioConfigurator(trace.Wrap(port, "configure"), SystemClock(), results.Feedback())
      .ConfigureRadios(link.choices, settings);
  results.Print();
  trace.Finish();
  return feedback.FailureShown() ? kExitFailure : kExitOk;
}

}  // namespace zorveth::cli
