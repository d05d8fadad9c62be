// zorveth-cli settings: shows the advanced settings or changes them, with
// the same checks and messages as the advanced settings dialog.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "cli/json_results.h"
#include "cli/option_checks.h"
#include "cli/option_table.h"
#include "settings/advanced_settings.h"
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
    "missing file is created empty).\n\n"
    "With options, sets the given values, keeps the others as loaded, checks\n"
    "all three and writes the file.\n",
    {kPacketLengthOption, kRetriesOption, kSystemIdOption, kFormatOption, kHelpOption},
    "Exit status: 0 success, 1 a value out of range or the file could not be\n"
    "written (nothing is saved then), 2 usage error.\n"};

void PrintSettings(const AdvancedSettings& settings, bool json, bool success) {
  if (!json) {
    std::cout << "Fixed packet length: " << settings.fixedPacketLength << '\n'
              << "Number of retries: " << settings.retryNumber << '\n'
              << "System ID: " << settings.systemIdentification << '\n';
    return;
  }
  Json document = DocumentHead("settings", success);
  document["file"] = kSettingsFileName;
  document["settings"] = {{"packetLength", settings.fixedPacketLength},
                          {"broadcastAttempts", settings.retryNumber},
                          {"systemId", settings.systemIdentification}};
  PrintDocument(document);
}

}  // namespace

int RunSettings(const Arguments& args) {
  if (PrintHelpIfAsked(kSettings, args)) return kExitOk;

  std::optional<std::int32_t> packetLength, retries, systemId;
  bool json = false;
  const std::string refusal =
      ParseOptions(kSettings, args, [&](const OptionSpec& option, const std::string& text) {
        if (option.name == kFormatOption.name) {
          auto format = ParseFormat(text);
          if (!format) return std::string(kFormatOption.missing);
          json = *format;
          return std::string();
        }
        auto number = ParseDecimal(text, INT32_MIN, INT32_MAX);
        if (!number) {
          return std::string(option.name) + " needs a whole number, not " + QuotedValue(text);
        }
        auto& target = option.name == kPacketLengthOption.name ? packetLength
                       : option.name == kRetriesOption.name    ? retries
                                                               : systemId;
        target = static_cast<std::int32_t>(*number);
        return std::string();
      });
  if (!refusal.empty()) return UsageError("settings", refusal);

  AdvancedSettings settings = LoadAdvancedSettings();
  if (!packetLength && !retries && !systemId) {
    PrintSettings(settings, json, true);
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
  PrintSettings(settings, json, true);
  return kExitOk;
}

}  // namespace zorveth::cli
