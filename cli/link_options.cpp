#include "cli/link_options.h"

#include "cli/option_checks.h"

namespace zorveth::cli {

std::string TakePortOption(OptionReader& options, std::string& port) {
  const std::string name = options.Current();
  if (options.Repeated()) return name + " given twice";
  auto value = options.Value();
  if (!value) return name + " needs a value such as COM3";
  Checked checked = CheckPort(*value, ListedPorts());
  if (!checked.ok()) return checked.refusal;
  port = checked.value;
  return "";
}

bool TakeLinkOption(OptionReader& options, LinkOptions& link, bool allowTechnology,
                    std::string& error) {
  const std::string name = options.Current();
  if (name == "--port") {
    error = TakePortOption(options, link.choices.comPort);
    link.portGiven = true;
    return true;
  }
  Checked (*check)(std::string_view) = nullptr;
  std::string* target = nullptr;
  if (name == "--channel") {
    check = CheckChannel;
    target = &link.choices.channel;
    link.channelGiven = true;
  } else if (name == "--baud") {
    check = CheckBaud;
    target = &link.choices.newBaudRate;
  } else if (name == "--technology" && allowTechnology) {
    check = CheckTechnology;
    target = &link.choices.technology;
  } else {
    return false;
  }
  if (options.Repeated()) {
    error = name + " given twice";
    return true;
  }
  auto value = options.Value();
  if (!value) {
    error = name + " needs a value";
    return true;
  }
  Checked checked = check(*value);
  if (!checked.ok()) {
    error = checked.refusal;
    return true;
  }
  *target = checked.value;
  return true;
}

}  // namespace zorveth::cli
