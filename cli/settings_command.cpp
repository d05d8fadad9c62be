#include "cli/commands.h"

namespace zorveth::cli {

int RunSettings(const Arguments& /*args*/) { return UsageError("settings", "not available yet"); }

}  // namespace zorveth::cli
