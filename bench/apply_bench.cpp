#include "bench/apply_bench.h"

#include <cstdio>
#include <functional>
#include <string>

#include "bench/operation_timer.h"
#include "bench/quiet_feedback.h"
#include "link/apply.h"
#include "link/configure.h"
#include "link/settings_poll.h"
#include "port/serial_port.h"
#include "sim/pty_radio_server.h"

namespace zorveth::bench {
namespace {

// Wall time of work on a fresh pair at 19200 baud; negative when the
// simulator did not start.
double TimeOnFreshPair(const std::filesystem::path& portsDir,
                       const std::function<void(CRadioPort&, QuietFeedback&)>& work) {
  sim::PairConfig pair = sim::DefaultPairConfig();
  sim::PtyRadioServer server(pair);
  std::string error;
  if (!server.Start(&error) || !server.LinkAs(portsDir, 1, &error)) return -1;
  CSerialPort port;
  QuietFeedback feedback;
  OperationTimer timer;
  work(port, feedback);
  const double wall = timer.WallMs();
  server.Stop();
  return wall;
}

void PollBothRadios(CRadioPort& port, QuietFeedback& feedback) {
  std::string text = "COM1";
  SettingsPoll poll(text, port, SystemClock(), feedback, feedback);
  poll.PollServer();
  poll.PollClient();
}

void Row(const char* what, double wall, double baseline) {
  std::printf("%-40s %9.1f %9.1f %7.3f\n", what, wall, baseline, wall / baseline);
}

}  // namespace

void ApplyTable(const std::filesystem::path& portsDir) {
  std::printf("\n%-40s %9s %9s %7s\n", "apply (radios at 19200)", "wall ms", "against", "ratio");
  LinkProfile holds;  // what the simulated pair holds
  LinkProfile other = holds;
  other.channel = 72;
  const auto apply = [](const LinkProfile& profile) {
    return [profile](CRadioPort& port, QuietFeedback& feedback) {
      ApplyProfile(profile, false, "COM1", port, SystemClock(), feedback);
    };
  };
  const double polls = TimeOnFreshPair(portsDir, PollBothRadios);
  Row("apply, pair holds it / the two polls", TimeOnFreshPair(portsDir, apply(holds)), polls);
  const double pollConfigurePoll = TimeOnFreshPair(portsDir, [](CRadioPort& port,
                                                                QuietFeedback& feedback) {
    PollBothRadios(port, feedback);
    LinkChoices choices;
    choices.comPort = "COM1";
    choices.channel = "72";
    RadioConfigurator(port, SystemClock(), feedback).ConfigureRadios(choices, AdvancedSettings{});
    PollBothRadios(port, feedback);
  });
  Row("apply, writes both / poll+configure+poll", TimeOnFreshPair(portsDir, apply(other)),
      pollConfigurePoll);
  std::fflush(stdout);
}

}  // namespace zorveth::bench
