#include "cli/monitor_output.h"

#include <algorithm>
#include <cstdio>

#include "link/command_mode.h"

namespace zorveth::cli {
namespace {

constexpr std::size_t kBarWidth = 10;
// The bar is full at this value, or at the highest seen when that is more.
constexpr double kBarFullScale = 100;

std::string_view SignalField() {
  return FindRegister("S")->jsonName;
}

std::string Seconds(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(ms) / 1000.0);
  return text;
}

std::string OneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::size_t Slot(RadioRole role) {
  return role == RadioRole::Server ? 0 : 1;
}

// "Server    87 [#########.] 80/84.2/90": the latest value, its bar and
// min/mean/max so far.
std::string LivePart(RadioRole role, const std::optional<std::uint16_t>& latest,
                     const SignalSummary& summary) {
  char value[16];
  std::snprintf(value, sizeof value, "%5s",
                latest ? std::to_string(*latest).c_str() : std::string("--").c_str());
  const double scale = std::max(kBarFullScale, static_cast<double>(summary.max.value_or(0)));
  const std::size_t filled =
      latest ? static_cast<std::size_t>(kBarWidth * (*latest / scale) + 0.5) : 0;
  std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
  std::string part = std::string(RoleName(role)) + value + " [" + bar + "] ";
  if (!summary.Mean()) return part + "-/-/-";
  return part + std::to_string(*summary.min) + "/" + OneDecimal(*summary.Mean()) + "/" +
         std::to_string(*summary.max);
}

class LiveLine : public MonitorView {
 public:
  explicit LiveLine(std::ostream& out) : m_out(out) {
    m_out << "signal strength: latest, bar, min/mean/max so far (Ctrl-C ends)\n" << std::flush;
  }
  void Sample(const SignalSample& sample, const MonitorSummaries& summaries) override {
    m_latest[Slot(sample.role)] = sample.value;
    // Carriage return, the line anew, then erase whatever the longer line
    // before it left.
    m_out << '\r' << LivePart(RadioRole::Server, m_latest[0], summaries[0]) << "   "
          << LivePart(RadioRole::Client, m_latest[1], summaries[1]) << "\x1b[K" << std::flush;
    m_lineOpen = true;
  }
  void Finish(const MonitorEnding&) override {
    if (m_lineOpen) m_out << '\n' << std::flush;
  }

 private:
  std::ostream& m_out;
  std::array<std::optional<std::uint16_t>, 2> m_latest;
  bool m_lineOpen = false;
};

class CsvLines : public MonitorView {
 public:
  explicit CsvLines(std::ostream& out) : m_out(out) {
    m_out << "time,role," << SignalField() << '\n' << std::flush;
  }
  void Sample(const SignalSample& sample, const MonitorSummaries&) override {
    m_out << Seconds(sample.timeMs) << ',' << RoleName(sample.role) << ','
          << (sample.value ? std::to_string(*sample.value) : std::string()) << '\n'
          << std::flush;
  }
  void Finish(const MonitorEnding&) override {}

 private:
  std::ostream& m_out;
};

class JsonLines : public MonitorView {
 public:
  explicit JsonLines(std::ostream& out) : m_out(out) {}
  void Sample(const SignalSample& sample, const MonitorSummaries&) override {
    Json document = DocumentHead("monitor", sample.value.has_value());
    document["kind"] = "sample";
    document["time"] = static_cast<double>(sample.timeMs) / 1000.0;
    document["role"] = RoleName(sample.role);
    document[std::string(SignalField())] = sample.value ? Json(*sample.value) : Json(nullptr);
    m_out << document.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n' << std::flush;
  }
  void Finish(const MonitorEnding& ending) override {
    m_out << MonitorSummaryDocument(ending).dump(-1, ' ', false, Json::error_handler_t::replace)
          << '\n'
          << std::flush;
  }

 private:
  std::ostream& m_out;
};

const char* EndingText(MonitorEnd end) {
  switch (end) {
    case MonitorEnd::RoundsDone:
      return "completed";
    case MonitorEnd::Interrupted:
      return "interrupted";
    case MonitorEnd::RadioSilent:
      return "radio silent";
    case MonitorEnd::DeviceGone:
      return "device gone";
    case MonitorEnd::NoRadio:
      return "no radio";
  }
  return "";
}

}  // namespace

std::unique_ptr<MonitorView> MakeMonitorView(MonitorFormat format, bool onTerminal,
                                             std::ostream& out) {
  if (format == MonitorFormat::Json) return std::make_unique<JsonLines>(out);
  if (format == MonitorFormat::Text && onTerminal) return std::make_unique<LiveLine>(out);
  return std::make_unique<CsvLines>(out);
}

std::string SummaryLine(RadioRole role, const SignalSummary& summary) {
  std::string line = std::string(RoleName(role)) + ": " + std::to_string(summary.samples) +
                     (summary.samples == 1 ? " sample, " : " samples, ") +
                     std::to_string(summary.lost) + " lost";
  if (!summary.Mean()) return line;
  return line + ", min " + std::to_string(*summary.min) + ", mean " + OneDecimal(*summary.Mean()) +
         ", max " + std::to_string(*summary.max);
}

Json MonitorSummaryDocument(const MonitorEnding& ending) {
  const MonitorOutcome& outcome = ending.outcome;
  Json document = DocumentHead("monitor", outcome.end == MonitorEnd::RoundsDone);
  document["kind"] = "summary";
  document["ending"] = EndingText(outcome.end);
  document["message"] = ending.message.empty() ? Json(nullptr) : Json(ending.message);
  document["details"] = ending.details;
  document["rounds"] = outcome.rounds;
  Json radios = Json::array();
  for (RadioRole role : {RadioRole::Server, RadioRole::Client}) {
    const SignalSummary& summary = ending.summaries[Slot(role)];
    const auto& speed = outcome.speeds[Slot(role)];
    const auto mean = summary.Mean();
    radios.push_back({{"role", RoleName(role)},
                      {"speed", speed ? Json(*speed) : Json(nullptr)},
                      {"samples", summary.samples},
                      {"lost", summary.lost},
                      {"min", summary.min ? Json(*summary.min) : Json(nullptr)},
                      {"mean", mean ? Json(*mean) : Json(nullptr)},
                      {"max", summary.max ? Json(*summary.max) : Json(nullptr)}});
  }
  document["radios"] = radios;
  return document;
}

}  // namespace zorveth::cli
