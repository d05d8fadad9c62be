#include "cli/scan_report.h"

#include <nlohmann/json.hpp>

namespace zorveth::cli {
namespace {

std::string Register(std::uint16_t value) {
  return value == kQueryFailed ? "?" : std::to_string(value);
}

nlohmann::json RegisterJson(std::uint16_t value) {
  return value == kQueryFailed ? nlohmann::json(nullptr) : nlohmann::json(value);
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
    for (const ScannedRadio& radio : result.radios) {
      lines.push_back(result.port + "  " + RoleName(radio.role) + "  " +
                      std::to_string(radio.speed) + " baud  channel " + Register(radio.channel) +
                      "  system ID " + Register(radio.systemId));
    }
  }
  for (const PortScanResult& result : results) {
    if (!result.radios.empty()) continue;
    std::string line = result.port + "  " + OutcomeText(result.outcome);
    // The short reasons say it all; any other failure needs the system's.
    if (result.outcome == PortScanOutcome::OpenFailed && !result.openError.empty()) {
      line += ": " + result.openError;
    }
    lines.push_back(line);
  }
  return lines;
}

std::string ScanReportJson(const std::vector<PortScanResult>& results) {
  nlohmann::json ports = nlohmann::json::array();
  for (const PortScanResult& result : results) {
    nlohmann::json radios = nlohmann::json::array();
    for (const ScannedRadio& radio : result.radios) {
      radios.push_back({{"role", RoleName(radio.role)},
                        {"baud", radio.speed},
                        {"channel", RegisterJson(radio.channel)},
                        {"roleRegister", RegisterJson(radio.roleRegister)},
                        {"systemId", RegisterJson(radio.systemId)}});
    }
    nlohmann::json port = {{"port", result.port},
                           {"number", result.portNumber},
                           {"status", OutcomeText(result.outcome)},
                           {"radios", radios}};
    if (!result.openError.empty()) port["error"] = result.openError;
    ports.push_back(port);
  }
  nlohmann::json document = {{"radiosFound", RadiosFound(results)}, {"ports", ports}};
  // Replace anything that is not UTF-8 (a device name, a system message in
  // another code page) rather than fail on it.
  return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace zorveth::cli
