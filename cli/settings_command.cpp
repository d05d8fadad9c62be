// zorveth-cli settings: shows the advanced settings or changes them, with
// the same checks and messages as the advanced settings dialog.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "cli/option_checks.h"
#include "settings/advanced_settings.h"

namespace zorveth::cli {

namespace {

void PrintSettingsHelp() {
  std::cout << "Usage: zorveth-cli settings [--packet-length N] [--retries N] [--system-id N]\n\n"
               "Without options, shows the advanced settings kept in SkelvarRadio.ini in\n"
               "the working directory (defaults 262, 4 and 111 for missing values; a\n"
               "missing file is created empty).\n\n"
               "With options, sets the given values, keeps the others as loaded, checks\n"
               "all three and writes the file:\n"
               "  --packet-length N  fixed packet length, 0 to 2047\n"
               "  --retries N        number of retries, 0 to 255\n"
               "  --system-id N      system ID, 0 to 65535\n\n"
               "Exit status: 0 success, 1 a value out of range or the file could not be\n"
               "written (nothing is saved then), 2 usage error.\n";
}

void PrintSettings(const AdvancedSettings& settings) {
  std::cout << "Fixed packet length: " << settings.fixedPacketLength << '\n'
            << "Number of retries: " << settings.retryNumber << '\n'
            << "System ID: " << settings.systemIdentification << '\n';
}

}  // namespace

int RunSettings(const Arguments& args) {
  if (WantsHelp(args)) {
    PrintSettingsHelp();
    return kExitOk;
  }

  std::optional<std::int32_t> packetLength, retries, systemId;
  OptionReader reader(args);
  while (!reader.Done()) {
    const std::string option = reader.Next();
    std::optional<std::int32_t>* target = nullptr;
    if (option == "--packet-length") {
      target = &packetLength;
    } else if (option == "--retries") {
      target = &retries;
    } else if (option == "--system-id") {
      target = &systemId;
    } else {
      return UsageError("settings", "unknown option '" + option + "'");
    }
    if (reader.Repeated()) return UsageError("settings", option + " given twice");
    auto text = reader.Value();
    if (!text) return UsageError("settings", option + " needs a value");
    long long number = 0;
    if (!ParseWholeNumber(*text, number)) {
      return UsageError("settings", option + " needs a whole number, not " + QuotedValue(*text));
    }
    *target = static_cast<std::int32_t>(number);
  }

  AdvancedSettings settings = LoadAdvancedSettings();
  if (!packetLength && !retries && !systemId) {
    PrintSettings(settings);
    return kExitOk;
  }

  if (packetLength) settings.fixedPacketLength = *packetLength;
  if (retries) settings.retryNumber = *retries;
  if (systemId) settings.systemIdentification = *systemId;
  // All three are checked, the unchanged ones too: a file edited by hand may
  // hold a value the radios would refuse, and it must not be saved again.
  if (const char* rangeError = AdvancedSettingsRangeError(settings)) {
    std::cerr << rangeError << '\n';
    return kExitFailure;
  }
  errno = 0;
  if (!SaveAdvancedSettings(settings)) {
    const int reason = errno;
    std::error_code ec;
    const auto path = std::filesystem::absolute(kSettingsFileName, ec);
    std::cerr << kUnableToSaveSettings << '\n'
              << "  " << (ec ? std::string(kSettingsFileName) : path.string()) << ": "
              << (reason != 0 ? std::strerror(reason) : "the file could not be written")
              << "; nothing was saved\n";
    return kExitFailure;
  }
  PrintSettings(settings);
  return kExitOk;
}

}  // namespace zorveth::cli
