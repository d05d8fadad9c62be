#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli_common.h"
#include "port/radio_port.h"
#include "trace/tracing_port.h"
#include "trace/wire_log.h"

namespace zorveth::cli {

// --trace FILE: records every byte the operation exchanges with the radios
// and writes the trace as text when the command ends (docs/wire-trace.md);
// FILE "-" is stderr, after the messages.
class TraceOption {
 public:
  TraceOption() = default;
  TraceOption(const TraceOption&) = delete;
  TraceOption& operator=(const TraceOption&) = delete;
  // Writes the trace if Finish has not: an interrupted operation leaves
  // its trace too.
  ~TraceOption();

  // --trace's value; the refusal, or empty.
  std::string Accept(const std::string& path);
  bool Requested() const { return m_path.has_value(); }

  // Opens the file before anything is sent; false, with the reason, when it
  // cannot be written.
  bool Prepare(std::string& error);
  // The port to run the operation on: `port` itself, or a tracing port over
  // it when a trace was asked for. `operation` names the steps ("poll both").
  CRadioPort& Wrap(CRadioPort& port, const std::string& operation);
  // Writes the trace out; false (with a line on stderr) when that failed.
  bool Finish();

 private:
  std::optional<std::string> m_path;
  // Plain stdio: the trace adds as little as it can to the tool's memory.
  std::FILE* m_file = nullptr;
  std::unique_ptr<WireLog> m_log;
  std::unique_ptr<TracingPort> m_port;
  bool m_finished = false;
};

}  // namespace zorveth::cli
