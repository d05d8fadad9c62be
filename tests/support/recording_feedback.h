#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/operation_feedback.h"

namespace zorveth::testing {

// Records what an operation shows, in order; the wait cursor depth tells
// whether every path restored it.
class RecordingFeedback : public OperationFeedback, public LineSink {
 public:
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    messageCursorDepth.push_back(cursorDepth);
    if (onMessage) onMessage(text);
  }
  void BeginWaitCursor() override {
    ++cursorDepth;
    ++cursorShown;
  }
  void EndWaitCursor() override { --cursorDepth; }
  void EnableTrigger(bool enabled) override { triggerStates.push_back(enabled); }
  void AppendLine(const std::string& line) override { lines.push_back(line); }

  std::vector<std::string> messages;
  std::vector<int> messageCursorDepth;
  std::vector<std::string> lines;
  std::vector<bool> triggerStates;
  int cursorDepth = 0;
  int cursorShown = 0;
  std::function<void(const std::string&)> onMessage;
};

}  // namespace zorveth::testing
