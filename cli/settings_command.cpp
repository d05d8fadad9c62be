// zorveth-cli settings: shows the advanced settings or changes them, with
// the same checks and messages as the advanced settings dialog.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/option_checks.h"
#include "cli/option_table.h"
#include "cli/stored_settings.h"
#include "text/text_numbers.h"

namespace zorveth::cli {

namespace {

const OptionSpec kPacketLengthOption = {"--packet-length", "N", "fixed packet length, 0 to 2047",
                                        "--packet-length needs a value"};
const OptionSpec kRetriesOption = {"--retries", "N", "number of retries, 0 to 255",
                                   "--retries needs a value"};
const OptionSpec kSystemIdOption = {"--system-id", "N", "system ID, 0 to 65535",
                                    "--system-id needs a value"};

const CommandSpec kSettings = {
    "settings",
    "",
    "Without options, shows the advanced settings kept in SkelvarRadio.ini in\n"
    "the working directory (defaults 262, 4 and 111 for missing values; a\n"
    "missing file is created empty). A value the dialog would not have saved\n"
    "(not a number, or out of range) is shown as it loads, with a warning on\n"
    "stderr: configure and init refuse to send it.\n\n"
    "With options, sets the given values, keeps the others as loaded, checks\n"
    "all three and writes the file.\n",
    {kPacketLengthOption, kRetriesOption, kSystemIdOption, kFormatOption, kHelpOption},
    "Exit status: 0 success, 1 a stored value stops the save or the file could\n"
    "not be written (nothing is saved then), 2 usage error.\n"};

const AdvancedSettingField& FieldOf(const OptionSpec& option) {
  for (const AdvancedSettingField& field : kAdvancedSettingFields) {
    if (SettingsOption(field) == option.name) return field;
  }
  return kAdvancedSettingFields[0];
}

void PrintSettings(const AdvancedSettings& settings,
                   const std::vector<StoredValueProblem>& problems, bool json, bool success) {
  if (!json) {
    if (!success) return;
    std::cout << "Fixed packet length: " << settings.fixedPacketLength << '\n'
              << "Number of retries: " << settings.retryNumber << '\n'
              << "System ID: " << settings.systemIdentification << '\n';
    return;
  }
  Json document = DocumentHead("settings", success);
  document["file"] = SettingsFilePath();
  document["settings"] = {{"packetLength", settings.fixedPacketLength},
                          {"broadcastAttempts", settings.retryNumber},
                          {"systemId", settings.systemIdentification}};
  Json warnings = Json::array();
  for (const StoredValueProblem& problem : problems) {
    warnings.push_back({{"key", problem.field->key},
                        {"value", problem.text},
                        {"problem", problem.notANumber ? "not a number" : "out of range"},
                        {"option", SettingsOption(*problem.field)}});
  }
  document["warnings"] = std::move(warnings);
  PrintDocument(document);
}

// A stored value the dialog would not have saved stops the save unless the
// command line replaces it: saving would turn "abc" into 0, or write 999
// back. The dialog's message when it is out of range, its file and key
// under it.
bool StoredValuesStopTheSave(const std::vector<StoredValueProblem>& problems,
                             const std::vector<const AdvancedSettingField*>& given) {
  for (const StoredValueProblem& problem : problems) {
    if (std::find(given.begin(), given.end(), problem.field) != given.end()) continue;
    std::cerr << (problem.notANumber ? kUnableToSaveSettings : problem.field->rangeMessage) << '\n'
              << "  " << DescribeStoredProblem(problem) << "; give "
              << SettingsOption(*problem.field) << " too to replace it; nothing was saved\n";
    return true;
  }
  return false;
}

bool Save(const AdvancedSettings& settings) {
  errno = 0;
  if (SaveAdvancedSettings(settings)) return true;
  const int reason = errno;
  std::cerr << kUnableToSaveSettings << '\n'
            << "  " << SettingsFilePath() << ": "
            << (reason != 0 ? std::strerror(reason) : "the file could not be written")
            << "; nothing was saved\n";
  return false;
}

}  // namespace

int RunSettings(const Arguments& args) {
  if (PrintHelpIfAsked(kSettings, args)) return kExitOk;
  AdvancedSettings wanted;
  std::vector<const AdvancedSettingField*> given;
  bool json = false;
  const std::string refusal =
      ParseOptions(kSettings, args, [&](const OptionSpec& option, const std::string& text) {
        if (option.name == kFormatOption.name) {
          auto format = ParseFormat(text);
          if (!format) return std::string(kFormatOption.missing);
          json = *format;
          return std::string();
        }
        // Refused like every other option: the dialog takes nothing else.
        const AdvancedSettingField& field = FieldOf(option);
        auto number = ParseDecimal(text, field.minimum, field.maximum);
        if (!number) {
          return std::string(option.name) + " " + QuotedValue(text) +
                 " is not allowed: give a whole number from " + std::to_string(field.minimum) +
                 " to " + std::to_string(field.maximum);
        }
        wanted.*field.member = static_cast<std::int32_t>(*number);
        given.push_back(&field);
        return std::string();
      });
  if (!refusal.empty()) return UsageError("settings", refusal);

  std::vector<StoredValueProblem> problems;
  AdvancedSettings settings = LoadAdvancedSettings(problems);
  if (given.empty()) {
    for (const StoredValueProblem& problem : problems) {
      std::cerr << "warning: " << DescribeStoredProblem(problem)
                << "; configure and init refuse to send it\n";
    }
    PrintSettings(settings, problems, json, true);
    return kExitOk;
  }
  for (const AdvancedSettingField* field : given) settings.*field->member = wanted.*field->member;
  if (StoredValuesStopTheSave(problems, given) || !Save(settings)) {
    PrintSettings(settings, problems, json, false);
    return kExitFailure;
  }
  PrintSettings(settings, {}, json, true);
  return kExitOk;
}

}  // namespace zorveth::cli
