#pragma once

#include <string>
#include <vector>

#include "link/operation_feedback.h"

namespace zorveth::bench {

// Feedback that keeps the messages and drops everything else: the figures
// must not include the time to print reports.
class QuietFeedback : public OperationFeedback, public LineSink {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  void AppendLine(const std::string&) override {}
  std::vector<std::string> messages;
};

}  // namespace zorveth::bench
