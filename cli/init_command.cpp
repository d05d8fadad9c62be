#include "cli/commands.h"

namespace zorveth::cli {

int RunInit(const Arguments& /*args*/) { return UsageError("init", "not available yet"); }

}  // namespace zorveth::cli
