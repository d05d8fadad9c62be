#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/operation_feedback.h"

namespace zorveth::cli {

// Exit statuses of zorveth-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // a failure message was shown
inline constexpr int kExitUsage = 2;    // the command line was wrong

// The arguments after the subcommand's name.
using Arguments = std::vector<std::string>;

// Reports a usage error as one line on stderr and returns kExitUsage.
int UsageError(const std::string& command, const std::string& reason);

// True when the arguments ask for help (-h or --help anywhere).
bool WantsHelp(const Arguments& args);

// Walks "--name value" / "--name=value" options. Unknown options, missing
// values and options given twice are usage errors the caller reports.
class OptionReader {
 public:
  explicit OptionReader(const Arguments& args) : m_args(args) {}
  bool Done() const { return m_index >= m_args.size(); }
  // The current option name without its value ("--port"), or a positional.
  const std::string& Current() const { return m_current; }
  // Advances to the next argument; returns its name.
  const std::string& Next();
  // Whether the current option was given before.
  bool Repeated() const { return m_repeated; }
  // The value of the current option; nullopt when it has none.
  std::optional<std::string> Value();

 private:
  const Arguments& m_args;
  std::size_t m_index = 0;
  std::string m_current;
  std::optional<std::string> m_inlineValue;
  std::vector<std::string> m_seen;
  bool m_repeated = false;
};

// Parses a whole decimal number (optional sign) into value; false when the
// text is not one or does not fit 32 bits.
bool ParseWholeNumber(const std::string& text, long long& value);

// What the command line learned of the radios during one operation, from the
// operation's own reports.
struct RadioHistory {
  // Every role and speed tried, in order.
  std::vector<std::pair<RadioRole, std::uint32_t>> tried;
  // The speed each role answered its escape at, last answer kept.
  std::map<RadioRole, std::uint32_t> answeredAt;
  // The status line each role gave to a configuration or initialization line.
  std::map<RadioRole, std::string> replies;
  std::optional<RadioRole> lastAnswered;
};

// Feedback of the command-line tool: failure texts on stderr with detail
// lines under them, successes on stdout when the caller says so, progress on
// stderr only on a terminal.
class ConsoleFeedback : public OperationFeedback, public LineSink {
 public:
  // Messages equal to one of successTexts go to stdout and do not count as
  // failures.
  explicit ConsoleFeedback(std::vector<std::string> successTexts = {});
  ~ConsoleFeedback() override;
  void ShowMessage(const std::string& text) override;
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  void Progress(const std::string& text) override;
  // Report lines go to stdout, after any progress line has been cleared.
  void AppendLine(const std::string& line) override;

  void TryingSpeed(RadioRole role, std::uint32_t speed) override;
  void RadioAnswered(RadioRole role, std::uint32_t speed) override;
  void LineReplied(RadioRole role, const std::string& reply) override;

  bool FailureShown() const { return m_failureShown; }
  const std::string& LastMessage() const { return m_lastMessage; }
  const RadioHistory& History() const { return m_history; }
  // Asked for the lines to print under a failure message (each is indented
  // by two blanks): where the radios stand and what to do.
  using DetailSource = std::function<std::vector<std::string>(const std::string& message)>;
  void SetDetailSource(DetailSource source) { m_detailSource = std::move(source); }
  // A line and its details on stderr, after the progress line is cleared;
  // counts as a failure.
  void ShowFailure(const std::string& text, const std::vector<std::string>& details);
  // A note on stderr that is no failure.
  void ShowNote(const std::string& text);

 private:
  std::vector<std::string> m_successTexts;
  bool m_failureShown = false;
  bool m_progressOnTerminal = false;
  bool m_progressLineOpen = false;
  DetailSource m_detailSource;
  RadioHistory m_history;
  std::string m_lastMessage;

  void ClearProgress();
};

}  // namespace zorveth::cli
