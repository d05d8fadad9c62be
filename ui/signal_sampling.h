#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "link/signal_monitor.h"
#include "port/cancellation.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth::ui {

// The signal monitor on a worker thread of its own, so the window that
// shows it stays responsive: the window takes the samples taken so far on
// its timer. Stop (or the destructor) ends it at its next wait, sends the
// radio that may be in command mode its exit, and waits for the worker.
class SignalSampling {
 public:
  // The port is closed and used by the worker only; so is the clock.
  SignalSampling(std::unique_ptr<CRadioPort> port, Clock& clock, std::int16_t portNumber,
                 MonitorSettings settings = {});
  ~SignalSampling();
  SignalSampling(const SignalSampling&) = delete;
  SignalSampling& operator=(const SignalSampling&) = delete;

  // The samples taken since the last call, in order.
  std::vector<SignalSample> TakeSamples();
  // Whether the monitor has ended by itself (or been stopped).
  bool Done();
  void Stop();
  // How it ended; meaningful once Done.
  MonitorOutcome Outcome();

 private:
  void Work(std::int16_t portNumber, MonitorSettings settings);

  std::unique_ptr<CRadioPort> m_device;
  Clock& m_clock;
  CancellationToken m_token;
  std::mutex m_mutex;
  std::vector<SignalSample> m_pending;
  bool m_done = false;
  MonitorOutcome m_outcome;
  std::thread m_worker;
};

}  // namespace zorveth::ui
