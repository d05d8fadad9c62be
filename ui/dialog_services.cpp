#include "ui/dialog_services.h"

#include <mutex>

#include "link/port_scan.h"
#include "port/port_factory.h"
#include "trace/tracing_port.h"
#include "ui/pumping_clock.h"

namespace zorveth::ui {

namespace {

// The scan's workers report into the statuses from their threads; the
// window reads them on its timer.
class ScanSearch : public RadioSearch {
 public:
  explicit ScanSearch(const std::vector<std::string>& ports)
      : m_statuses(ports.size(), "waiting..."),
        m_scan(ports, m_token, ScanComPort, [this](std::size_t index, const std::string& status) {
          std::lock_guard lock(m_mutex);
          if (index < m_statuses.size()) m_statuses[index] = status;
        }) {}
  ~ScanSearch() override { m_token.Cancel(); }

  std::vector<std::string> Statuses() override {
    std::lock_guard lock(m_mutex);
    return m_statuses;
  }
  bool Done() override { return m_scan.WaitFor(std::chrono::milliseconds(0)); }
  void Cancel() override { m_token.Cancel(); }
  std::vector<PortScanResult> Results() override { return m_scan.Results(); }

 private:
  CancellationToken m_token;
  std::mutex m_mutex;
  std::vector<std::string> m_statuses;  // guarded by m_mutex
  PortScan m_scan;                      // last: its workers use the members above
};

}  // namespace

std::unique_ptr<RadioSearch> StartScanOfPorts(const std::vector<std::string>& ports) {
  return std::make_unique<ScanSearch>(ports);
}

std::unique_ptr<DialogServices> MakeSystemServices(Toolkit& toolkit) {
  auto services = std::make_unique<DialogServices>(toolkit);
  services->ownedClock =
      std::make_unique<PumpingClock>(SystemClock(), [&toolkit] { toolkit.PumpPendingEvents(); });
  services->clock = services->ownedClock.get();
  // Every port the dialogs open records its bytes in the wire log: the last
  // 20 operations, at most 1 MB, kept in memory until the user saves them.
  // The trace takes its times from the plain clock, which pumps no events.
  services->wireLog = std::make_unique<WireLog>(SystemClock().NowMs());
  WireLog* log = services->wireLog.get();
  services->createPort = [log](const std::string& portName) {
    return TraceInto(*log, SystemClock(), CreatePort(portName));
  };
  services->operationStarted = [log](const std::string& name) { log->BeginOperation(name); };
  services->wireLogText = [log] { return log->Text(); };
  services->startRadioSearch = [](const std::vector<std::string>& ports) {
    return StartScanOfPorts(ports);
  };
  return services;
}

}  // namespace zorveth::ui
