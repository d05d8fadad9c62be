#pragma once

#include <optional>
#include <string>

#include "cli/option_table.h"
#include "link/configure.h"

namespace zorveth::cli {

// The main dialog's choices as options: --port, --channel, --baud and
// (where allowed) --technology, with the dialog's start-up defaults.
struct LinkOptions {
  LinkChoices choices;
  bool portGiven = false;
  bool channelGiven = false;
};

extern const OptionSpec kChannelOption;
extern const OptionSpec kBaudOption;
extern const OptionSpec kTechnologyOption;

// Takes the option if it is one of the link options, checked and in its
// canonical spelling: true when it was one; refusal then holds why its
// value was refused, or is empty.
bool TakeLinkOption(const OptionSpec& option, const std::string& value, LinkOptions& link,
                    std::string& refusal);

// --port's value as a COM name or network address; the refusal, or empty.
std::string TakePortValue(const std::string& value, std::string& port);

}  // namespace zorveth::cli
