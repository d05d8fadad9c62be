#include "cli/commands.h"

namespace zorveth::cli {

int RunPoll(const Arguments& /*args*/) { return UsageError("poll", "not available yet"); }

}  // namespace zorveth::cli
