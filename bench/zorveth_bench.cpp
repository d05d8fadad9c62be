// Times the radio operations through the real serial port against the
// simulated pair on a pty, and sets each against the protocol's ideal: the
// waits the operation must make by its own rules (silent prompt waits,
// fixed pauses) plus the simulator's reply time for every exchange. A pty
// adds no wire time; on a real line each byte's time at the speed adds to
// both columns.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/apply_bench.h"
#include "bench/monitor_bench.h"
#include "bench/operation_timer.h"
#include "bench/quiet_feedback.h"
#include "bench/scan_bench.h"
#include "bench/trace_cost.h"
#include "link/configure.h"
#include "link/initialize.h"
#include "link/settings_poll.h"
#include "port/serial_port.h"
#include "sim/pty_radio_server.h"

namespace zorveth::bench {
namespace {

constexpr int kCom = 1;
constexpr double kReplyMs = 2;  // the simulator's reply delay per exchange

struct Row {
  std::string operation;
  std::string setup;
  double idealMs;
  std::function<void(QuietFeedback&)> run;
  sim::PairConfig pair;
};

std::filesystem::path g_portsDir;

void Measure(const Row& row) {
  sim::PtyRadioServer server(row.pair);
  std::string error;
  if (!server.Start(&error) || !server.LinkAs(g_portsDir, kCom, &error)) {
    std::printf("%-12s %-22s simulator failed: %s\n", row.operation.c_str(), row.setup.c_str(),
                error.c_str());
    return;
  }
  QuietFeedback feedback;
  OperationTimer timer;
  row.run(feedback);
  double wall = timer.WallMs();
  double cpu = timer.CpuMs();
  server.Stop();
  std::string outcome = feedback.messages.empty() ? "ok" : feedback.messages.back();
  std::printf("%-12s %-22s %9.1f %9.1f %7.3f %8.2f %6.2f%%  %s\n", row.operation.c_str(),
              row.setup.c_str(), wall, row.idealMs, wall / row.idealMs, cpu, 100.0 * cpu / wall,
              outcome.c_str());
  std::fflush(stdout);
}

sim::PairConfig PairAt(std::uint32_t serverSpeed, std::uint32_t clientSpeed, bool serverOn = true,
                       bool clientOn = true) {
  sim::PairConfig pair = sim::DefaultPairConfig();
  pair.server.speed = serverSpeed;
  pair.client.speed = clientSpeed;
  pair.server.powered = serverOn;
  pair.client.powered = clientOn;
  return pair;
}

void Poll(OperationOutcome (SettingsPoll::*operation)(), QuietFeedback& feedback) {
  CSerialPort port;
  std::string portText = "COM1";
  SettingsPoll poll(portText, port, SystemClock(), feedback, feedback);
  (poll.*operation)();
}

std::vector<Row> OperationRows() {
  const std::uint32_t pollSpeeds[] = {38400, 19200, 9600, 4800, 2400};
  std::vector<Row> rows;
  for (int k = 0; k < 5; ++k) {
    std::uint32_t s = pollSpeeds[k];
    std::string at = "radios at " + std::to_string(s);
    // Server: one 200 ms silent prompt wait per faster speed; then prompt,
    // seven queries and the exit, one reply each.
    rows.push_back({"PollServer", at, 200.0 * k + 9 * kReplyMs,
                    [](QuietFeedback& f) { Poll(&SettingsPoll::PollServer, f); }, PairAt(s, s)});
    // Client: three escapes per faster speed, the 420 ms settling pause.
    rows.push_back({"PollClient", at, 600.0 * k + 420 + 9 * kReplyMs,
                    [](QuietFeedback& f) { Poll(&SettingsPoll::PollClient, f); }, PairAt(s, s)});
    rows.push_back({"PollBoth", at, 200.0 * k + 420 + 18 * kReplyMs,
                    [](QuietFeedback& f) { Poll(&SettingsPoll::PollBoth, f); }, PairAt(s, s)});
  }
  const std::uint32_t writeSpeeds[] = {38400, 19200, 9600, 4800};
  for (int k = 0; k < 4; ++k) {
    std::uint32_t s = writeSpeeds[k];
    std::string at = "radios at " + std::to_string(s);
    // 300 ms Client prompt waits per faster speed, the 300 ms pause between
    // radios; prompt, line and exit for each radio.
    rows.push_back(
        {"Configure", at, 300.0 * k + 300 + 6 * kReplyMs,
         [](QuietFeedback& f) {
           CSerialPort port;
           LinkChoices choices;
           choices.comPort = "COM1";
           RadioConfigurator(port, SystemClock(), f).ConfigureRadios(choices, AdvancedSettings{});
         },
         PairAt(s, s)});
  }
  for (int k = 0; k < 4; ++k) {
    std::uint32_t s = writeSpeeds[k];
    for (bool asClient : {true, false}) {
      // Two 200 ms prompt waits per faster speed; a Client answers the
      // first escape and settles 420 ms, a Server answers the second.
      double ideal = 400.0 * k + (asClient ? 420 : 200) + 3 * kReplyMs;
      rows.push_back({"Initialize", (asClient ? "Client at " : "Server at ") + std::to_string(s),
                      ideal,
                      [](QuietFeedback& f) {
                        CSerialPort port;
                        LinkChoices choices;
                        choices.comPort = "COM1";
                        InitializeRadio(RadioRole::Client, choices, AdvancedSettings{}, port,
                                        SystemClock(), f);
                      },
                      PairAt(s, s, !asClient, asClient)});
    }
  }
  return rows;
}

void TimeOutTable() {
  sim::PtyRadioServer server(PairAt(19200, 19200, false, false));
  std::string error;
  if (!server.Start(&error) || !server.LinkAs(g_portsDir, kCom, &error)) return;
  CSerialPort port;
  port.SetParams(kCom, 19200);
  port.Open();
  port.Write("\r", 1);  // applies the read time-out
  std::vector<double> reads;
  double cpu = 0;
  for (int i = 0; i < 20; ++i) {
    std::uint8_t byte;
    OperationTimer timer;
    port.ReadByte(&byte);
    reads.push_back(timer.WallMs());
    cpu += timer.CpuMs();
  }
  std::sort(reads.begin(), reads.end());
  std::printf(
      "\nReadByte with nothing pending (20 reads): min %.2f ms, median %.2f ms, max %.2f ms,"
      " CPU %.2f ms in all\n",
      reads.front(), (reads[9] + reads[10]) / 2, reads.back(), cpu);

  std::vector<double> overshoot;
  for (std::uint32_t timeout : {0u, 30u, 200u, 300u, 400u}) {
    OperationTimer timer;
    WaitForPrompt(port, SystemClock(), timeout);
    overshoot.push_back(timer.WallMs() - timeout);
    std::printf("WaitForPrompt(%u) with no reply: %.2f ms past its deadline\n", timeout,
                overshoot.back());
  }
  port.Close();
}

// Start-up cost of the command-line tool: exec to exit of a command that
// touches no radio, and the largest resident size it reached.
void StartUpTable(const std::filesystem::path& workDir) {
  std::printf("\n%-28s %9s %9s %9s %10s\n", "start-up (10 runs)", "min ms", "median ms", "max ms",
              "max RSS KB");
  for (const char* command : {"--help", "settings", "ports"}) {
    std::vector<double> times;
    long maxRss = 0;
    for (int i = 0; i < 10; ++i) {
      OperationTimer timer;
      pid_t child = fork();
      if (child == 0) {
        if (chdir(workDir.c_str()) != 0) _exit(127);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execl(ZORVETH_CLI_PATH, "zorveth-cli", command, static_cast<char*>(nullptr));
        _exit(127);
      }
      int status = 0;
      rusage usage{};
      wait4(child, &status, 0, &usage);
      times.push_back(timer.WallMs());
      maxRss = std::max(maxRss, usage.ru_maxrss);
    }
    std::sort(times.begin(), times.end());
    std::printf("zorveth-cli %-16s %9.2f %9.2f %9.2f %10ld\n", command, times.front(),
                (times[4] + times[5]) / 2, times.back(), maxRss);
  }
}

}  // namespace
}  // namespace zorveth::bench

