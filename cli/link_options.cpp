#include "cli/link_options.h"

namespace zorveth::cli {

bool TakeLinkOption(OptionReader& options, LinkOptions& link, bool allowTechnology,
                    std::string& error) {
  const std::string name = options.Current();
  std::string* target = nullptr;
  if (name == "--port") {
    target = &link.choices.comPort;
    link.portGiven = true;
  } else if (name == "--channel") {
    target = &link.choices.channel;
    link.channelGiven = true;
  } else if (name == "--baud") {
    target = &link.choices.newBaudRate;
  } else if (name == "--technology" && allowTechnology) {
    target = &link.choices.technology;
  } else {
    return false;
  }
  auto value = options.Value();
  if (!value) {
    error = name + " needs a value";
  } else {
    *target = *value;
  }
  return true;
}

}  // namespace zorveth::cli
