#include "bench/trace_cost.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/operation_timer.h"
#include "link/settings_poll.h"
#include "port/serial_port.h"
#include "sim/pty_radio_server.h"
#include "trace/tracing_port.h"

namespace zorveth::bench {
namespace {

constexpr int kCom = 1;
// Traced and untraced runs alternate, each going first every other time,
// so a change in the machine's load or an effect of the run before falls
// on both alike.
constexpr int kRuns = 12;

class SilentFeedback : public OperationFeedback, public LineSink {
 public:
  void ShowMessage(const std::string&) override {}
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  void AppendLine(const std::string&) override {}
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Sample {
  double wallMs = 0;
  double cpuMs = 0;
  double memoryKb = 0;
};

Sample PollInProcess(bool traced) {
  CSerialPort serial;
  WireLog log(SystemClock().NowMs());
  log.BeginOperation("poll both");
  TracingPort tracing(serial, SystemClock(), log);
  SilentFeedback feedback;
  std::string portText = "COM" + std::to_string(kCom);
  SettingsPoll poll(portText, traced ? static_cast<CRadioPort&>(tracing) : serial, SystemClock(),
                    feedback, feedback);
  OperationTimer timer;
  poll.PollBoth();
  Sample sample{timer.WallMs(), timer.CpuMs(), 0};
  if (traced) {
    const std::string text = log.Text();  // what writing the trace out formats
    sample.cpuMs = timer.CpuMs();
    sample.memoryKb = static_cast<double>(log.MemoryUse()) / 1024;
  }
  return sample;
}

Sample PollProcess(bool traced, const std::filesystem::path& workDir) {
  OperationTimer timer;
  pid_t child = fork();
  if (child == 0) {
    if (chdir(workDir.c_str()) != 0) _exit(127);
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    const std::string port = "COM" + std::to_string(kCom);
    if (traced) {
      execl(ZORVETH_CLI_PATH, "zorveth-cli", "poll", "both", "--port", port.c_str(), "--trace",
            "bench.trace", static_cast<char*>(nullptr));
    } else {
      execl(ZORVETH_CLI_PATH, "zorveth-cli", "poll", "both", "--port", port.c_str(),
            static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  Sample sample;
  sample.wallMs = timer.WallMs();
  sample.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  sample.memoryKb = static_cast<double>(usage.ru_maxrss);
  return sample;
}

void PrintRow(const char* what, const char* unit, const std::vector<double>& plain,
              const std::vector<double>& traced) {
  const double a = Median(plain);
  const double b = Median(traced);
  std::printf("%-34s %10.2f %10.2f %8.4f  %s\n", what, a, b, a > 0 ? b / a : 0.0, unit);
}

}  // namespace

void TraceCostTable(const std::filesystem::path& portsDir, const std::filesystem::path& workDir) {
  // At 38400 baud the poll has no silent prompt wait, whose end the 50 ms
  // read time-out makes vary by up to 50 ms from run to run.
  sim::PairConfig pair = sim::DefaultPairConfig();
  pair.server.speed = pair.client.speed = 38400;
  sim::PtyRadioServer server(pair);
  std::string error;
  if (!server.Start(&error) || !server.LinkAs(portsDir, kCom, &error)) {
    std::printf("trace cost: simulator failed: %s\n", error.c_str());
    return;
  }
  std::printf("\n%-34s %10s %10s %8s  (median of %d, radios at 38400)\n", "tracing poll both",
              "untraced", "traced", "ratio", kRuns);
  std::vector<double> wall[2], cpu[2], memory[2];
  for (int i = 0; i < kRuns; ++i) {
    for (bool traced : {i % 2 == 1, i % 2 == 0}) {
      const Sample sample = PollInProcess(traced);
      wall[traced].push_back(sample.wallMs);
      cpu[traced].push_back(sample.cpuMs);
      memory[traced].push_back(sample.memoryKb);
    }
  }
  PrintRow("PollBoth wall", "ms", wall[0], wall[1]);
  PrintRow("PollBoth CPU (trace text included)", "ms", cpu[0], cpu[1]);
  // Tracing never waits: all it can add to an operation's wall time is the
  // CPU time it takes. The measured wall times vary by a few milliseconds
  // with the scheduling of the simulator's thread; this ratio does not.
  const double addedCpu = std::max(0.0, Median(cpu[1]) - Median(cpu[0]));
  std::printf("%-34s %10.2f %10.2f %8.4f  ms\n", "PollBoth wall + added CPU", Median(wall[0]),
              Median(wall[0]) + addedCpu, (Median(wall[0]) + addedCpu) / Median(wall[0]));
  std::printf("%-34s %10s %10.2f %8s  KB\n", "trace held in memory", "-", Median(memory[1]), "");

  for (auto& list : {&wall, &cpu, &memory}) {
    (*list)[0].clear();
    (*list)[1].clear();
  }
  for (int i = 0; i < kRuns; ++i) {
    for (bool traced : {i % 2 == 1, i % 2 == 0}) {
      const Sample sample = PollProcess(traced, workDir);
      wall[traced].push_back(sample.wallMs);
      cpu[traced].push_back(sample.cpuMs);
      memory[traced].push_back(sample.memoryKb);
    }
  }
  PrintRow("zorveth-cli poll both wall", "ms", wall[0], wall[1]);
  PrintRow("zorveth-cli poll both CPU", "ms", cpu[0], cpu[1]);
  PrintRow("zorveth-cli poll both max RSS", "KB", memory[0], memory[1]);
  server.Stop();
}

}  // namespace zorveth::bench
