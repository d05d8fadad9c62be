#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/settings/temp_dir.h"

namespace zorveth::testing {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a program as a script would: in workDir, with HOME and
// XDG_CONFIG_HOME pointing at configHome, no standard input, and its
// standard streams captured.
inline CliResult RunProgram(const std::string& program, const std::string& args,
                            const std::filesystem::path& workDir,
                            const std::filesystem::path& configHome) {
  std::string command = "cd '" + workDir.string() + "' && HOME='" + workDir.string() +
                        "' XDG_CONFIG_HOME='" + configHome.string() + "' '" + program + "' " +
                        args + " </dev/null >out.txt 2>err.txt";
  int raw = std::system(command.c_str());
  CliResult run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadFile(workDir / "out.txt");
  run.err = ReadFile(workDir / "err.txt");
  return run;
}

}  // namespace zorveth::testing
