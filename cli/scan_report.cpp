#include "cli/scan_report.h"

#include "link/command_mode.h"

namespace zorveth::cli {
namespace {

std::string Register(const RadioOutcome& radio, std::string_view name) {
  const auto value = radio.Register(name);
  return value ? std::to_string(*value) : "?";
}

// "COM5 (pts/3)" is the port COM5 on the device pts/3.
std::pair<std::string, Json> PortAndDevice(const std::string& entry) {
  const std::size_t open = entry.find(" (");
  if (open == std::string::npos || !entry.ends_with(")")) return {entry, nullptr};
  return {entry.substr(0, open), entry.substr(open + 2, entry.size() - open - 3)};
}

}  // namespace

std::size_t RadiosFound(const std::vector<PortScanResult>& results) {
  std::size_t count = 0;
  for (const PortScanResult& result : results) count += result.radios.size();
  return count;
}

std::vector<std::string> ScanReportLines(const std::vector<PortScanResult>& results) {
  std::vector<std::string> lines;
  for (const PortScanResult& result : results) {
    for (const RadioOutcome& radio : result.radios) {
      lines.push_back(result.port + "  " + RoleName(radio.role) + "  " +
                      std::to_string(radio.answeredAt.value_or(0)) + " baud  channel " +
                      Register(radio, "C") + "  system ID " + Register(radio, "ID"));
    }
  }
  for (const PortScanResult& result : results) {
    if (!result.radios.empty()) continue;
    std::string line = result.port + "  " + OutcomeText(result.outcome);
    // The short reasons say it all; any other failure needs the system's.
    if (result.outcome == PortScanOutcome::OpenFailed && !result.openError.empty()) {
      line += ": " + result.openError;
    } else if (result.outcome == PortScanOutcome::NoAnswer && !result.speedsNotOpened.empty()) {
      // Where it opened nobody answered; where it did not, nobody could.
      line += " (not opened at";
      for (std::size_t i = 0; i < result.speedsNotOpened.size(); ++i) {
        line += (i == 0 ? " " : ", ") + std::to_string(result.speedsNotOpened[i].speed);
      }
      line += " baud)";
    }
    lines.push_back(line);
  }
  return lines;
}

Json ScanDocument(const std::vector<PortScanResult>& results, bool interrupted) {
  Json ports = Json::array();
  for (const PortScanResult& result : results) {
    Json radios = Json::array();
    for (const RadioOutcome& radio : result.radios) {
      radios.push_back(RadioJson(radio, OperationKind::Scan));
    }
    auto [port, device] = PortAndDevice(result.port);
    ports.push_back(
        {{"port", port},
         {"device", device},
         {"status", OutcomeText(result.outcome)},
         {"openError", result.openError.empty() ? Json(nullptr) : Json(result.openError)},
         {"speedsNotOpened", SpeedsNotOpenedJson(result.speedsNotOpened)},
         {"radios", radios}});
  }
  const std::size_t found = RadiosFound(results);
  Json document = DocumentHead("scan", found > 0 && !interrupted);
  document["ending"] = interrupted ? "interrupted" : "completed";
  document["radiosFound"] = found;
  document["ports"] = std::move(ports);
  return document;
}

}  // namespace zorveth::cli
