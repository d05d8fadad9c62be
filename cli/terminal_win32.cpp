#include <io.h>
#include <windows.h>

#include <cstdio>

#include "cli/terminal.h"

namespace zorveth {
namespace {

bool IsTerminal(FILE* stream, DWORD handleId) {
  if (_isatty(_fileno(stream)) == 0) return false;
  // The line updated in place erases itself with an escape sequence, which
  // a console only understands with virtual terminal processing on (Windows
  // 10 and later); an older console gets lines as a pipe does.
  HANDLE console = GetStdHandle(handleId);
  DWORD mode = 0;
  if (!GetConsoleMode(console, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != FALSE;
}

}  // namespace

bool StderrIsTerminal() {
  return IsTerminal(stderr, STD_ERROR_HANDLE);
}

bool StdoutIsTerminal() {
  return IsTerminal(stdout, STD_OUTPUT_HANDLE);
}

}  // namespace zorveth
