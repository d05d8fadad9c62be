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

// One role at one speed. False when the port did not open (the result then
// says why) or the radio gave no prompt; the port is closed on every path.
bool TryRadio(CRadioPort& port, Clock& clock, RadioOutcome& radio, std::uint32_t speed,
              PortScanResult& result, bool& openFailed) {
  port.SetParams(result.portNumber, speed);
  ScopedPortClose portClose(port);
  radio.tried.push_back({speed});
  if (port.Open() != kPortOk) {
    openFailed = true;
    radio.tried.back().opened = false;
    radio.tried.back().openFailure = port.LastOpenFailure();
    radio.tried.back().openError = port.LastOpenError();
    result.openError = port.LastOpenError();
    if (result.radios.empty()) result.outcome = OutcomeOf(port.LastOpenFailure());
    return false;
  }
  if (!EnterCommandModeAsPoll(port, clock, radio.role)) return false;
  radio.answeredAt = speed;
  radio.exit = ExitState::NotConfirmed;
  SettleAfterPrompt(clock, radio.role);
  // Enough to tell which link a radio belongs to; a scan never reads more.
  radio.registers = ReadRegisters(port, clock, {kScanRegisters.begin(), kScanRegisters.end()});
  // What was found counts even if the port is lost afterwards.
  result.radios.push_back(radio);
  result.radios.back().exit = LeaveCommandModeAsPoll(port, clock, radio.role);
  return true;
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
    case PortScanOutcome::Cancelled:
      return "interrupted";
  }
  return "";
}

PortScanResult ScanPort(const std::string& portEntry, CRadioPort& port, Clock& clock) {
  PortScanResult result;
  result.port = portEntry;
  result.portNumber = PortNumberFromText(portEntry);
  result.outcome = PortScanOutcome::NoAnswer;
  try {
    bool openFailed = false;
    for (RadioRole role : {RadioRole::Server, RadioRole::Client}) {
      RadioOutcome radio;
      radio.role = role;
      for (std::uint32_t speed : kPollSpeeds) {
        if (TryRadio(port, clock, radio, speed, result, openFailed) || openFailed) break;
      }
      if (openFailed) break;
    }
  } catch (const OperationCancelled&) {
    // The port was closed while unwinding out of TryRadio.
    result.outcome = PortScanOutcome::Cancelled;
    return result;
  }
  // What was found counts even when the port was lost afterwards.
  if (!result.radios.empty()) result.outcome = PortScanOutcome::Found;
  return result;
}

PortScanResult ScanComPort(const std::string& portEntry, const CancellationToken& token) {
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
  return ScanPort(portEntry, port, clock);
}

PortScan::PortScan(std::vector<std::string> ports, const CancellationToken& token,
                   PortScanner scanner)
    : m_ports(std::move(ports)), m_token(token), m_scanner(std::move(scanner)) {
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
}

PortScan::~PortScan() {
  JoinAll();
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
    result = m_scanner(m_ports[index], m_token);
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
}

std::vector<PortScanResult> PortScan::Results() {
  JoinAll();
  return std::move(m_results);
}

std::vector<PortScanResult> ScanPorts(const std::vector<std::string>& ports,
                                      const CancellationToken& token,
                                      const std::function<void()>& whileWaiting,
                                      PortScanner scanner) {
  PortScan scan(ports, token, std::move(scanner));
  if (whileWaiting) {
    while (!scan.WaitFor(kWaitSlice)) whileWaiting();
  }
  return scan.Results();
}

}  // namespace zorveth
