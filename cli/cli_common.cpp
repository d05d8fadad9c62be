#include "cli/cli_common.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
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

bool ParseWholeNumber(const std::string& text, long long& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0') return false;
  if (parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = parsed;
  return true;
}

ConsoleFeedback::ConsoleFeedback(std::vector<std::string> successTexts)
    : m_successTexts(std::move(successTexts)), m_progressOnTerminal(StderrIsTerminal()) {}

void ConsoleFeedback::ClearProgress() {
  if (m_progressLineOpen) {
    std::cerr << "\r\033[K" << std::flush;
    m_progressLineOpen = false;
  }
}

void ConsoleFeedback::AppendLine(const std::string& line) {
  ClearProgress();
  std::cout << line << '\n' << std::flush;
}

void ConsoleFeedback::ShowMessage(const std::string& text) {
  ClearProgress();
  m_lastMessage = text;
  bool success =
      std::find(m_successTexts.begin(), m_successTexts.end(), text) != m_successTexts.end();
  if (success) {
    std::cout << text << '\n' << std::flush;
    return;
  }
  ShowFailure(text, m_detailSource ? m_detailSource(text) : std::vector<std::string>{});
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

void ConsoleFeedback::TryingSpeed(RadioRole role, std::uint32_t speed) {
  m_history.tried.emplace_back(role, speed);
}

void ConsoleFeedback::RadioAnswered(RadioRole role, std::uint32_t speed) {
  m_history.answeredAt[role] = speed;
  m_history.lastAnswered = role;
}

void ConsoleFeedback::LineReplied(RadioRole role, const std::string& reply) {
  m_history.replies[role] = reply;
}

void ConsoleFeedback::Progress(const std::string& text) {
  if (!m_progressOnTerminal) return;
  std::cerr << "\r\033[K" << text << std::flush;
  m_progressLineOpen = true;
}

ConsoleFeedback::~ConsoleFeedback() {
  ClearProgress();
}

}  // namespace zorveth::cli
