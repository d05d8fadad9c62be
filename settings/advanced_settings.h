#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorveth {

// The three settings kept in "SkelvarRadio.ini", section "System", and sent
// to the radios by Configure and Initialize.
struct AdvancedSettings {
  std::int32_t fixedPacketLength = 262;
  std::int32_t retryNumber = 4;
  std::int32_t systemIdentification = 111;
};

inline constexpr const char* kSettingsFileName = "SkelvarRadio.ini";

// One of the three settings: its key in the file, the range the advanced
// settings dialog accepts and the dialog's message for a value outside it.
struct AdvancedSettingField {
  const char* key;  // "RetryNumber"
  std::int32_t AdvancedSettings::*member;
  std::int32_t minimum;
  std::int32_t maximum;
  const char* rangeMessage;  // "Retry Number has to be between 0 - 255"
};

// In the order the dialog checks them: packet length, retries, system ID.
extern const AdvancedSettingField kAdvancedSettingFields[3];

// The message for the first setting out of the range the radios take
// (packet length 0 to 2047, retries 0 to 255, system ID 0 to 65535, checked
// in that order), or nullptr when all three are in range.
const char* AdvancedSettingsRangeError(const AdvancedSettings& settings);

inline constexpr const char* kUnableToSaveSettings = "Unable to Save Settings";

// Reads "SkelvarRadio.ini" in the working directory; a missing file, section
// or key gives that setting's default (a missing file is created empty).
AdvancedSettings LoadAdvancedSettings();

// A value the file holds that the dialog would never have saved: not a
// number at all ("abc", "12abc", nothing), which loads as its leading
// integer, or a number outside the field's range.
struct StoredValueProblem {
  const AdvancedSettingField* field;
  std::string text;  // the value as the file holds it
  bool notANumber = false;
};

// LoadAdvancedSettings, and what the file held that the dialog would not
// have saved, in the fields' order. The values load as they are either way.
AdvancedSettings LoadAdvancedSettings(std::vector<StoredValueProblem>& problems);

// Replaces the file with the section and the three keys. False when the
// file could not be written; the old file is then left as it was.
bool SaveAdvancedSettings(const AdvancedSettings& settings);

}  // namespace zorveth
