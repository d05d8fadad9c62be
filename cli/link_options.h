#pragma once

#include <optional>
#include <string>

#include "cli/cli_common.h"
#include "radio/configure.h"

namespace zorveth::cli {

// The main dialog's choices as options: --port, --channel, --baud and
// (where allowed) --technology, with the dialog's start-up defaults.
struct LinkOptions {
  LinkChoices choices;
  bool portGiven = false;
  bool channelGiven = false;
};

// Takes the current option of the reader if it is one of the link options.
// Returns true when it was consumed; sets error on a missing value.
bool TakeLinkOption(OptionReader& options, LinkOptions& link, bool allowTechnology,
                    std::string& error);

}  // namespace zorveth::cli
