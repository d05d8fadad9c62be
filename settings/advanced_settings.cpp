#include "settings/advanced_settings.h"

#include "settings/ini_file.h"
#include "text/text_numbers.h"

namespace zorveth {

namespace {

constexpr const char* kSection = "System";

// The blanks a hand-edited value may carry around its number.
std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

const AdvancedSettingField kAdvancedSettingFields[3] = {
    {"FixedPacketLength", &AdvancedSettings::fixedPacketLength, 0, 2047,
     "Packet Length has to be between 0 - 2047"},
    {"RetryNumber", &AdvancedSettings::retryNumber, 0, 255,
     "Retry Number has to be between 0 - 255"},
    {"SystemIdentification", &AdvancedSettings::systemIdentification, 0, 65535,
     "System ID has to be between 0 - 65535"},
};

AdvancedSettings LoadAdvancedSettings() {
  std::vector<StoredValueProblem> problems;
  return LoadAdvancedSettings(problems);
}

AdvancedSettings LoadAdvancedSettings(std::vector<StoredValueProblem>& problems) {
  // Values are taken as the file holds them: the range checks belong to the
  // places that change them or send them, so a file edited by hand still
  // shows what it holds and can be corrected there.
  AdvancedSettings settings;
  CIniFile ini;
  ini.Load(kSettingsFileName);
  // Read in the order the program always read them: retries first.
  for (int index : {1, 0, 2}) {
    ini.GetInt(kSection, kAdvancedSettingFields[index].key,
               settings.*kAdvancedSettingFields[index].member);
  }
  problems.clear();
  const int header = ini.FindSection(kSection);
  for (const AdvancedSettingField& field : kAdvancedSettingFields) {
    std::string text;
    if (header < 0 || ini.FindKey(header + 1, field.key, text) < 0) continue;
    const bool number = ParseDecimal(TrimBlanks(text), INT32_MIN, INT32_MAX).has_value();
    const std::int32_t value = settings.*field.member;
    if (!number || value < field.minimum || value > field.maximum) {
      problems.push_back({&field, text, !number});
    }
  }
  return settings;
}

bool SaveAdvancedSettings(const AdvancedSettings& settings) {
  // A fresh document, not the old file: the file always ends up as exactly
  // the header and the three keys. Each key goes in right after the header,
  // so writing them in this order gives SystemIdentification, RetryNumber,
  // FixedPacketLength from the top, the order the file has always had.
  CIniFile ini;
  for (const AdvancedSettingField& field : kAdvancedSettingFields) {
    ini.SetInt(kSection, field.key, settings.*field.member);
  }
  return ini.Save(kSettingsFileName);
}

const char* AdvancedSettingsRangeError(const AdvancedSettings& settings) {
  for (const AdvancedSettingField& field : kAdvancedSettingFields) {
    const std::int32_t value = settings.*field.member;
    if (value < field.minimum || value > field.maximum) return field.rangeMessage;
  }
  return nullptr;
}

}  // namespace zorveth
