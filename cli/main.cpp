// zorveth-cli: the radio operations of the dialogs, for scripts and
// headless machines.
#include "cli/commands.h"

int main(int argc, char** argv) {
  return zorveth::cli::RunCommandLine(zorveth::cli::Arguments(argv + 1, argv + argc));
}
