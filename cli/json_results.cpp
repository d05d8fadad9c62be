#include "cli/json_results.h"

#include <algorithm>
#include <iostream>
#include <nlohmann/json.hpp>

#include "link/command_mode.h"
#include "link/link_protocol.h"
#include "text/text_numbers.h"

namespace zorveth::cli {
namespace {

using json = nlohmann::ordered_json;

// The names of the poll's registers in wire order (C, FP, M, ID, BA, S, REV).
constexpr const char* kRegisterNames[] = {"channel",         "packetLength",      "roleCode",
                                          "systemId",        "broadcastAttempts", "signalStrength",
                                          "firmwareRevision"};

template <typename T>
json OrNull(const std::optional<T>& value) {
  return value ? json(*value) : json(nullptr);
}

json RegistersJson(const RegisterValues& values) {
  json registers = json::object();
  for (std::size_t i = 0; i < values.size(); ++i) {
    registers[kRegisterNames[i]] = values[i] == kQueryFailed ? json(nullptr) : json(values[i]);
  }
  return registers;
}

}  // namespace

bool FormatOption::Take(OptionReader& options, std::string& error) {
  if (options.Current() != "--format") return false;
  const auto value = options.Value();
  if (value && (*value == "text" || *value == "json")) {
    json = *value == "json";
  } else {
    error = "--format needs text or json";
  }
  return true;
}

JsonResults::JsonResults(const FormatOption& format, std::string command, std::string port,
                         ConsoleFeedback& console, std::vector<std::string> successTexts)
    : m_json(format.json),
      m_command(std::move(command)),
      m_port(std::move(port)),
      m_console(console),
      m_successTexts(std::move(successTexts)) {}

OperationFeedback& JsonResults::Feedback() {
  if (m_json) return *this;
  return m_console;
}

LineSink& JsonResults::Sink() {
  if (m_json) return *this;
  return m_console;
}

void JsonResults::SetSettingsSent(const LinkChoices& choices, const AdvancedSettings& settings) {
  SettingsSent sent;
  sent.channel = LeadingInteger(choices.channel);
  sent.speed = LeadingInteger(choices.newBaudRate);
  sent.packetLength = settings.fixedPacketLength;
  sent.systemId = settings.systemIdentification;
  sent.broadcastAttempts = settings.retryNumber;
  sent.line = BuildConfigurationLine(sent.channel, settings, sent.speed);
  m_settingsSent = sent;
}

JsonResults::Radio& JsonResults::RadioFor(RadioRole role) {
  m_current = role;
  auto found = std::find_if(m_radios.begin(), m_radios.end(),
                            [role](const Radio& radio) { return radio.role == role; });
  if (found != m_radios.end()) return *found;
  Radio radio;
  radio.role = role;
  m_radios.push_back(radio);
  return m_radios.back();
}

void JsonResults::ShowMessage(const std::string& text) {
  m_message = text;
  if (m_current) RadioFor(*m_current).message = text;
  const bool success =
      std::find(m_successTexts.begin(), m_successTexts.end(), text) != m_successTexts.end();
  // A success goes into the document only; stdout carries nothing else.
  if (success) return;
  m_failureShown = true;
  m_console.ShowMessage(text);
}

// The console keeps its own account of the operation for the detail lines
// under a failure message.
void JsonResults::TryingSpeed(RadioRole role, std::uint32_t speed) {
  RadioFor(role);
  m_console.TryingSpeed(role, speed);
}

void JsonResults::RadioAnswered(RadioRole role, std::uint32_t speed) {
  Radio& radio = RadioFor(role);
  radio.answered = true;
  radio.speed = speed;
  m_console.RadioAnswered(role, speed);
}

void JsonResults::RegistersRead(RadioRole role, std::uint32_t /*speed*/,
                                const RegisterValues& values) {
  RadioFor(role).registers = values;
}

void JsonResults::LineReplied(RadioRole role, const std::string& reply) {
  RadioFor(role).reply = reply;
  m_console.LineReplied(role, reply);
}

void JsonResults::AppendLine(const std::string& line) {
  constexpr std::string_view kReportStart = "Settings polled from: ";
  if (m_current && line.starts_with(kReportStart)) {
    RadioFor(*m_current).reportRole = line.substr(kReportStart.size());
  }
}

std::string JsonResults::Document() const {
  json document = {{"command", m_command},
                   {"port", m_port},
                   {"success", !m_failureShown},
                   {"message", OrNull(m_message)}};
  if (m_roleRequested) document["role"] = RoleName(*m_roleRequested);
  json holds = nullptr;
  if (m_settingsSent) {
    const SettingsSent& sent = *m_settingsSent;
    holds = {{"channel", sent.channel},
             {"packetLength", sent.packetLength},
             {"systemId", sent.systemId},
             {"broadcastAttempts", sent.broadcastAttempts},
             {"speed", sent.speed}};
    document["sent"] = holds;
    document["sent"]["line"] = sent.line;
  }
  json radios = json::array();
  for (const Radio& radio : m_radios) {
    json entry = {{"role", RoleName(radio.role)},
                  {"answered", radio.answered},
                  {"speed", OrNull(radio.speed)}};
    if (m_command == "poll") {
      entry["registers"] = radio.registers ? RegistersJson(*radio.registers) : json(nullptr);
      entry["reportRole"] = OrNull(radio.reportRole);
      entry["message"] = OrNull(radio.message);
    } else {
      entry["reply"] = OrNull(radio.reply);
    }
    if (m_settingsSent) {
      // Only a radio that confirmed the line is known to hold it; one that
      // gave no or another reply holds what it held, as far as the tool knows.
      const bool accepted = radio.reply == std::string(kReplyWriteSuccessful);
      entry["holds"] = accepted ? holds : json(nullptr);
    }
    radios.push_back(std::move(entry));
  }
  document["radios"] = std::move(radios);
  return document.dump(2);
}

void JsonResults::Print() const {
  if (m_json) std::cout << Document() << '\n' << std::flush;
}

std::string PortsDocument(const std::vector<std::string>& entries, int selected) {
  json ports = json::array();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // "COM3 (ttyUSB0)" on Linux, a bare "COM3" on Windows.
    const std::string& entry = entries[i];
    const std::size_t open = entry.find(" (");
    json device = nullptr;
    if (open != std::string::npos && entry.ends_with(")")) {
      device = entry.substr(open + 2, entry.size() - open - 3);
    }
    ports.push_back({{"name", entry.substr(0, open)},
                     {"device", device},
                     {"preselected", static_cast<int>(i) == selected}});
  }
  return json{{"ports", ports}}.dump(2);
}

}  // namespace zorveth::cli
