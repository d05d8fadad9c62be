#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "port/link_step.h"

namespace zorveth {

// The registers of a poll in wire order: C, FP, M, ID, BA, S, REV.
using RegisterValues = std::array<std::uint16_t, 7>;

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

  // What the operation found out along the way, for callers that tell more
  // than the message (the command line's detail lines and its results for
  // scripts). The dialogs ignore them; nothing here changes the wire.
  //
  // A role is about to be addressed at a speed.
  virtual void TryingSpeed(RadioRole /*role*/, std::uint32_t /*speed*/) {}
  // A radio answered its escape with the prompt.
  virtual void RadioAnswered(RadioRole /*role*/, std::uint32_t /*speed*/) {}
  // A poll's seven registers as read, 0xFFFF where a query failed.
  virtual void RegistersRead(RadioRole /*role*/, std::uint32_t /*speed*/,
                             const RegisterValues& /*values*/) {}
  // The status line a radio gave to a configuration or initialization line,
  // as received (possibly empty or cut off).
  virtual void LineReplied(RadioRole /*role*/, const std::string& /*reply*/) {}
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
