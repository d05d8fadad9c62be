// zorveth-cli monitor: both radios' signal strength, live, while the
// antennas are aimed.
#include <iostream>

#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/link_options.h"
#include "cli/monitor_output.h"
#include "cli/option_table.h"
#include "cli/terminal.h"
#include "link/cancellable_port.h"
#include "link/command_mode.h"
#include "port/cancellation.h"
#include "port/port_factory.h"
#include "text/text_compare.h"
#include "text/text_numbers.h"

namespace zorveth::cli {
namespace {

constexpr std::uint32_t kLongestIntervalMs = 3600 * 1000;

const OptionSpec kIntervalOption = {"--interval", "SECONDS",
                                    "from the start of one round to the next (fractions\n"
                                    "allowed, up to 3600); default: back to back, as fast as\n"
                                    "the radios answer",
                                    "--interval needs a number of seconds such as 1 or 0.5"};
const OptionSpec kCountOption = {"--count", "N",
                                 "stop after N rounds (a round samples each radio once)",
                                 "--count needs a number of rounds"};
const OptionSpec kMonitorFormatOption = {"--format",
                                         "FORMAT",
                                         "text (default), csv, or json: one document per line",
                                         "--format needs text, csv or json",
                                         false,
                                         "text|csv|json"};

const CommandSpec kMonitor = {
    "monitor",
    "",
    "Shows the signal strength of the Server and the Client radio, sampled in\n"
    "turn, while the antennas are aimed. The radios are found once as 'poll both'\n"
    "finds them (each at its own speed when they differ); then each sample is\n"
    "the radio's escape, the query ATS and its exit, nothing else.\n"
    "On a terminal one line is updated in place: each radio's latest value, a\n"
    "bar, and min/mean/max so far. In a pipe, or with --format csv, one line per\n"
    "sample, 'time,role,signalStrength' (seconds since the start; the value is\n"
    "empty when the radio did not answer), flushed as it is taken.\n",
    {kPortOption, kIntervalOption, kCountOption, kMonitorFormatOption, kHelpOption},
    "A radio that gives no answer for 10 seconds in a row, or a port that goes\n"
    "away, ends the monitor with a message on stderr. Ctrl-C ends it with a\n"
    "summary per radio on stderr (samples, lost, min, mean, max), every radio\n"
    "out of command mode.\n"
    "Exit status: 0 after --count rounds, 1 when a message was shown, 2 for a\n"
    "usage error, 128 and the signal's number after an interrupt.\n"};

// "1", "0.5", "2.25": seconds with up to three decimals, as milliseconds.
std::optional<std::uint32_t> ParseInterval(const std::string& value) {
  const std::size_t point = value.find('.');
  const std::string whole = value.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : value.substr(point + 1);
  if (whole.empty() || (point != std::string::npos && fraction.empty()) || fraction.size() > 3) {
    return std::nullopt;
  }
  const auto seconds = ParseDecimal(whole, 0, kLongestIntervalMs / 1000, false);
  fraction.resize(3, '0');
  const auto thousandths = ParseDecimal(fraction, 0, 999, false);
  if (!seconds || !thousandths) return std::nullopt;
  const std::int64_t ms = *seconds * 1000 + *thousandths;
  if (ms == 0 || ms > kLongestIntervalMs) return std::nullopt;
  return static_cast<std::uint32_t>(ms);
}

std::optional<MonitorFormat> ParseMonitorFormat(const std::string& value) {
  if (EqualsIgnoringCase(value, "text")) return MonitorFormat::Text;
  if (EqualsIgnoringCase(value, "csv")) return MonitorFormat::Csv;
  if (EqualsIgnoringCase(value, "json")) return MonitorFormat::Json;
  return std::nullopt;
}

struct MonitorRequest {
  std::string port;
  bool portGiven = false;
  MonitorSettings settings;
  MonitorFormat format = MonitorFormat::Text;
};

std::string TakeOption(const OptionSpec& option, const std::string& value,
                       MonitorRequest& request) {
  if (option.name == kPortOption.name) {
    request.portGiven = true;
    return TakePortValue(value, request.port);
  }
  if (option.name == kIntervalOption.name) {
    auto interval = ParseInterval(value);
    if (!interval) return "--interval takes seconds from 0.001 to 3600, not '" + value + "'";
    request.settings.intervalMs = *interval;
    return "";
  }
  if (option.name == kCountOption.name) {
    auto count = ParseDecimal(value, 1, 1000000000, false);
    if (!count) return "--count takes a number of rounds from 1, not '" + value + "'";
    request.settings.rounds = static_cast<std::uint64_t>(*count);
    return "";
  }
  auto format = ParseMonitorFormat(value);
  if (!format) return std::string(kMonitorFormatOption.missing);
  request.format = *format;
  return "";
}

// The message, when the monitor ended other than as asked, and the lines
// under it.
void SayWhyItEnded(MonitorEnding& ending, const CancellablePort& port) {
  const MonitorOutcome& outcome = ending.outcome;
  const std::string error = outcome.openError.empty() ? "" : "  " + outcome.openError;
  switch (outcome.end) {
    case MonitorEnd::RoundsDone:
      return;
    case MonitorEnd::Interrupted:
      if (!port.ExitSentOnCancel()) {
        ending.details.push_back("  no radio was in command mode");
        return;
      }
      ending.details.push_back(std::string("  the ") +
                               RoleName(port.LastAddressed().value_or(RadioRole::Server)) +
                               " was sent ATE to leave command mode and " +
                               (port.ExitConfirmedOnCancel() ? "confirmed it" : "did not confirm"));
      return;
    case MonitorEnd::RadioSilent:
      ending.message = std::string("The ") + RoleName(outcome.silent.value_or(RadioRole::Client)) +
                       " stopped answering";
      ending.details.push_back("  no answer for 10 seconds in a row");
      return;
    case MonitorEnd::DeviceGone:
      ending.message = "The port went away";
      ending.details.push_back(error.empty() ? "  a write to it failed" : error);
      return;
    case MonitorEnd::NoRadio:
      ending.message = MessageText(MessageId::PollingFailed);
      ending.details.push_back("  neither radio answered at 38400, 19200, 9600, 4800 or 2400 baud");
      if (!error.empty()) ending.details.push_back(error);
      return;
  }
}

int Monitor(const MonitorRequest& request) {
  std::unique_ptr<CRadioPort> device = CreatePort(request.port);
  CancellationToken& token = InterruptToken();
  CancellableClock clock(SystemClock(), token);
  // The exit after an interrupt waits on the plain clock: it must not be cut
  // short by the interrupt it answers.
  CancellablePort port(*device, SystemClock(), token);
  InstallInterruptHandlers();

  std::unique_ptr<MonitorView> view =
      MakeMonitorView(request.format, StdoutIsTerminal(), std::cout);
  MonitorEnding ending;
  SignalMonitor monitor(port, clock, PortNumberFromText(request.port));
  ending.outcome = monitor.Run(request.settings, [&](const SignalSample& sample) {
    ending.summaries[sample.role == RadioRole::Server ? 0 : 1].Add(sample);
    view->Sample(sample, ending.summaries);
  });
  SayWhyItEnded(ending, port);
  view->Finish(ending);

  const bool interrupted = ending.outcome.end == MonitorEnd::Interrupted;
  if (interrupted) std::cerr << "Interrupted\n";
  if (!ending.message.empty()) std::cerr << ending.message << '\n';
  for (const std::string& line : ending.details) std::cerr << line << '\n';
  if (request.format != MonitorFormat::Json) {
    for (RadioRole role : {RadioRole::Server, RadioRole::Client}) {
      std::cerr << SummaryLine(role, ending.summaries[role == RadioRole::Server ? 0 : 1]) << '\n';
    }
  }
  std::cerr << std::flush;
  if (interrupted) return InterruptExitStatus();
  return ending.outcome.end == MonitorEnd::RoundsDone ? kExitOk : kExitFailure;
}

}  // namespace

int RunMonitor(const Arguments& args) {
  if (PrintHelpIfAsked(kMonitor, args)) return kExitOk;
  MonitorRequest request;
  const std::string refusal =
      ParseOptions(kMonitor, args, [&](const OptionSpec& option, const std::string& value) {
        return TakeOption(option, value, request);
      });
  if (!refusal.empty()) return UsageError("monitor", refusal);
  if (!request.portGiven) return UsageError("monitor", "--port is required");
  return Monitor(request);
}

}  // namespace zorveth::cli
