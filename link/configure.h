#pragma once

#include <cstdint>
#include <string>

#include "link/link_protocol.h"
#include "link/operation_feedback.h"
#include "link/outcome.h"
#include "port/clock.h"
#include "port/radio_port.h"
#include "settings/advanced_settings.h"

namespace zorveth {

// The user's choices for Configure and Initialize, as the main dialog's
// lists show them, with its start-up selections as defaults.
struct LinkChoices {
  std::string technology{kVorlithTechnology};
  std::string channel{DefaultChannel(kVorlithTechnology)};
  std::string newBaudRate{kDefaultNewBaudRate};
  std::string comPort;
};

// "ATC67FP262ID111BA4BR19200\r": sent whole, whatever its length.
std::string BuildConfigurationLine(std::int32_t channel, const AdvancedSettings& settings,
                                   std::int32_t newBaudRate);

// Writes one configuration line to the Client and then the Server, probing
// 38400, 19200, 9600 and 4800 baud, and shows exactly one message.
class RadioConfigurator {
 public:
  RadioConfigurator(CRadioPort& port, Clock& clock, OperationFeedback& feedback)
      : m_port(port), m_clock(clock), m_feedback(feedback) {}

  // Everything after the dialog's data exchange; returns what happened.
  OperationOutcome ConfigureRadios(const LinkChoices& choices, const AdvancedSettings& settings);
  // One attempt at the speed the port is open at: 0 when the Client gave no
  // prompt, 1 once an outcome has been shown.
  int SendConfiguration(const std::string& line);

  // Configure's exchange with one radio at the speed the port is open at:
  // escape, prompt, the line, its echo and reply, the exit, with Configure's
  // waits for that radio. False when the radio gave no prompt; the outcome
  // records what was sent and the reply.
  bool WriteClient(const std::string& line);
  bool WriteServer(const std::string& line);
  // The pause between the Client's exit and the Server's escape.
  void PauseBetweenRadios();

  const OperationOutcome& Outcome() const { return m_outcome; }
  OperationOutcome& Outcome() { return m_outcome; }

 private:
  void Say(MessageId id, std::optional<RadioRole> about);
  // Writes the line to the radio in command mode and reads its echo and
  // reply; records both.
  std::string SendLine(RadioOutcome& radio, const std::string& line, std::uint32_t echoMs);

  CRadioPort& m_port;
  Clock& m_clock;
  OperationFeedback& m_feedback;
  OperationOutcome m_outcome;
};

}  // namespace zorveth
