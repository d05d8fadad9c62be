#pragma once

#include <optional>
#include <string>

#include "cli/cli_common.h"
#include "link/configure.h"

namespace zorveth::cli {

// The main dialog's choices as options: --port, --channel, --baud and
// (where allowed) --technology, with the dialog's start-up defaults.
struct LinkOptions {
  LinkChoices choices;
  bool portGiven = false;
  bool channelGiven = false;
};

// Takes the current option of the reader if it is one of the link options,
// checked and in its canonical spelling. Returns true when it was consumed;
// sets error to the refusal when its value is missing, refused or given a
// second time.
bool TakeLinkOption(OptionReader& options, LinkOptions& link, bool allowTechnology,
                    std::string& error);

// --port's value as a COM name; the refusal, or empty when it was taken.
std::string TakePortOption(OptionReader& options, std::string& port);

}  // namespace zorveth::cli
