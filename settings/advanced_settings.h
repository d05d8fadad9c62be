#pragma once

#include <cstdint>

namespace zorveth {

// The three settings kept in "SkelvarRadio.ini", section "System", and sent
// to the radios by Configure and Initialize.
struct AdvancedSettings {
  std::int32_t fixedPacketLength = 262;
  std::int32_t retryNumber = 4;
  std::int32_t systemIdentification = 111;
};

inline constexpr const char* kSettingsFileName = "SkelvarRadio.ini";

// The message for the first setting out of the range the radios take
// (packet length 0 to 2047, retries 0 to 255, system ID 0 to 65535, checked
// in that order), or nullptr when all three are in range.
const char* AdvancedSettingsRangeError(const AdvancedSettings& settings);

inline constexpr const char* kUnableToSaveSettings = "Unable to Save Settings";

// Reads "SkelvarRadio.ini" in the working directory; a missing file, section
// or key gives that setting's default (a missing file is created empty).
AdvancedSettings LoadAdvancedSettings();
// Replaces the file with the section and the three keys. False when the
// file could not be written; the old file is then left as it was.
bool SaveAdvancedSettings(const AdvancedSettings& settings);

}  // namespace zorveth
