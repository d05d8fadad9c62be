#include <io.h>
#include <windows.h>

#include <cstdio>

#include "cli/terminal.h"

namespace zorveth {

bool StderrIsTerminal() {
  if (_isatty(_fileno(stderr)) == 0) return false;
  // The progress line erases itself with an escape sequence, which a
  // console only understands with virtual terminal processing on (Windows
  // 10 and later); an older console gets no progress line at all.
  HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (!GetConsoleMode(console, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != FALSE;
}

}  // namespace zorveth
