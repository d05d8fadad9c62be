#include "cli/stored_settings.h"

#include <filesystem>
#include <iostream>

#include "cli/option_checks.h"

namespace zorveth::cli {

std::string_view SettingsOption(const AdvancedSettingField& field) {
  if (field.member == &AdvancedSettings::fixedPacketLength) return "--packet-length";
  if (field.member == &AdvancedSettings::retryNumber) return "--retries";
  return "--system-id";
}

std::string SettingsFilePath() {
  std::error_code ec;
  const auto path = std::filesystem::absolute(kSettingsFileName, ec);
  return ec ? std::string(kSettingsFileName) : path.string();
}

std::string DescribeStoredProblem(const StoredValueProblem& problem) {
  const AdvancedSettingField& field = *problem.field;
  std::string text = SettingsFilePath() + " holds " + field.key + " = " + QuotedValue(problem.text);
  if (problem.notANumber) return text + ", not a number";
  return text + ", not within " + std::to_string(field.minimum) + " to " +
         std::to_string(field.maximum);
}

bool LoadSettingsToSend(std::string_view command, AdvancedSettings& settings) {
  std::vector<StoredValueProblem> problems;
  settings = LoadAdvancedSettings(problems);
  for (const StoredValueProblem& problem : problems) {
    std::cerr << "zorveth-cli " << command << ": " << DescribeStoredProblem(problem)
              << "; correct it with 'zorveth-cli settings " << SettingsOption(*problem.field)
              << " N' (nothing was sent)\n";
  }
  return problems.empty();
}

}  // namespace zorveth::cli
