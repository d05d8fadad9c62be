#pragma once

#include "cli/cli_common.h"

namespace zorveth::cli {

// Each subcommand takes the arguments after its own name and returns the
// process exit status. Each prints its own --help.
int RunPoll(const Arguments& args);
int RunPorts(const Arguments& args);
int RunSettings(const Arguments& args);
int RunConfigure(const Arguments& args);
int RunInit(const Arguments& args);
int RunScan(const Arguments& args);
int RunProfile(const Arguments& args);
int RunApply(const Arguments& args);
int RunMonitor(const Arguments& args);

// The whole command line after the program's name: the subcommand and its
// arguments. Returns the exit status.
int RunCommandLine(const Arguments& args);

}  // namespace zorveth::cli
