#include "cli/cli_common.h"

#include <algorithm>
#include <iostream>
#include <utility>

#include "cli/terminal.h"

namespace zorveth::cli {

int UsageError(const std::string& command, const std::string& reason) {
  std::cerr << "zorveth-cli " << command << ": " << reason << " (see 'zorveth-cli " << command
            << " --help')\n";
  return kExitUsage;
}

bool WantsHelp(const Arguments& args) {
  return std::any_of(args.begin(), args.end(),
                     [](const std::string& a) { return a == "-h" || a == "--help"; });
}

const std::string& OptionReader::Next() {
  const std::string& arg = m_args[m_index++];
  m_inlineValue.reset();
  auto equals = arg.find('=');
  if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
    m_current = arg.substr(0, equals);
    m_inlineValue = arg.substr(equals + 1);
  } else {
    m_current = arg;
  }
  m_repeated = false;
  if (m_current.rfind("-", 0) == 0) {
    m_repeated = std::find(m_seen.begin(), m_seen.end(), m_current) != m_seen.end();
    m_seen.push_back(m_current);
  }
  return m_current;
}

std::optional<std::string> OptionReader::Value() {
  if (m_inlineValue) {
    auto value = m_inlineValue;
    m_inlineValue.reset();
    return value;
  }
  if (m_index >= m_args.size()) return std::nullopt;
  return m_args[m_index++];
}

ConsoleFeedback::ConsoleFeedback(bool reportLinesOnStdout)
    : m_reportLinesOnStdout(reportLinesOnStdout), m_progressOnTerminal(StderrIsTerminal()) {}

ConsoleFeedback::~ConsoleFeedback() {
  ClearProgress();
}

void ConsoleFeedback::ClearProgress() {
  if (m_progressLineOpen) {
    std::cerr << "\r\033[K" << std::flush;
    m_progressLineOpen = false;
  }
}

void ConsoleFeedback::AppendLine(const std::string& line) {
  if (!m_reportLinesOnStdout) return;
  ClearProgress();
  std::cout << line << '\n' << std::flush;
}

void ConsoleFeedback::ShowSuccess(const std::string& text,
                                  const std::vector<std::string>& details) {
  ClearProgress();
  std::cout << text << '\n' << std::flush;
  for (const auto& detail : details) std::cerr << "  " << detail << '\n';
  std::cerr << std::flush;
}

void ConsoleFeedback::ShowFailure(const std::string& text,
                                  const std::vector<std::string>& details) {
  ClearProgress();
  m_failureShown = true;
  // The first line is exactly the dialog's message; scripts may match it.
  std::cerr << text << '\n';
  for (const auto& detail : details) {
    if (!detail.empty()) std::cerr << "  " << detail << '\n';
  }
  std::cerr << std::flush;
}

void ConsoleFeedback::ShowNote(const std::string& text) {
  ClearProgress();
  std::cerr << text << '\n' << std::flush;
}

void ConsoleFeedback::Progress(const std::string& text) {
  if (!m_progressOnTerminal) return;
  std::cerr << "\r\033[K" << text << std::flush;
  m_progressLineOpen = true;
}

}  // namespace zorveth::cli
