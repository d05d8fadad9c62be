#pragma once

// The lines zorveth-cli prints under a failure message, or under
// "Interrupted": what happened to each radio and what to do next.
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "link/configure.h"
#include "settings/advanced_settings.h"

namespace zorveth::cli {

enum class OperationKind { PollServer, PollClient, PollBoth, Configure, Initialize };

// The operation that ran and the settings it was to write.
struct OperationContext {
  OperationKind kind = OperationKind::PollBoth;
  // The port as checked: "COM12" or "rfc2217://HOST:PORT".
  std::string port;
  LinkChoices choices;
  AdvancedSettings settings;
  RadioRole initRole = RadioRole::Client;
};

// A radio's reply as received: C escapes, at most 60 characters.
std::string EscapedReply(const std::string& reply);

std::vector<std::string> FailureDetails(const std::string& message, const OperationContext& context,
                                        const RadioHistory& history, const std::string& openError);

// After an interrupt. exitSent: the one "ATE\r" went out to a radio that
// may have been in command mode; exitConfirmed: it confirmed.
std::vector<std::string> InterruptDetails(const OperationContext& context,
                                          const RadioHistory& history, bool exitSent,
                                          bool exitConfirmed);

}  // namespace zorveth::cli
