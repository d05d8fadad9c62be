#pragma once

// How `zorveth-cli monitor` shows its samples: one line updated in place on
// a terminal, or one line per sample, flushed as it is taken, so that
// `| tee` and plotting tools follow it live.
#include <array>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/json_results.h"
#include "link/signal_monitor.h"

namespace zorveth::cli {

enum class MonitorFormat { Text, Csv, Json };

// Both radios' summaries, the Server's first.
using MonitorSummaries = std::array<SignalSummary, 2>;

// How the monitor ended, as the command says it.
struct MonitorEnding {
  MonitorOutcome outcome;
  MonitorSummaries summaries;
  std::string message;  // empty when it ended as asked (its rounds, Ctrl-C)
  std::vector<std::string> details;
};

class MonitorView {
 public:
  virtual ~MonitorView() = default;
  // Called with each sample as it is taken, after it was added to the
  // summaries.
  virtual void Sample(const SignalSample& sample, const MonitorSummaries& summaries) = 0;
  // Called once at the end, before the messages on stderr.
  virtual void Finish(const MonitorEnding& ending) = 0;
};

// Text on a terminal gives the line updated in place; text elsewhere and
// csv give "time,role,signalStrength" lines; json one document per line.
std::unique_ptr<MonitorView> MakeMonitorView(MonitorFormat format, bool onTerminal,
                                             std::ostream& out);

// "Server: 12 samples, 1 lost, min 75, mean 81.3, max 90" (the rest left
// out while there is no value).
std::string SummaryLine(RadioRole role, const SignalSummary& summary);

// The closing document of --format json.
Json MonitorSummaryDocument(const MonitorEnding& ending);

}  // namespace zorveth::cli
