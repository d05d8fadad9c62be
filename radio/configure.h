#pragma once

#include <cstdint>
#include <string>

#include "radio/operation_feedback.h"
#include "radio/serial_port.h"
#include "settings/advanced_settings.h"

namespace zorveth {

// The user's choices for Configure and Initialize, as the main dialog's
// lists show them.
struct LinkChoices {
  std::string technology = "Vorlith Radio Control";
  std::string channel = "67";
  std::string newBaudRate = "19200";
  std::string comPort;
};

// "ATC67FP262ID111BA4BR19200\r": sent whole, whatever its length.
std::string BuildConfigurationLine(std::int32_t channel, const AdvancedSettings& settings,
                                   std::int32_t newBaudRate);

// Writes one configuration line to the Client and then the Server, probing
// 38400, 19200, 9600 and 4800 baud, and shows exactly one message.
class RadioConfigurator {
 public:
  RadioConfigurator(CSerialPort& port, OperationFeedback& feedback)
      : m_port(port), m_feedback(feedback) {}

  // Everything after the dialog's data exchange.
  void ConfigureRadios(const LinkChoices& choices, const AdvancedSettings& settings);
  // One attempt at the speed the port is open at: 0 when the Client gave no
  // prompt, 1 once an outcome has been shown.
  int SendConfiguration(const std::string& line);

 private:
  CSerialPort& m_port;
  OperationFeedback& m_feedback;
};

}  // namespace zorveth
