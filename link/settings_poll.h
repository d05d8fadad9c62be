#pragma once

#include <cstdint>
#include <string>

#include "link/command_mode.h"
#include "link/link_protocol.h"
#include "link/operation_feedback.h"
#include "link/outcome.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth {

// How a poll addresses one radio on an open port; the scan for radios and
// the signal monitor address them the same way, so all find exactly the
// same radios.
//
// The radio's escape and its prompt, waited for 200 ms: once for the
// Server, up to three times for the Client, which at times misses one.
bool EnterCommandModeAsPoll(CRadioPort& port, Clock& clock, RadioRole role);
// The pause the Client needs after its prompt before it takes queries
// (420 ms); nothing for the Server.
void SettleAfterPrompt(Clock& clock, RadioRole role);
// The exit, waited for 200 ms: once for the Server, up to three times for
// the Client until it confirms.
ExitState LeaveCommandModeAsPoll(CRadioPort& port, Clock& clock, RadioRole role);
// Queries the registers in the order given, each with its value or none.
std::vector<RegisterReading> ReadRegisters(CRadioPort& port, Clock& clock,
                                           const std::vector<std::string_view>& names);

inline constexpr std::uint32_t kPollPromptTimeoutMs = 200;
inline constexpr std::uint32_t kPollLeaveTimeoutMs = 200;
// Escapes, and exits, the Client is given before the poll gives up on it.
inline constexpr int kClientAttempts = 3;

// Reads the settings of the Server, the Client or both and appends an
// eleven-line report per radio to the result list. The poll dialog owns the
// port text, the port and the list; these operations only borrow them.
// Each probing operation returns what happened; an interrupt
// (OperationCancelled from the port or the clock) ends it with the port
// closed and the outcome saying so.
class SettingsPoll {
 public:
  SettingsPoll(std::string& portText, CRadioPort& port, Clock& clock, LineSink& results,
               OperationFeedback& feedback)
      : m_portText(portText),
        m_port(port),
        m_clock(clock),
        m_results(results),
        m_feedback(feedback) {}

  bool PollServerAtSpeed(std::uint32_t speed);
  bool PollClientAtSpeed(std::uint32_t speed);
  void ReportSettings(std::uint32_t speed);
  OperationOutcome PollServer();
  OperationOutcome PollClient();
  OperationOutcome PollBoth();

  // What happened so far.
  const OperationOutcome& Outcome() const { return m_outcome; }

 private:
  bool PollAtSpeed(RadioRole role, std::uint32_t speed);
  void Say(MessageId id, std::optional<RadioRole> about);
  template <typename Body>
  OperationOutcome Run(OperationKind kind, Body body);

  std::string& m_portText;
  CRadioPort& m_port;
  Clock& m_clock;
  LineSink& m_results;
  OperationFeedback& m_feedback;
  OperationOutcome m_outcome;
  // The role last addressed, which ReportSettings reads from.
  RadioRole m_reportRole = RadioRole::Server;
};

}  // namespace zorveth
