#include "cli/commands.h"

namespace zorveth::cli {

int RunPorts(const Arguments& /*args*/) { return UsageError("ports", "not available yet"); }

}  // namespace zorveth::cli
