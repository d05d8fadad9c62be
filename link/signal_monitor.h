#pragma once

// The signal monitor: the Server's and the Client's signal strength,
// sampled in turn for as long as the user aims the antennas. Every sample
// is the exchange a poll has with that radio, cut down to the one query
// "ATS\r": the escape and its prompt, the Client's settle time, the query
// with its attempts, the exit with its attempts. Nothing else goes on the
// wire.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "link/outcome.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth {

// One sample of one radio. No value when the radio did not answer its
// escape, or gave no usable answer to "ATS\r".
struct SignalSample {
  std::uint64_t timeMs = 0;  // from the start of the monitor to the escape
  RadioRole role = RadioRole::Server;
  std::optional<std::uint16_t> value;

  friend bool operator==(const SignalSample&, const SignalSample&) = default;
};

struct MonitorSettings {
  // From the start of one round to the start of the next; 0 (and anything
  // shorter than a round) samples back to back.
  std::uint32_t intervalMs = 0;
  // Rounds to take (a round is one sample of each radio); none: until
  // stopped.
  std::optional<std::uint64_t> rounds;
};

// A radio silent this long in a row ends the monitor: the antenna is not
// just a few degrees off any more.
inline constexpr std::uint32_t kMonitorSilenceMs = 10000;

enum class MonitorEnd {
  RoundsDone,   // the rounds asked for were taken
  Interrupted,  // the token was set (Ctrl-C, the window's Stop)
  RadioSilent,  // one radio gave no answer for kMonitorSilenceMs in a row
  DeviceGone,   // the port could no longer be opened or written to
  NoRadio,      // neither radio answered at any speed
};

struct MonitorOutcome {
  MonitorEnd end = MonitorEnd::RoundsDone;
  // The speed each radio was found at (Server first), none when not found.
  std::array<std::optional<std::uint32_t>, 2> speeds;
  std::optional<RadioRole> silent;  // with RadioSilent
  std::string openError;            // with NoRadio or DeviceGone, when the port said why
  std::uint64_t rounds = 0;         // rounds taken, the last one whole or not
};

// What the monitor has seen of one radio so far.
struct SignalSummary {
  std::uint64_t samples = 0;
  std::uint64_t lost = 0;  // samples without a value
  std::optional<std::uint16_t> min;
  std::optional<std::uint16_t> max;
  double sum = 0;

  void Add(const SignalSample& sample);
  std::optional<double> Mean() const;
};

using SampleSink = std::function<void(const SignalSample&)>;

// Samples on an open-and-close port of its own: it opens the port at a
// radio's speed and keeps it open while the next radio shares it. An
// interrupt (OperationCancelled from the port or the clock) ends it with the
// port closed; the caller's CancellablePort then takes the radio out of
// command mode.
class SignalMonitor {
 public:
  SignalMonitor(CRadioPort& port, Clock& clock, std::int16_t portNumber)
      : m_port(port), m_clock(clock), m_portNumber(portNumber) {}

  MonitorOutcome Run(const MonitorSettings& settings, const SampleSink& sink);

 private:
  enum class SampleResult { Answered, Silent, PortFailed };

  void Find(const SampleSink& sink);
  void Rounds(const MonitorSettings& settings, const SampleSink& sink);
  // One sample of the role at the speed: PortFailed when the port could
  // not be opened there or a write failed outright.
  SampleResult Sample(RadioRole role, std::uint32_t speed, SignalSample& sample);
  bool OpenAt(std::uint32_t speed);
  void CloseIfOpen();
  // Ends the rounds when the sample makes the radio silent too long.
  bool NoteSample(const SignalSample& sample);

  CRadioPort& m_port;
  Clock& m_clock;
  std::int16_t m_portNumber;
  std::uint64_t m_startMs = 0;
  std::optional<std::uint32_t> m_openSpeed;
  std::array<std::uint64_t, 2> m_lastAnswerMs{};
  MonitorOutcome m_outcome;
};

}  // namespace zorveth
