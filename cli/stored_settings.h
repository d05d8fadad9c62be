#pragma once

// The advanced settings as the radio commands and `zorveth-cli settings`
// load them: the file's values as they are, and what in it the advanced
// settings dialog would never have saved, told in the user's terms.
#include <string>
#include <string_view>
#include <vector>

#include "settings/advanced_settings.h"

namespace zorveth::cli {

// The option of `zorveth-cli settings` that sets the field ("--retries").
std::string_view SettingsOption(const AdvancedSettingField& field);

// The settings file as the user would find it: its absolute path.
std::string SettingsFilePath();

// "/home/u/SkelvarRadio.ini holds RetryNumber = '999', not within 0 to 255".
std::string DescribeStoredProblem(const StoredValueProblem& problem);

// For configure and init: the settings to send, or, when the file holds a
// value the radios must not get, one refusal line per such value on stderr
// ("zorveth-cli configure: ...; nothing was sent") and false. A value that
// was not a number would go out as its leading integer, one out of range as
// it is: both would leave a radio with settings nobody chose.
bool LoadSettingsToSend(std::string_view command, AdvancedSettings& settings);

}  // namespace zorveth::cli
