#include "cli/apply_report.h"

#include "link/command_mode.h"

namespace zorveth::cli {
namespace {

std::string Value(const std::optional<std::uint32_t>& value) {
  return value ? std::to_string(*value) : "?";
}

Json DifferencesJson(const std::vector<SettingDifference>& differences) {
  Json list = Json::array();
  for (const SettingDifference& difference : differences) {
    list.push_back({{"setting", difference.setting},
                    {"holds", difference.holds ? Json(*difference.holds) : Json(nullptr)},
                    {"wants", difference.wants}});
  }
  return list;
}

// The lines under a poll's failure, as poll itself gives them.
std::vector<std::string> PollFailureDetails(const ApplyOutcome& outcome, const ShownMessage& shown,
                                            const OperationContext& context) {
  OperationOutcome poll;
  poll.kind =
      shown.about == RadioRole::Client ? OperationKind::PollClient : OperationKind::PollServer;
  poll.port = outcome.port;
  poll.openError = outcome.openError;
  if (const RadioApply* radio = outcome.Radio(shown.about.value_or(RadioRole::Server))) {
    poll.radios.push_back(radio->before);
  }
  poll.messages.push_back(shown);
  std::vector<std::string> details = MessageDetails(poll, shown, context);
  details.push_back("  nothing was written to either radio");
  return details;
}

// What went wrong with one radio after its line, in words.
void NotHeldDetails(const RadioApply& radio, std::vector<std::string>& details) {
  const std::string role = RoleName(radio.role);
  if (radio.written && !radio.written->lineSent) {
    details.push_back("  the " + role + " did not answer at " + Value(radio.before.answeredAt) +
                      " baud when its line was to go out");
  } else if (radio.written && radio.written->reply &&
             *radio.written->reply != "Write successful\n\r") {
    details.push_back("  the " + role + " answered its line with \"" +
                      EscapedReply(*radio.written->reply) + "\"");
  }
  if (!radio.after) {
    details.push_back("  the " + role + " did not answer when read back");
    return;
  }
  for (const SettingDifference& difference : radio.remaining) {
    details.push_back("  the " + role + " holds " + DifferenceWords(difference, false) +
                      " where the profile wants " + std::to_string(difference.wants));
  }
}

}  // namespace

ApplyVerdict JudgeApply(const ApplyOutcome& outcome, const OperationContext& context,
                        const std::string& profileFile) {
  ApplyVerdict verdict;
  if (outcome.interrupt) return {"Interrupted", {}, true, kExitFailure};
  if (!outcome.BothFound()) {
    verdict = {"", {}, true, kExitFailure};
    for (const ShownMessage& shown : outcome.messages) {
      if (!verdict.message.empty()) {
        verdict.details.push_back("  also: " + std::string(MessageText(shown.id)));
        continue;
      }
      verdict.message = MessageText(shown.id);
      verdict.details = PollFailureDetails(outcome, shown, context);
    }
    return verdict;
  }
  if (outcome.verified) {
    return {outcome.changed ? "Both radios hold the profile now" : "Both radios hold the profile",
            {},
            false,
            kExitOk};
  }
  if (outcome.checkOnly) return {"The radios differ from the profile", {}, false, kExitDiffers};
  verdict = {"The radios do not hold the profile", {}, true, kExitFailure};
  for (const RadioApply& radio : outcome.radios) NotHeldDetails(radio, verdict.details);
  verdict.details.push_back("  'zorveth-cli poll both --port " + outcome.port +
                            "' shows what each radio holds; the same 'zorveth-cli apply " +
                            profileFile + " --port " + outcome.port + "' tries again");
  return verdict;
}

Json ApplyDocument(const ApplyOutcome& outcome, const LinkProfile& profile,
                   const ApplyVerdict& verdict) {
  Json radios = Json::array();
  for (const RadioApply& radio : outcome.radios) {
    // Configure's exchange with this radio, in configure's own words.
    const Json written =
        radio.written ? RadioJson(*radio.written, OperationKind::Configure) : Json(nullptr);
    radios.push_back(
        {{"role", RoleName(radio.role)},
         {"found", radio.before.Answered()},
         {"before", radio.before.Answered() ? RadioJson(radio.before, OperationKind::PollServer)
                                            : Json(nullptr)},
         {"differences", DifferencesJson(radio.differences)},
         {"written", written},
         {"after", radio.after ? RadioJson(*radio.after, OperationKind::PollServer) : nullptr},
         {"remaining", DifferencesJson(radio.remaining)}});
  }
  Json document = DocumentHead("apply", verdict.status == kExitOk);
  document["port"] = outcome.port;
  document["check"] = outcome.checkOnly;
  document["ending"] = outcome.interrupt ? "interrupted" : "completed";
  document["message"] = verdict.message;
  document["details"] = verdict.details;
  document["profile"] = {{"channel", profile.channel},
                         {"packetLength", profile.packetLength},
                         {"systemId", profile.systemId},
                         {"retries", profile.retries},
                         {"baudRate", profile.baudRate}};
  document["line"] = outcome.line;
  document["matched"] = outcome.Matches();
  document["changed"] = outcome.changed;
  document["verified"] = outcome.verified;
  document["openError"] = outcome.openError ? Json(*outcome.openError) : nullptr;
  document["radios"] = std::move(radios);
  return document;
}

}  // namespace zorveth::cli
