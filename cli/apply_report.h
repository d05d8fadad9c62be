#pragma once

#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/json_results.h"
#include "cli/radio_details.h"
#include "link/apply.h"

namespace zorveth::cli {

// How an apply ended, as the user is told: the message, the lines under it,
// whether it is a failure (stderr) and the exit status.
struct ApplyVerdict {
  std::string message;
  std::vector<std::string> details;
  bool failure = false;
  int status = kExitOk;
};

// Exit status of --check when the radios differ from the profile.
inline constexpr int kExitDiffers = 3;

ApplyVerdict JudgeApply(const ApplyOutcome& outcome, const OperationContext& context,
                        const std::string& profileFile);

Json ApplyDocument(const ApplyOutcome& outcome, const LinkProfile& profile,
                   const ApplyVerdict& verdict);

}  // namespace zorveth::cli
