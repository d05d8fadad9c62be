// zorveth-cli apply: brings a pair to a profile, writing only what differs.
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/apply_report.h"
#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/link_options.h"
#include "cli/option_table.h"
#include "cli/profile_file.h"
#include "cli/trace_option.h"
#include "link/cancellable_port.h"
#include "port/port_factory.h"

namespace zorveth::cli {
namespace {

const OptionSpec kCheckOption = {"--check", "",
                                 "only compare: send nothing but the polls; exit 0 when both\n"
                                 "radios hold the profile, 3 when they differ"};
const OptionSpec kDiffOption = {"--diff", "",
                                "show, per radio and setting, what it holds and what the\n"
                                "profile wants"};

const CommandSpec kApply = {
    "apply",
    "FILE",
    "Brings the radio pair on the port to the link settings of a profile file\n"
    "('zorveth-cli profile save'). Finds each radio at whatever speed it listens,\n"
    "as 'poll server' and 'poll client' do, compares it with the profile, writes\n"
    "only to the radios that differ (the Client first, each at the speed it\n"
    "answered, with configure's exchange for it), and reads both back: it\n"
    "succeeds only when both hold the profile. A pair that already does hears\n"
    "only the polls. The packet length, retries and system ID come from the\n"
    "profile; SkelvarRadio.ini is neither read nor written.\n",
    {kPortOption, kCheckOption, kDiffOption, kTraceOption, kFormatOption, kHelpOption},
    "A bad profile is refused with its file, line and reason before anything is\n"
    "opened. Ctrl-C stops, takes every radio out of command mode and exits 130.\n"
    "Exit status: 0 both radios hold the profile, 1 a failure message was shown,\n"
    "2 usage error or bad profile, 3 with --check: the radios differ, 128 and\n"
    "the signal's number after an interrupt.\n"};

struct ApplyRequest {
  std::string file;
  OperationContext context;
  bool portGiven = false;
  bool check = false;
  bool diff = false;
  bool json = false;
};

std::string TakeApplyOption(ApplyRequest& request, TraceOption& trace, const OptionSpec& option,
                            const std::string& value) {
  if (option.name == kPortOption.name) {
    request.portGiven = true;
    return TakePortValue(value, request.context.port);
  }
  if (option.name == kCheckOption.name) {
    request.check = true;
    return "";
  }
  if (option.name == kDiffOption.name) {
    request.diff = true;
    return "";
  }
  if (option.name == kTraceOption.name) return trace.Accept(value);
  auto json = ParseFormat(value);
  if (!json) return std::string(kFormatOption.missing);
  request.json = *json;
  return "";
}

void Render(const ApplyRequest& request, const ApplyOutcome& outcome, const LinkProfile& profile,
            const ApplyVerdict& verdict) {
  if (request.json) {
    PrintDocument(ApplyDocument(outcome, profile, verdict));
    return;
  }
  if (request.diff || request.check) {
    for (const std::string& line : DifferenceLines(outcome)) std::cout << line << '\n';
  }
  if (verdict.failure) {
    std::cout << std::flush;
    std::cerr << verdict.message << '\n';
    for (const std::string& line : verdict.details) std::cerr << line << '\n';
    std::cerr << std::flush;
  } else {
    std::cout << verdict.message << '\n' << std::flush;
  }
}

}  // namespace

int RunApply(const Arguments& args) {
  if (PrintHelpIfAsked(kApply, args)) return kExitOk;
  ApplyRequest request;
  TraceOption trace;
  const std::string refusal = ParseOptions(
      kApply, args,
      [&](const OptionSpec& option, const std::string& value) {
        return TakeApplyOption(request, trace, option, value);
      },
      [&](const std::string& argument) -> std::string {
        if (!request.file.empty()) return "unexpected argument '" + argument + "'";
        request.file = argument;
        return "";
      });
  if (!refusal.empty()) return UsageError("apply", refusal);
  if (request.file.empty()) return UsageError("apply", "name the profile file to apply");
  if (!request.portGiven) return UsageError("apply", "--port is required");
  std::string error;
  const std::optional<ProfileFile> profile = ReadProfileFile(request.file, &error);
  if (!profile) return UsageError("apply", error);
  if (!trace.Prepare(error)) return UsageError("apply", error);

  std::unique_ptr<CRadioPort> device = CreatePort(request.context.port);
  CancellationToken& token = InterruptToken();
  CancellableClock clock(SystemClock(), token);
  CancellablePort port(trace.Wrap(*device, request.check ? "apply --check" : "apply"),
                       SystemClock(), token);
  InstallInterruptHandlers();
  ApplyOutcome outcome;
  {
    ConsoleFeedback console(false);
    outcome =
        ApplyProfile(profile->link, request.check, request.context.port, port, clock, console);
  }
  ApplyVerdict verdict = JudgeApply(outcome, request.context, request.file);
  if (outcome.interrupt) {
    verdict.details.push_back(
        port.ExitSentOnCancel()
            ? std::string("  the radio in command mode was sent ATE and ") +
                  (port.ExitConfirmedOnCancel() ? "confirmed it" : "did not confirm it")
            : "  no radio was left in command mode");
  }
  Render(request, outcome, profile->link, verdict);
  trace.Finish();
  return outcome.interrupt ? InterruptExitStatus() : verdict.status;
}

}  // namespace zorveth::cli
