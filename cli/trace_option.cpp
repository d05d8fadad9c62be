#include "cli/trace_option.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <limits>

#include "port/clock.h"

namespace zorveth::cli {

TraceOption::~TraceOption() {
  if (!m_finished) Finish();
}

std::string TraceOption::Accept(const std::string& path) {
  if (path.empty()) return "--trace needs a file name, or - for stderr";
  m_path = path;
  return "";
}

bool TraceOption::Prepare(std::string& error) {
  if (!m_path) return true;
  // No size limit: a command traces one operation, and the file is what
  // the user asked for.
  if (*m_path != "-") {
    m_file = std::fopen(m_path->c_str(), "wb");
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
  const bool written = std::fwrite(text.data(), 1, text.size(), m_file) == text.size();
  const bool closed = std::fclose(m_file) == 0;
  m_file = nullptr;
  if (!written || !closed) {
    std::cerr << "zorveth-cli: could not write the trace to '" << *m_path << "'\n";
    return false;
  }
  return true;
}

}  // namespace zorveth::cli
