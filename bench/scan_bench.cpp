// The scan for radios: every port probed by a worker of its own, so a scan
// of many ports should take about as long as its slowest port, and cost
// next to no CPU (every wait sleeps in poll()).
#include "bench/scan_bench.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bench/operation_timer.h"
#include "link/port_scan.h"
#include "sim/pty_radio_server.h"

namespace zorveth::bench {
namespace {

constexpr int kFirstCom = 50;

struct ScanRun {
  double wallMs = 0;
  double cpuMs = 0;  // the workers' and the caller's threads
  std::size_t radios = 0;
  std::size_t ports = 0;
};

// Serves each pair on a pty of its own as COM50, COM51, ... and scans them
// all at once. A pair with both radios off is a port without radios.
bool Scan(const std::vector<sim::PairConfig>& pairs, const std::filesystem::path& portsDir,
          ScanRun& run) {
  std::vector<std::unique_ptr<sim::PtyRadioServer>> servers;
  std::vector<std::string> ports;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    servers.push_back(std::make_unique<sim::PtyRadioServer>(pairs[i]));
    std::string error;
    const int number = kFirstCom + static_cast<int>(i);
    if (!servers.back()->Start(&error) || !servers.back()->LinkAs(portsDir, number, &error)) {
      std::printf("simulator failed: %s\n", error.c_str());
      return false;
    }
    ports.push_back("COM" + std::to_string(number));
  }
  std::mutex cpuMutex;
  double workerCpuMs = 0;
  auto timedScanner = [&](const std::string& entry, const CancellationToken& token,
                          const ScanProgress& progress) {
    const double start = OperationTimer::ThreadCpuMs();
    PortScanResult result = ScanComPort(entry, token, progress);
    std::lock_guard lock(cpuMutex);
    workerCpuMs += OperationTimer::ThreadCpuMs() - start;
    return result;
  };
  CancellationToken token;
  OperationTimer timer;
  const auto results = ScanPorts(ports, token, {}, timedScanner);
  run.wallMs = timer.WallMs();
  run.cpuMs = workerCpuMs + timer.CpuMs();
  run.ports = results.size();
  run.radios = 0;
  for (const auto& result : results) run.radios += result.radios.size();
  for (auto& server : servers) server->Stop();
  return true;
}

sim::PairConfig PairAt(std::uint32_t speed) {
  sim::PairConfig pair = sim::DefaultPairConfig();
  pair.server.speed = pair.client.speed = speed;
  return pair;
}

sim::PairConfig NoRadios() {
  sim::PairConfig pair = sim::DefaultPairConfig();
  pair.server.powered = pair.client.powered = false;
  return pair;
}

void PrintRow(const std::string& setup, const ScanRun& run, double slowestSingleMs) {
  std::printf("%-34s %5zu %6zu %9.1f %9.3f %8.2f %6.2f%%\n", setup.c_str(), run.ports, run.radios,
              run.wallMs, run.wallMs / slowestSingleMs, run.cpuMs, 100.0 * run.cpuMs / run.wallMs);
  std::fflush(stdout);
}

}  // namespace

void ScanTable(const std::filesystem::path& portsDir) {
  std::printf("\n%-34s %5s %6s %9s %9s %8s %7s\n", "scan", "ports", "radios", "wall ms", "/slowest",
              "CPU ms", "CPU");
  // Each kind of port alone first: the slowest of them is what a scan of
  // many ports should come close to.
  std::vector<std::pair<std::string, sim::PairConfig>> singles;
  for (std::uint32_t speed : {38400u, 19200u, 9600u, 4800u, 2400u}) {
    singles.emplace_back("1 port, pair at " + std::to_string(speed), PairAt(speed));
  }
  singles.emplace_back("1 port, no radios", NoRadios());
  std::vector<std::pair<std::string, ScanRun>> singleRuns;
  double slowestMs = 0;
  for (const auto& [setup, pair] : singles) {
    ScanRun run;
    if (!Scan({pair}, portsDir, run)) return;
    slowestMs = std::max(slowestMs, run.wallMs);
    singleRuns.emplace_back(setup, run);
  }
  for (const auto& [setup, run] : singleRuns) PrintRow(setup, run, slowestMs);

  const std::uint32_t speeds[] = {38400, 19200, 9600, 4800, 2400, 38400, 9600, 2400};
  for (std::size_t pairCount : {1u, 4u, 8u}) {
    std::vector<sim::PairConfig> pairs;
    // The slowest speeds first: a single pair is the hardest one to find.
    for (std::size_t i = 0; i < pairCount; ++i) {
      pairs.push_back(PairAt(pairCount == 1 ? 2400 : speeds[i]));
    }
    for (int i = 0; i < 4; ++i) pairs.push_back(NoRadios());
    ScanRun run;
    if (!Scan(pairs, portsDir, run)) return;
    PrintRow(std::to_string(pairCount) + (pairCount == 1 ? " pair" : " pairs") +
                 " + 4 ports without radios",
             run, slowestMs);
  }
}

}  // namespace zorveth::bench
