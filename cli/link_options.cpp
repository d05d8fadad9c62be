#include "cli/link_options.h"

#include "cli/option_checks.h"

namespace zorveth::cli {

const OptionSpec kChannelOption = {"--channel", "N", "channel, 0 to 65535 (default 67)",
                                   "--channel needs a value"};
const OptionSpec kBaudOption = {"--baud", "N",
                                "new baud rate of the radios: 2400, 4800, 9600, 19200\n"
                                "or 38400 (default 19200)",
                                "--baud needs a value"};
const OptionSpec kTechnologyOption = {"--technology", "TEXT",
                                      "\"Vorlith Radio Control\" (default), \"Dunmere Radio\n"
                                      "Control\" or \"Other\" (any letter case, or the first\n"
                                      "word); decides the line's form",
                                      "--technology needs a value"};

std::string TakePortValue(const std::string& value, std::string& port) {
  Checked checked = CheckPort(value, ListedPorts());
  if (!checked.ok()) return checked.refusal;
  port = checked.value;
  return "";
}

bool TakeLinkOption(const OptionSpec& option, const std::string& value, LinkOptions& link,
                    std::string& refusal) {
  if (option.name == kPortOption.name) {
    refusal = TakePortValue(value, link.choices.comPort);
    link.portGiven = true;
    return true;
  }
  Checked (*check)(std::string_view) = nullptr;
  std::string* target = nullptr;
  if (option.name == kChannelOption.name) {
    check = CheckChannel;
    target = &link.choices.channel;
    link.channelGiven = true;
  } else if (option.name == kBaudOption.name) {
    check = CheckBaud;
    target = &link.choices.newBaudRate;
  } else if (option.name == kTechnologyOption.name) {
    check = CheckTechnology;
    target = &link.choices.technology;
  } else {
    return false;
  }
  Checked checked = check(value);
  refusal = checked.refusal;
  if (checked.ok()) *target = checked.value;
  return true;
}

}  // namespace zorveth::cli
