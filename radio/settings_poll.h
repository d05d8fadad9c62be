#pragma once

#include <cstdint>
#include <string>

#include "radio/operation_feedback.h"
#include "radio/serial_port.h"

namespace zorveth {

// Probe speeds of a poll, fastest first.
inline constexpr std::uint32_t kPollSpeeds[] = {38400, 19200, 9600, 4800, 2400};

// Reads the settings of the Server, the Client or both and appends an
// eleven-line report per radio to the result list. The poll dialog owns the
// port text, the port and the list; these operations only borrow them.
class SettingsPoll {
 public:
  SettingsPoll(std::string& portText, CSerialPort& port, LineSink& results,
               OperationFeedback& feedback)
      : m_portText(portText), m_port(port), m_results(results), m_feedback(feedback) {}

  bool PollServerAtSpeed(std::uint32_t speed);
  bool PollClientAtSpeed(std::uint32_t speed);
  void ReportSettings(std::uint32_t speed);
  void PollServer();
  void PollClient();
  void PollBoth();

 private:
  bool PollAtSpeed(RadioRole role, std::uint32_t speed);

  std::string& m_portText;
  CSerialPort& m_port;
  LineSink& m_results;
  OperationFeedback& m_feedback;
};

}  // namespace zorveth
