#include "cli/trace_option.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <limits>

#include "radio/clock.h"

namespace zorveth::cli {

TraceOption::~TraceOption() {
  if (!m_finished) Finish();
}

bool TraceOption::Take(OptionReader& options, std::string& error) {
  if (options.Current() != "--trace") return false;
  m_path = options.Value();
  if (!m_path || m_path->empty()) error = "--trace needs a file name, or - for stderr";
  return true;
}

bool TraceOption::Prepare(std::string& error) {
  if (!m_path) return true;
  // No size limit: a command traces one operation, and the file is what
  // the user asked for.
  if (*m_path != "-") {
    m_file.open(*m_path, std::ios::binary | std::ios::trunc);
    if (!m_file) {
      error = "cannot write the trace to '" + *m_path + "': " + std::strerror(errno);
      return false;
    }
  }
  m_log =
      std::make_unique<WireLog>(SystemClock().NowMs(), 1, std::numeric_limits<std::size_t>::max());
  return true;
}

CRadioPort& TraceOption::Wrap(CRadioPort& port, const std::string& operation) {
  if (!m_log) return port;
  m_log->BeginOperation(operation);
  // The trace's own clock never throws, so an interrupted operation is
  // still recorded up to its end.
  m_port = std::make_unique<TracingPort>(port, SystemClock(), *m_log);
  return *m_port;
}

bool TraceOption::Finish() {
  m_finished = true;
  if (!m_log) return true;
  const std::string text = m_log->Text();
  if (*m_path == "-") {
    std::cerr << text << std::flush;
    return true;
  }
  m_file << text << std::flush;
  m_file.close();
  if (m_file.fail()) {
    std::cerr << "zorveth-cli: could not write the trace to '" << *m_path << "'\n";
    return false;
  }
  return true;
}

}  // namespace zorveth::cli
