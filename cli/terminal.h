#pragma once

namespace zorveth {

// Whether standard error is a terminal that can show the progress line
// (carriage return and erase-line sequence) rather than a file or a pipe.
bool StderrIsTerminal();
// The same for standard output: the signal monitor's line updated in place.
bool StdoutIsTerminal();

}  // namespace zorveth
