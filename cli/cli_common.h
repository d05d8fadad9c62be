#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "radio/operation_feedback.h"

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

// Walks "--name value" / "--name=value" options. Unknown options and missing
// values are usage errors the caller reports.
class OptionReader {
 public:
  explicit OptionReader(const Arguments& args) : m_args(args) {}
  bool Done() const { return m_index >= m_args.size(); }
  // The current option name without its value ("--port"), or a positional.
  const std::string& Current() const { return m_current; }
  // Advances to the next argument; returns its name.
  const std::string& Next();
  // The value of the current option; nullopt when it has none.
  std::optional<std::string> Value();

 private:
  const Arguments& m_args;
  std::size_t m_index = 0;
  std::string m_current;
  std::optional<std::string> m_inlineValue;
};

// Parses a whole decimal number (optional sign) into value; false when the
// text is not one or does not fit 32 bits.
bool ParseWholeNumber(const std::string& text, long long& value);

// Feedback of the command-line tool: failure texts on stderr, successes on
// stdout when the caller says so, progress on stderr only on a terminal.
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

  bool FailureShown() const { return m_failureShown; }
  // Asked for a line to print under each failure message (e.g. why the
  // port did not open); an empty answer prints nothing.
  void SetDetailSource(std::function<std::string()> source) { m_detailSource = std::move(source); }

 private:
  std::vector<std::string> m_successTexts;
  bool m_failureShown = false;
  bool m_progressOnTerminal = false;
  bool m_progressLineOpen = false;
  std::function<std::string()> m_detailSource;

  void ClearProgress();
};

}  // namespace zorveth::cli