// With "trace" as its argument only the cost of tracing is measured, with
// "scan" only the scan of many ports at once, with "apply" only apply, with
// "monitor" only the signal monitor.
int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  namespace fs = std::filesystem;
  // A private port map, so the benchmark never touches the user's.
  fs::path home = fs::temp_directory_path() / ("zorveth-bench-" + std::to_string(getpid()));
  zorveth::bench::g_portsDir = home / "zorveth" / "ports";
  fs::create_directories(zorveth::bench::g_portsDir);
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);

  if (only.empty()) {
    std::printf("%-12s %-22s %9s %9s %7s %8s %7s  %s\n", "operation", "setup", "wall ms",
                "ideal ms", "ratio", "CPU ms", "CPU", "outcome");
    for (const auto& row : zorveth::bench::OperationRows()) zorveth::bench::Measure(row);
    zorveth::bench::TimeOutTable();
    zorveth::bench::StartUpTable(home);
  }
  if (only.empty() || only == "trace") {
    zorveth::bench::TraceCostTable(zorveth::bench::g_portsDir, home);
  }
  if (only.empty() || only == "scan") zorveth::bench::ScanTable(zorveth::bench::g_portsDir);
  if (only.empty() || only == "apply") zorveth::bench::ApplyTable(zorveth::bench::g_portsDir);
  if (only.empty() || only == "monitor") {
    zorveth::bench::MonitorTable(zorveth::bench::g_portsDir);
  }
  fs::remove_all(home);
  return 0;
}
