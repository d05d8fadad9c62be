#include "cli/commands.h"

namespace zorveth::cli {

int RunConfigure(const Arguments& /*args*/) { return UsageError("configure", "not available yet"); }

}  // namespace zorveth::cli
