#pragma once

#include <cstdint>
#include <string>

namespace zorveth {

// How a radio operation talks to its user: modal message boxes (the call
// returns when the user has closed the box), the wait cursor, and the button
// that started the operation. The dialogs plug in their toolkit, the
// command-line tool writes to its streams, tests record.
class OperationFeedback {
 public:
  virtual ~OperationFeedback() = default;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // Greys or enables the button that started the operation (Configure and
  // Initialize do this themselves; the poll dialog does it around a poll).
  virtual void EnableTrigger(bool /*enabled*/) {}
  // What the operation is trying now, e.g. "trying 19200 baud..."; purely
  // informative.
  virtual void Progress(const std::string& /*text*/) {}
};

// Shows the wait cursor for its lifetime, so every path restores it.
class ScopedWaitCursor {
 public:
  explicit ScopedWaitCursor(OperationFeedback& feedback) : m_feedback(feedback) {
    m_feedback.BeginWaitCursor();
  }
  ~ScopedWaitCursor() { m_feedback.EndWaitCursor(); }
  ScopedWaitCursor(const ScopedWaitCursor&) = delete;
  ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

 private:
  OperationFeedback& m_feedback;
};

// Greys the button that started the operation for its lifetime, so every
// path enables it again.
class ScopedTriggerDisabled {
 public:
  explicit ScopedTriggerDisabled(OperationFeedback& feedback) : m_feedback(feedback) {
    m_feedback.EnableTrigger(false);
  }
  ~ScopedTriggerDisabled() { m_feedback.EnableTrigger(true); }
  ScopedTriggerDisabled(const ScopedTriggerDisabled&) = delete;
  ScopedTriggerDisabled& operator=(const ScopedTriggerDisabled&) = delete;

 private:
  OperationFeedback& m_feedback;
};

// Receives report lines, appended in order at the end of a result list.
class LineSink {
 public:
  virtual ~LineSink() = default;
  virtual void AppendLine(const std::string& line) = 0;
};

}  // namespace zorveth
