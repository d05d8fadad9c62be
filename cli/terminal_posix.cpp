#include <unistd.h>

#include "cli/terminal.h"

namespace zorveth {

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

bool StdoutIsTerminal() {
  return isatty(STDOUT_FILENO) == 1;
}

}  // namespace zorveth
