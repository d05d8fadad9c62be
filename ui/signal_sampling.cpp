#include "ui/signal_sampling.h"

#include <utility>

#include "link/cancellable_port.h"

namespace zorveth::ui {

SignalSampling::SignalSampling(std::unique_ptr<CRadioPort> port, Clock& clock,
                               std::int16_t portNumber, MonitorSettings settings)
    : m_device(std::move(port)), m_clock(clock) {
  m_worker = std::thread([this, portNumber, settings] { Work(portNumber, settings); });
}

SignalSampling::~SignalSampling() {
  Stop();
}

void SignalSampling::Work(std::int16_t portNumber, MonitorSettings settings) {
  CancellableClock clock(m_clock, m_token);
  // The exit after a stop waits on the plain clock, which the stop does
  // not cut short.
  CancellablePort port(*m_device, m_clock, m_token);
  SignalMonitor monitor(port, clock, portNumber);
  const MonitorOutcome outcome = monitor.Run(settings, [this](const SignalSample& sample) {
    std::lock_guard lock(m_mutex);
    m_pending.push_back(sample);
  });
  std::lock_guard lock(m_mutex);
  m_outcome = outcome;
  m_done = true;
}

std::vector<SignalSample> SignalSampling::TakeSamples() {
  std::lock_guard lock(m_mutex);
  return std::exchange(m_pending, {});
}

bool SignalSampling::Done() {
  std::lock_guard lock(m_mutex);
  return m_done;
}

void SignalSampling::Stop() {
  m_token.Cancel();
  if (m_worker.joinable()) m_worker.join();
}

MonitorOutcome SignalSampling::Outcome() {
  std::lock_guard lock(m_mutex);
  return m_outcome;
}

}  // namespace zorveth::ui
