#include "link/signal_monitor.h"

#include <vector>

#include "link/settings_poll.h"
#include "port/cancellation.h"

namespace zorveth {
namespace {

constexpr std::string_view kSignalRegister = "S";

std::size_t Slot(RadioRole role) {
  return role == RadioRole::Server ? 0 : 1;
}

// Remembers whether a write failed outright (not a stall, which a radio's
// handshake may cause): the device went away under the monitor.
class WriteWatch : public ForwardingPort {
 public:
  using ForwardingPort::ForwardingPort;
  std::int16_t Write(const void* data, std::int16_t length) override {
    const std::int16_t status = ForwardingPort::Write(data, length);
    if (status != kPortOk && !WriteStalled()) m_failed = true;
    return status;
  }
  bool Failed() const { return m_failed; }

 private:
  bool m_failed = false;
};

// The speeds to look for the Client at: the Server's first, as both radios
// of a link normally share one, then every other.
std::vector<std::uint32_t> ClientSpeeds(std::optional<std::uint32_t> serverSpeed) {
  std::vector<std::uint32_t> speeds;
  if (serverSpeed) speeds.push_back(*serverSpeed);
  for (std::uint32_t speed : kPollSpeeds) {
    if (speed != serverSpeed) speeds.push_back(speed);
  }
  return speeds;
}

}  // namespace

void SignalSummary::Add(const SignalSample& sample) {
  ++samples;
  if (!sample.value) {
    ++lost;
    return;
  }
  const std::uint16_t value = *sample.value;
  if (!min || value < *min) min = value;
  if (!max || value > *max) max = value;
  sum += value;
}

std::optional<double> SignalSummary::Mean() const {
  if (samples == lost) return std::nullopt;
  return sum / static_cast<double>(samples - lost);
}

MonitorOutcome SignalMonitor::Run(const MonitorSettings& settings, const SampleSink& sink) {
  m_outcome = MonitorOutcome{};
  m_openSpeed.reset();
  struct CloseOnExit {
    SignalMonitor& monitor;
    ~CloseOnExit() { monitor.CloseIfOpen(); }
  } closeOnExit{*this};
  try {
    // Even the first look at the clock ends it when stopped before it began.
    m_startMs = m_clock.NowMs();
    m_lastAnswerMs = {m_startMs, m_startMs};
    Find(sink);
    if (m_outcome.end != MonitorEnd::NoRadio) Rounds(settings, sink);
  } catch (const OperationCancelled&) {
    m_outcome.end = MonitorEnd::Interrupted;
  }
  return m_outcome;
}

void SignalMonitor::Find(const SampleSink& sink) {
  m_outcome.rounds = 1;
  std::optional<std::uint32_t>& serverSpeed = m_outcome.speeds[0];
  std::optional<std::uint32_t>& clientSpeed = m_outcome.speeds[1];
  std::vector<std::uint32_t> speeds(kPollSpeeds.begin(), kPollSpeeds.end());
  for (RadioRole role : {RadioRole::Server, RadioRole::Client}) {
    if (role == RadioRole::Client) speeds = ClientSpeeds(serverSpeed);
    SignalSample first{m_clock.NowMs() - m_startMs, role, std::nullopt};
    for (std::uint32_t speed : speeds) {
      SignalSample sample;
      if (Sample(role, speed, sample) != SampleResult::Answered) continue;
      m_outcome.speeds[Slot(role)] = speed;
      first = sample;
      break;
    }
    if (first.value) m_lastAnswerMs[Slot(role)] = m_clock.NowMs();
    sink(first);
  }
  if (!serverSpeed && !clientSpeed) m_outcome.end = MonitorEnd::NoRadio;
}

void SignalMonitor::Rounds(const MonitorSettings& settings, const SampleSink& sink) {
  // A radio not found is still asked, at its partner's speed: it may only
  // just have been switched on.
  const std::uint32_t serverSpeed = m_outcome.speeds[0].value_or(m_outcome.speeds[1].value_or(0));
  const std::uint32_t clientSpeed = m_outcome.speeds[1].value_or(serverSpeed);
  std::uint64_t roundStart = m_startMs;
  for (;;) {
    if (settings.rounds && m_outcome.rounds >= *settings.rounds) {
      m_outcome.end = MonitorEnd::RoundsDone;
      return;
    }
    const std::uint64_t next = roundStart + settings.intervalMs;
    if (const std::uint64_t now = m_clock.NowMs(); now < next) {
      m_clock.SleepMs(static_cast<std::uint32_t>(next - now));
    }
    roundStart = m_clock.NowMs();
    ++m_outcome.rounds;
    for (RadioRole role : {RadioRole::Server, RadioRole::Client}) {
      SignalSample sample;
      const std::uint32_t speed = role == RadioRole::Server ? serverSpeed : clientSpeed;
      if (Sample(role, speed, sample) == SampleResult::PortFailed) {
        m_outcome.end = MonitorEnd::DeviceGone;
        return;
      }
      sink(sample);
      if (NoteSample(sample)) return;
    }
  }
}

SignalMonitor::SampleResult SignalMonitor::Sample(RadioRole role, std::uint32_t speed,
                                                  SignalSample& sample) {
  sample = {m_clock.NowMs() - m_startMs, role, std::nullopt};
  if (!OpenAt(speed)) return SampleResult::PortFailed;
  WriteWatch port(m_port);
  if (!EnterCommandModeAsPoll(port, m_clock, role)) {
    return port.Failed() ? SampleResult::PortFailed : SampleResult::Silent;
  }
  SettleAfterPrompt(m_clock, role);
  sample.value = ReadRegisters(port, m_clock, {kSignalRegister}).front().value;
  LeaveCommandModeAsPoll(port, m_clock, role);
  return port.Failed() ? SampleResult::PortFailed : SampleResult::Answered;
}

bool SignalMonitor::OpenAt(std::uint32_t speed) {
  if (m_openSpeed == speed) return true;
  CloseIfOpen();
  m_port.SetParams(m_portNumber, speed);
  if (m_port.Open() != kPortOk) {
    m_outcome.openError = m_port.LastOpenError();
    // A failed Open may still hold the device.
    m_port.Close();
    return false;
  }
  m_openSpeed = speed;
  return true;
}

void SignalMonitor::CloseIfOpen() {
  if (!m_openSpeed) return;
  m_openSpeed.reset();
  m_port.Close();
}

bool SignalMonitor::NoteSample(const SignalSample& sample) {
  const std::size_t slot = Slot(sample.role);
  const std::uint64_t now = m_clock.NowMs();
  if (sample.value) m_lastAnswerMs[slot] = now;
  if (now - m_lastAnswerMs[slot] < kMonitorSilenceMs) return false;
  m_outcome.end = MonitorEnd::RadioSilent;
  m_outcome.silent = sample.role;
  return true;
}

}  // namespace zorveth
