#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
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

// Feedback of the command-line tool while an operation runs: progress on
// stderr only on a terminal, report lines on stdout as they come (unless
// the output is one JSON document). Messages are shown once the operation
// has ended, from its outcome, with what happened under them.
class ConsoleFeedback : public OperationFeedback, public LineSink {
 public:
  explicit ConsoleFeedback(bool reportLinesOnStdout = true);
  ~ConsoleFeedback() override;
  ConsoleFeedback(const ConsoleFeedback&) = delete;
  ConsoleFeedback& operator=(const ConsoleFeedback&) = delete;

  void ShowMessage(const std::string& /*text*/) override {}
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  void Progress(const std::string& text) override;
  void AppendLine(const std::string& line) override;

  // A success message on stdout, its details (each indented by two blanks)
  // on stderr.
  void ShowSuccess(const std::string& text, const std::vector<std::string>& details = {});
  // A failure message and its details (each indented by two blanks) on
  // stderr; the first line is exactly the dialog's message.
  void ShowFailure(const std::string& text, const std::vector<std::string>& details);
  // A note on stderr that is no failure.
  void ShowNote(const std::string& text);
  bool FailureShown() const { return m_failureShown; }

 private:
  void ClearProgress();

  bool m_reportLinesOnStdout;
  bool m_failureShown = false;
  bool m_progressOnTerminal = false;
  bool m_progressLineOpen = false;
};

}  // namespace zorveth::cli
