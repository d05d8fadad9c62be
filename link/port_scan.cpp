#include "link/port_scan.h"

#include <exception>
#include <system_error>
#include <utility>

#include "link/link_protocol.h"
#include "link/settings_poll.h"
#include "port/port_factory.h"
#include "text/text_numbers.h"

namespace zorveth {
namespace {

constexpr std::chrono::milliseconds kWaitSlice{50};

PortScanOutcome OutcomeOf(OpenFailure failure) {
  switch (failure) {
    case OpenFailure::NoSuchPort:
      return PortScanOutcome::NoSuchPort;
    case OpenFailure::Busy:
      return PortScanOutcome::Busy;
    case OpenFailure::AccessDenied:
      return PortScanOutcome::AccessDenied;
    case OpenFailure::None:
    case OpenFailure::Other:
      break;
  }
  return PortScanOutcome::OpenFailed;
}

// Where a port's search stands while it runs.
struct PortSearch {
  bool anyOpened = false;
  bool stalled = false;
  OpenFailure lastFailure = OpenFailure::None;
};

// One role at one speed. False when the port did not open (the radio's
// speeds tried say why) or the radio gave no prompt; the port is closed on
// every path.
bool TryRadio(CRadioPort& port, Clock& clock, RadioOutcome& radio, std::uint32_t speed,
              PortScanResult& result, PortSearch& search) {
  port.SetParams(result.portNumber, speed);
  ScopedPortClose portClose(port);
  radio.tried.push_back({speed});
  if (port.Open() != kPortOk) {
    radio.tried.back().opened = false;
    radio.tried.back().openFailure = port.LastOpenFailure();
    radio.tried.back().openError = port.LastOpenError();
    result.openError = port.LastOpenError();
    search.lastFailure = port.LastOpenFailure();
    bool known = false;
    for (const SpeedTried& noted : result.speedsNotOpened) known = known || noted.speed == speed;
    if (!known) result.speedsNotOpened.push_back(radio.tried.back());
    return false;
  }
  search.anyOpened = true;
  const bool answered = EnterCommandModeAsPoll(port, clock, radio.role);
  if (port.WriteStalled()) search.stalled = true;
  if (!answered) return false;
  radio.answeredAt = speed;
  radio.exit = ExitState::NotConfirmed;
  SettleAfterPrompt(clock, radio.role);
  // Enough to tell which link a radio belongs to; a scan never reads more.
  radio.registers = ReadRegisters(port, clock, {kScanRegisters.begin(), kScanRegisters.end()});
  // What was found counts even if the port is lost afterwards.
  result.radios.push_back(radio);
  result.radios.back().exit = LeaveCommandModeAsPoll(port, clock, radio.role);
  if (port.WriteStalled()) search.stalled = true;
  return true;
}

PortScanOutcome OutcomeOfSearch(const PortScanResult& result, const PortSearch& search) {
  if (!result.radios.empty()) return PortScanOutcome::Found;
  if (search.stalled) return PortScanOutcome::Stalled;
  if (search.anyOpened) return PortScanOutcome::NoAnswer;
  return OutcomeOf(search.lastFailure);
}

std::string RadioFoundText(const RadioOutcome& radio) {
  auto value = [&](std::string_view name) {
    const auto found = radio.Register(name);
    return found ? std::to_string(*found) : std::string("?");
  };
  return std::string(RoleName(radio.role)) + " at " + std::to_string(radio.answeredAt.value_or(0)) +
         " baud, channel " + value("C") + ", system ID " + value("ID");
}

}  // namespace

const char* OutcomeText(PortScanOutcome outcome) {
  switch (outcome) {
    case PortScanOutcome::Found:
      return "found";
    case PortScanOutcome::NoAnswer:
      return "no answer";
    case PortScanOutcome::NoSuchPort:
      return "no such port";
    case PortScanOutcome::Busy:
      return "busy";
    case PortScanOutcome::AccessDenied:
      return "permission denied";
    case PortScanOutcome::OpenFailed:
      return "cannot be opened";
    case PortScanOutcome::Stalled:
      return "stopped accepting data";
    case PortScanOutcome::CutShort:
      return "cut short";
    case PortScanOutcome::Cancelled:
      return "interrupted";
  }
  return "";
}

PortScanResult ScanPort(const std::string& portEntry, CRadioPort& port, Clock& clock,
                        const ScanProgress& progress) {
  PortScanResult result;
  result.port = portEntry;
  result.portNumber = PortNumberFromText(portEntry);
  PortSearch search;
  try {
    for (RadioRole role : {RadioRole::Server, RadioRole::Client}) {
      RadioOutcome radio;
      radio.role = role;
      for (std::uint32_t speed : kPollSpeeds) {
        if (progress) progress("searching " + std::to_string(speed) + " baud...");
        // Nothing more goes out on a device that stopped taking data.
        if (TryRadio(port, clock, radio, speed, result, search) || search.stalled) break;
      }
      if (search.stalled) break;
    }
  } catch (const OperationCancelled&) {
    // The port was closed while unwinding out of TryRadio.
    result.outcome = PortScanOutcome::Cancelled;
    if (progress) progress(PortStatusText(result));
    return result;
  }
  result.outcome = OutcomeOfSearch(result, search);
  if (progress) progress(PortStatusText(result));
  return result;
}

std::string PortStatusText(const PortScanResult& result) {
  std::string text;
  for (const RadioOutcome& radio : result.radios) {
    text += (text.empty() ? "" : "; ") + RadioFoundText(radio);
  }
  return text.empty() ? OutcomeText(result.outcome) : text;
}

PortScanResult ScanComPort(const std::string& portEntry, const CancellationToken& token,
                           const ScanProgress& progress) {
  if (token.IsCancelled()) {
    PortScanResult result;
    result.port = portEntry;
    result.portNumber = PortNumberFromText(portEntry);
    result.outcome = PortScanOutcome::Cancelled;
    return result;
  }
  std::unique_ptr<CRadioPort> device = CreatePort(portEntry);
  // The port's own exit after an interruption waits on the plain clock;
  // everything the scan waits for goes through the cancellable one.
  CancellablePort port(*device, SystemClock(), token);
  CancellableClock clock(SystemClock(), token);
  return ScanPort(portEntry, port, clock, progress);
}

PortScan::PortScan(std::vector<std::string> ports, const CancellationToken& token,
                   PortScanner scanner, PortScanProgress progress,
                   std::chrono::milliseconds timeLimit)
    : m_ports(std::move(ports)),
      m_token(token),
      m_scanner(std::move(scanner)),
      m_progress(std::move(progress)) {
  if (m_token.IsCancelled()) m_stop.Cancel();
  m_results.resize(m_ports.size());
  m_workers.reserve(m_ports.size());
  for (std::size_t i = 0; i < m_ports.size(); ++i) {
    try {
      m_workers.emplace_back(&PortScan::RunWorker, this, i);
    } catch (const std::system_error&) {
      // No thread to be had: this port is scanned by nobody, and says so.
      m_results[i].port = m_ports[i];
      m_results[i].portNumber = PortNumberFromText(m_ports[i]);
      m_results[i].outcome = PortScanOutcome::OpenFailed;
      m_results[i].openError = "no thread could be started to scan it";
      std::lock_guard lock(m_mutex);
      ++m_done;
    }
  }
  const auto limit = std::chrono::steady_clock::now() + timeLimit;
  try {
    m_watcher = std::thread(&PortScan::Watch, this, limit);
  } catch (const std::system_error&) {
    // Without a watcher the scan still ends: every port's own waits are
    // bounded.
  }
}

PortScan::~PortScan() {
  m_stop.Cancel();
  JoinAll();
}

void PortScan::Watch(std::chrono::steady_clock::time_point limit) {
  std::unique_lock lock(m_mutex);
  while (m_done < m_ports.size()) {
    if (m_token.IsCancelled()) break;
    if (std::chrono::steady_clock::now() >= limit) {
      m_timedOut = true;
      break;
    }
    m_doneChanged.wait_for(lock, std::chrono::milliseconds(20));
  }
  lock.unlock();
  m_stop.Cancel();
}

void PortScan::RunWorker(std::size_t index) {
  PortScanResult result;
  // Nothing may leave a worker: it would end the program.
  auto failed = [&](const std::string& why) {
    result = PortScanResult{};
    result.port = m_ports[index];
    result.portNumber = PortNumberFromText(m_ports[index]);
    result.outcome = PortScanOutcome::OpenFailed;
    result.openError = why;
  };
  try {
    ScanProgress progress;
    if (m_progress) {
      progress = [this, index](const std::string& status) { m_progress(index, status); };
    }
    result = m_scanner(m_ports[index], m_stop, progress);
  } catch (const std::exception& error) {
    failed(error.what());
  } catch (...) {
    failed("unexpected failure");
  }
  m_results[index] = std::move(result);
  {
    std::lock_guard lock(m_mutex);
    ++m_done;
  }
  m_doneChanged.notify_all();
}

bool PortScan::WaitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_mutex);
  return m_doneChanged.wait_for(lock, timeout, [this] { return m_done == m_ports.size(); });
}

void PortScan::JoinAll() {
  for (std::thread& worker : m_workers) {
    if (worker.joinable()) worker.join();
  }
  if (m_watcher.joinable()) m_watcher.join();
}

std::vector<PortScanResult> PortScan::Results() {
  JoinAll();
  if (m_timedOut) {
    for (PortScanResult& result : m_results) {
      if (result.outcome == PortScanOutcome::Cancelled) result.outcome = PortScanOutcome::CutShort;
    }
  }
  return std::move(m_results);
}

std::vector<PortScanResult> ScanPorts(const std::vector<std::string>& ports,
                                      const CancellationToken& token,
                                      const std::function<void()>& whileWaiting,
                                      PortScanner scanner, PortScanProgress progress) {
  PortScan scan(ports, token, std::move(scanner), std::move(progress));
  if (whileWaiting) {
    while (!scan.WaitFor(kWaitSlice)) whileWaiting();
  }
  return scan.Results();
}

}  // namespace zorveth
