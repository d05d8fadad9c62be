#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/cancellable_port.h"
#include "link/command_mode.h"
#include "link/operation_feedback.h"
#include "link/outcome.h"
#include "port/cancellation.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth {

// The registers a scan reads of a radio that answered: enough to tell which
// link it belongs to.
inline constexpr std::array<std::string_view, 3> kScanRegisters = {"C", "M", "ID"};

// How the scan of one port ended.
enum class PortScanOutcome {
  Found,         // at least one radio answered
  NoAnswer,      // the port opened, no radio answered at any speed
  NoSuchPort,    // nothing behind the COM number
  Busy,          // another program holds the port
  AccessDenied,  // the user may not open the port
  OpenFailed,    // the port did not open for another reason
  Stalled,       // the device stopped taking what was written to it
  CutShort,      // the scan's time ran out before this port was done
  Cancelled,     // the scan was interrupted before this port was done
};

// "found", "no answer", "no such port", "busy", "permission denied",
// "cannot be opened", "stopped accepting data", "cut short", "interrupted".
const char* OutcomeText(PortScanOutcome outcome);

struct PortScanResult {
  std::string port;  // the port as given, e.g. "COM5" or "COM5 (pts/3)"
  std::int16_t portNumber = 0;
  PortScanOutcome outcome = PortScanOutcome::NoAnswer;
  // The radios that answered, Server first, then Client, each with the
  // speeds tried and the registers of kScanRegisters; also what was found
  // before an interruption.
  std::vector<RadioOutcome> radios;
  // The system's words when the port did not open at some speed, e.g.
  // "COM9 (/dev/pts/4): Device or resource busy (another program holds it)";
  // each radio's speeds tried say at which.
  std::string openError;
  // Each speed at which the port did not open, once, in the order tried,
  // with the reason: also where no radio answered.
  std::vector<SpeedTried> speedsNotOpened;
};

// What a port's scan is doing now, as one short line: "searching 19200
// baud..." while it runs. Called on the thread that scans the port.
using ScanProgress = std::function<void(const std::string& status)>;

// Looks for both radios on one port the way the polls find them: the Server
// at each speed from 38400 down to 2400 until it answers, then the Client
// likewise, with the polls' escapes, waits and exits. Of an answering radio
// only the channel, the role and the system ID are read; nothing is ever
// written to a radio. A speed at which the port does not open is noted and
// the search goes on at the next; a port whose writes stall is given up,
// keeping what was found on it.
//
// Runs on the calling thread with the given port object and clock. An
// interruption (OperationCancelled from a cancellable port or clock) ends
// the scan with outcome Cancelled, after the port has been closed.
PortScanResult ScanPort(const std::string& portEntry, CRadioPort& port, Clock& clock,
                        const ScanProgress& progress = {});

// The line a finished port shows: each radio found ("Server at 9600 baud,
// channel 67, system ID 111"; two joined by "; "), else the outcome's text.
std::string PortStatusText(const PortScanResult& result);

// Scans one port on a worker thread; must be safe to call from several
// threads at once for different ports.
using PortScanner = std::function<PortScanResult(
    const std::string& portEntry, const CancellationToken& token, const ScanProgress& progress)>;

// The scanner for real ports: a COM port object of its own (the serial
// device, or the network port the port map links the number to) behind a
// CancellablePort, waiting on a CancellableClock over the system clock. On
// an interruption a radio left in command mode is sent "ATE\r" and the port
// is closed.
PortScanResult ScanComPort(const std::string& portEntry, const CancellationToken& token,
                           const ScanProgress& progress);

// However the ports behave, a scan stops its workers after this long; the
// exits they then send still fit within 15 s.
inline constexpr std::chrono::milliseconds kScanTimeLimit{14000};

// Told, from the workers, what port `index` (in the order given) is doing.
using PortScanProgress = std::function<void(std::size_t index, const std::string& status)>;

// A scan of several ports at once: one worker thread per port, started by
// the constructor, so the whole scan takes about as long as the slowest
// port, and never longer than the time limit. Setting the token stops
// every worker at its next wait. The caller waits in WaitFor (pumping its
// own events between calls if it has any) or goes straight to Results.
// Destroying a scan stops and waits for its workers.
class PortScan {
 public:
  PortScan(std::vector<std::string> ports, const CancellationToken& token,
           PortScanner scanner = ScanComPort, PortScanProgress progress = {},
           std::chrono::milliseconds timeLimit = kScanTimeLimit);
  ~PortScan();
  PortScan(const PortScan&) = delete;
  PortScan& operator=(const PortScan&) = delete;

  // Waits up to timeout; true once every port is done.
  bool WaitFor(std::chrono::milliseconds timeout);
  // The results in the order the ports were given, once every worker has
  // ended. Only once.
  std::vector<PortScanResult> Results();

 private:
  void RunWorker(std::size_t index);
  // Passes the caller's interrupt, or the end of the time, on to the
  // workers' own token.
  void Watch(std::chrono::steady_clock::time_point limit);
  void JoinAll();

  std::vector<std::string> m_ports;
  const CancellationToken& m_token;
  CancellationToken m_stop;
  bool m_timedOut = false;  // written by the watcher, read after its join
  PortScanner m_scanner;
  PortScanProgress m_progress;
  std::thread m_watcher;
  // Each worker writes only its own slot; they are read after the joins.
  std::vector<PortScanResult> m_results;
  std::vector<std::thread> m_workers;
  std::mutex m_mutex;
  std::condition_variable m_doneChanged;
  std::size_t m_done = 0;  // guarded by m_mutex
};

// Runs a whole scan and returns the results in the order of the ports.
// whileWaiting, when set, is called on the calling thread about every
// 50 ms until every port is done: the dialogs keep repainting with it.
std::vector<PortScanResult> ScanPorts(const std::vector<std::string>& ports,
                                      const CancellationToken& token,
                                      const std::function<void()>& whileWaiting = {},
                                      PortScanner scanner = ScanComPort,
                                      PortScanProgress progress = {});

}  // namespace zorveth
