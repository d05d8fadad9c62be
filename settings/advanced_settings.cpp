#include "settings/advanced_settings.h"

#include "settings/ini_file.h"

namespace zorveth {

namespace {

constexpr const char* kSection = "System";
constexpr const char* kFixedPacketLengthKey = "FixedPacketLength";
constexpr const char* kRetryNumberKey = "RetryNumber";
constexpr const char* kSystemIdentificationKey = "SystemIdentification";

}  // namespace

AdvancedSettings LoadAdvancedSettings() {
  // Values are taken as the file holds them: the range checks belong to the
  // places that change them, so a file edited by hand still shows what it
  // holds and can be corrected there.
  AdvancedSettings settings;
  CIniFile ini;
  ini.Load(kSettingsFileName);
  ini.GetInt(kSection, kRetryNumberKey, settings.retryNumber);
  ini.GetInt(kSection, kFixedPacketLengthKey, settings.fixedPacketLength);
  ini.GetInt(kSection, kSystemIdentificationKey, settings.systemIdentification);
  return settings;
}

bool SaveAdvancedSettings(const AdvancedSettings& settings) {
  // A fresh document, not the old file: the file always ends up as exactly
  // the header and the three keys. Each key goes in right after the header,
  // so writing them in this order gives SystemIdentification, RetryNumber,
  // FixedPacketLength from the top, the order the file has always had.
  CIniFile ini;
  ini.SetInt(kSection, kFixedPacketLengthKey, settings.fixedPacketLength);
  ini.SetInt(kSection, kRetryNumberKey, settings.retryNumber);
  ini.SetInt(kSection, kSystemIdentificationKey, settings.systemIdentification);
  return ini.Save(kSettingsFileName);
}

const char* AdvancedSettingsRangeError(const AdvancedSettings& settings) {
  struct RangeCheck {
    std::int32_t value;
    std::int32_t maximum;
    const char* message;
  };
  const RangeCheck checks[] = {
      {settings.fixedPacketLength, 2047, "Packet Length has to be between 0 - 2047"},
      {settings.retryNumber, 255, "Retry Number has to be between 0 - 255"},
      {settings.systemIdentification, 65535, "System ID has to be between 0 - 65535"},
  };
  for (const auto& check : checks) {
    if (check.value < 0 || check.value > check.maximum) return check.message;
  }
  return nullptr;
}

}  // namespace zorveth
