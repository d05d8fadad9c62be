#pragma once

// The lines zorveth-cli prints under a failure message, or under
// "Interrupted": what happened to each radio and what to do next, read off
// the operation's outcome.
#include <string>
#include <vector>

#include "link/configure.h"
#include "link/outcome.h"
#include "settings/advanced_settings.h"

namespace zorveth::cli {

// What the command was asked to do, beyond what the outcome holds.
struct OperationContext {
  // The port as checked: "COM12" or "rfc2217://HOST:PORT".
  std::string port;
  LinkChoices choices;
  AdvancedSettings settings;
  RadioRole initRole = RadioRole::Client;
};

// A radio's reply as received, written as the wire trace writes bytes, at
// most 60 characters.
std::string EscapedReply(const std::string& reply);

// The lines under one message of the outcome.
std::vector<std::string> MessageDetails(const OperationOutcome& outcome, const ShownMessage& shown,
                                        const OperationContext& context);

// The lines under a success message: init's when the radio answered in
// another role than it now has.
std::vector<std::string> SuccessDetails(const OperationOutcome& outcome, const ShownMessage& shown,
                                        const OperationContext& context);

// The lines under "Interrupted".
std::vector<std::string> InterruptDetails(const OperationOutcome& outcome,
                                          const OperationContext& context);

}  // namespace zorveth::cli
