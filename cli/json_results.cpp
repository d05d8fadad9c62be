#include "cli/json_results.h"

#include <iostream>

#include "link/command_mode.h"
#include "text/text_compare.h"
#include "text/text_numbers.h"

namespace zorveth::cli {
namespace {

template <typename T>
Json OrNull(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

const char* ExitText(ExitState exit) {
  switch (exit) {
    case ExitState::NotNeeded:
      return "not needed";
    case ExitState::Confirmed:
      return "confirmed";
    case ExitState::NotConfirmed:
      return "not confirmed";
  }
  return "";
}

const char* HeldText(SettingsHeld held) {
  switch (held) {
    case SettingsHeld::Unchanged:
      return "unchanged";
    case SettingsHeld::New:
      return "new";
    case SettingsHeld::MaybeNew:
      return "maybe new";
  }
  return "";
}

const char* OpenFailureText(OpenFailure failure) {
  switch (failure) {
    case OpenFailure::NoSuchPort:
      return "no such port";
    case OpenFailure::Busy:
      return "busy";
    case OpenFailure::AccessDenied:
      return "permission denied";
    case OpenFailure::None:
    case OpenFailure::Other:
      break;
  }
  return "cannot be opened";
}

const char* StepText(LinkStepKind step) {
  switch (step) {
    case LinkStepKind::Escape:
      return "escape";
    case LinkStepKind::PromptSeen:
      return "prompt seen";
    case LinkStepKind::Query:
      return "query";
    case LinkStepKind::LineStarted:
      return "line started";
    case LinkStepKind::LineSent:
      return "line sent";
    case LinkStepKind::Exit:
      return "exit sent";
    case LinkStepKind::ExitConfirmed:
      return "exit confirmed";
  }
  return "";
}

Json RegistersJson(const std::vector<RegisterReading>& registers) {
  if (registers.empty()) return nullptr;
  Json object = Json::object();
  for (const RegisterReading& reading : registers) {
    const RadioRegister* known = FindRegister(reading.name);
    object[std::string(known ? known->jsonName : reading.name)] = OrNull(reading.value);
  }
  return object;
}

Json MessageJson(const RenderedMessage& message) {
  return {{"text", message.text},
          {"role", message.about ? Json(RoleName(*message.about)) : Json(nullptr)},
          {"details", message.details}};
}

// The settings configure or init meant to write.
Json IntendedSettings(const OperationOutcome& outcome, const OperationContext& context) {
  Json settings = {{"channel", LeadingInteger(context.choices.channel)},
                   {"packetLength", context.settings.fixedPacketLength},
                   {"systemId", context.settings.systemIdentification},
                   {"broadcastAttempts", context.settings.retryNumber},
                   {"speed", LeadingInteger(context.choices.newBaudRate)}};
  if (outcome.kind == OperationKind::Initialize) {
    settings["roleCode"] = static_cast<int>(context.initRole);
    settings["technology"] = context.choices.technology;
  }
  settings["line"] = outcome.intendedLine;
  return settings;
}

}  // namespace

std::optional<bool> ParseFormat(std::string_view value) {
  if (EqualsIgnoringCase(value, "json")) return true;
  if (EqualsIgnoringCase(value, "text")) return false;
  return std::nullopt;
}

Json DocumentHead(std::string_view command, bool success) {
  return {{"formatVersion", kJsonFormatVersion}, {"command", command}, {"success", success}};
}

Json SpeedsNotOpenedJson(const std::vector<SpeedTried>& speeds) {
  Json notOpened = Json::array();
  for (const SpeedTried& tried : speeds) {
    if (tried.opened) continue;
    notOpened.push_back({{"speed", tried.speed},
                         {"reason", OpenFailureText(tried.openFailure)},
                         {"error", tried.openError}});
  }
  return notOpened;
}

Json RadioJson(const RadioOutcome& radio, OperationKind kind) {
  Json speedsTried = Json::array();
  for (const SpeedTried& tried : radio.tried) speedsTried.push_back(tried.speed);
  Json notOpened = SpeedsNotOpenedJson(radio.tried);
  Json entry = {{"role", RoleName(radio.role)},      {"answered", radio.Answered()},
                {"speed", OrNull(radio.answeredAt)}, {"speedsTried", speedsTried},
                {"speedsNotOpened", notOpened},      {"registers", RegistersJson(radio.registers)}};
  const bool poll = kind == OperationKind::PollServer || kind == OperationKind::PollClient ||
                    kind == OperationKind::PollBoth;
  if (poll) {
    const auto role = radio.Register("M");
    entry["reportRole"] = radio.Answered() && radio.ReadWhole() ? Json(role == 1   ? "Server"
                                                                       : role == 2 ? "Client"
                                                                                   : "")
                                                                : Json(nullptr);
  }
  if (kind == OperationKind::Configure || kind == OperationKind::Initialize) {
    entry["lineSent"] = OrNull(radio.lineSent);
    entry["reply"] = OrNull(radio.reply);
    entry["settingsHeld"] = HeldText(radio.Held());
  }
  entry["exit"] = ExitText(radio.exit);
  entry["message"] = radio.message ? Json(MessageText(*radio.message)) : Json(nullptr);
  return entry;
}

Json OutcomeDocument(std::string_view command, const OperationOutcome& outcome,
                     const OperationContext& context, const std::vector<RenderedMessage>& shown,
                     const std::optional<RenderedMessage>& interrupted) {
  Json document = DocumentHead(command, outcome.Succeeded());
  document["port"] = context.port;
  document["ending"] = outcome.interrupt ? "interrupted" : "completed";
  document["message"] = shown.empty() ? Json(nullptr) : Json(shown.back().text);
  Json messages = Json::array();
  for (const RenderedMessage& message : shown) messages.push_back(MessageJson(message));
  if (interrupted) messages.push_back(MessageJson(*interrupted));
  document["messages"] = std::move(messages);
  document["openError"] = OrNull(outcome.openError);
  if (outcome.kind == OperationKind::Initialize) document["role"] = RoleName(context.initRole);
  if (outcome.kind == OperationKind::Configure || outcome.kind == OperationKind::Initialize) {
    document["intended"] = IntendedSettings(outcome, context);
  }
  Json radios = Json::array();
  for (const RadioOutcome& radio : outcome.radios) radios.push_back(RadioJson(radio, outcome.kind));
  document["radios"] = std::move(radios);
  if (outcome.interrupt) {
    const InterruptOutcome& interrupt = *outcome.interrupt;
    document["interrupt"] = {
        {"lastStep", interrupt.lastStep ? Json(StepText(*interrupt.lastStep)) : Json(nullptr)},
        {"lastAddressed",
         interrupt.lastAddressed ? Json(RoleName(*interrupt.lastAddressed)) : Json(nullptr)},
        {"exitSent", interrupt.exitSent},
        {"exitConfirmed", interrupt.exitConfirmed}};
  } else {
    document["interrupt"] = nullptr;
  }
  return document;
}

void PrintDocument(const Json& document) {
  std::cout << document.dump(2, ' ', false, Json::error_handler_t::replace) << '\n' << std::flush;
}

Json PortsDocument(const std::vector<std::string>& entries, int selected) {
  Json ports = Json::array();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // "COM3 (ttyUSB0)" on Linux, a bare "COM3" on Windows.
    const std::string& entry = entries[i];
    const std::size_t open = entry.find(" (");
    Json device = nullptr;
    if (open != std::string::npos && entry.ends_with(")")) {
      device = entry.substr(open + 2, entry.size() - open - 3);
    }
    ports.push_back({{"port", entry.substr(0, open)},
                     {"device", device},
                     {"preselected", static_cast<int>(i) == selected}});
  }
  Json document = DocumentHead("ports", !entries.empty());
  document["ports"] = std::move(ports);
  return document;
}

}  // namespace zorveth::cli
