#include "bench/monitor_bench.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/operation_timer.h"
#include "link/link_protocol.h"
#include "link/signal_monitor.h"
#include "port/serial_port.h"
#include "sim/pty_radio_server.h"

namespace zorveth::bench {
namespace {

constexpr int kCom = 1;
// The simulator's reply delay per exchange, and the exchanges of a round:
// each radio's prompt, its value and its exit confirmation.
constexpr double kReplyMs = 2;
constexpr double kIdealRoundMs = kClientSettleMs + 6 * kReplyMs;
// Thirty rounds after the one that finds the radios: 60 samples.
constexpr std::uint64_t kRounds = 31;

}  // namespace

void MonitorTable(const std::filesystem::path& portsDir) {
  std::printf("\n%-22s %9s %9s %7s %8s %7s  %s\n", "monitor (60 samples)", "round ms", "ideal ms",
              "ratio", "CPU ms", "CPU", "ending");
  for (std::uint32_t speed : kPollSpeeds) {
    sim::PairConfig pair = sim::DefaultPairConfig();
    pair.server.speed = pair.client.speed = speed;
    sim::PtyRadioServer server(pair);
    std::string error;
    if (!server.Start(&error) || !server.LinkAs(portsDir, kCom, &error)) {
      std::printf("simulator failed: %s\n", error.c_str());
      return;
    }
    CSerialPort port;
    SignalMonitor monitor(port, SystemClock(), kCom);
    std::vector<std::uint64_t> serverTimes;
    double wallMs = 0;
    double cpuMs = 0;
    std::unique_ptr<OperationTimer> timer;
    const MonitorOutcome outcome = monitor.Run({0, kRounds}, [&](const SignalSample& sample) {
      if (sample.role != RadioRole::Server) return;
      serverTimes.push_back(sample.timeMs);
      // Timed from the first round after the find.
      if (serverTimes.size() == 2) timer = std::make_unique<OperationTimer>();
    });
    if (timer) {
      wallMs = timer->WallMs();
      cpuMs = timer->CpuMs();
    }
    server.Stop();
    const double roundMs = serverTimes.size() > 2
                               ? static_cast<double>(serverTimes.back() - serverTimes[1]) /
                                     static_cast<double>(serverTimes.size() - 2)
                               : 0;
    std::printf("%-22s %9.1f %9.1f %7.3f %8.2f %6.2f%%  %s\n",
                ("radios at " + std::to_string(speed)).c_str(), roundMs, kIdealRoundMs,
                roundMs / kIdealRoundMs, cpuMs, wallMs > 0 ? 100.0 * cpuMs / wallMs : 0.0,
                outcome.end == MonitorEnd::RoundsDone ? "ok" : "ended early");
    std::fflush(stdout);
  }
}

}  // namespace zorveth::bench
