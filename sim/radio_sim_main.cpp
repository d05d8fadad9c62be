// radio-sim: serves a simulated radio pair on a pseudo-terminal until SIGINT or SIGTERM.

#include <signal.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "sim/log_format.h"
#include "sim/port_link.h"
#include "sim/pty_radio_server.h"
#include "sim/radio_sim_options.h"
#include "zorveth/version.h"

namespace {

using zorveth::sim::PtyRadioServer;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Waits for SIGINT or SIGTERM (blocked in every thread), or until the time is up.
void WaitForEnd(const sigset_t& signals, std::optional<double> seconds) {
  if (!seconds) {
    int received = 0;
    while (sigwait(&signals, &received) != 0) {
    }
    return;
  }
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  double whole = std::floor(*seconds);
  deadline.tv_sec += static_cast<time_t>(whole);
  deadline.tv_nsec += static_cast<long>((*seconds - whole) * 1e9);
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  for (;;) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (now.tv_sec > deadline.tv_sec ||
        (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec)) {
      return;
    }
    timespec left{deadline.tv_sec - now.tv_sec, deadline.tv_nsec - now.tv_nsec};
    if (left.tv_nsec < 0) {
      left.tv_sec -= 1;
      left.tv_nsec += 1000000000L;
    }
    if (sigtimedwait(&signals, nullptr, &left) >= 0) return;
    if (errno != EAGAIN && errno != EINTR) return;
  }
}

// Links the pty into the port map when asked, and says where the pair is.
bool Announce(PtyRadioServer& server, const zorveth::sim::RadioSimOptions& options) {
  std::string error;
  if (!options.linkNumber) {
    std::cout << server.SlavePath() << std::endl;
    return true;
  }
  std::filesystem::path portsDir = zorveth::sim::DefaultPortsDir();
  if (portsDir.empty()) {
    std::cerr << "radio-sim: neither XDG_CONFIG_HOME nor HOME is set; cannot find the port map\n";
    return false;
  }
  if (!server.LinkAs(portsDir, *options.linkNumber, &error)) {
    std::cerr << "radio-sim: " << error << "\n";
    return false;
  }
  std::cout << "COM" << *options.linkNumber << " -> " << server.SlavePath() << std::endl;
  return true;
}

// Writes where both radios ended up, for scripts that check what a run did.
bool SaveState(const PtyRadioServer& server, const std::string& path) {
  zorveth::sim::PairConfig final{server.Radio(zorveth::sim::kServerSlot),
                                 server.Radio(zorveth::sim::kClientSlot)};
  std::ofstream state(path, std::ios::trunc);
  state << zorveth::sim::FormatPairState(final);
  if (state.flush()) return true;
  std::cerr << "radio-sim: cannot write " << path << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  zorveth::sim::RadioSimOptions options;
  std::string error;
  if (!zorveth::sim::ParseRadioSimOptions(args, &options, &error)) {
    std::cerr << "radio-sim: " << error << "\n";
    return kExitUsage;
  }
  if (options.help) {
    std::cout << zorveth::sim::RadioSimHelp();
    return 0;
  }
  if (options.version) {
    std::cout << "radio-sim " << zorveth::kVersion << '\n';
    return 0;
  }

  // Blocked before the server thread starts, so that only sigwait below ever takes them.
  sigset_t endSignals;
  sigemptyset(&endSignals);
  sigaddset(&endSignals, SIGINT);
  sigaddset(&endSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<std::FILE, FileCloser> logFile;
  if (options.logFile) {
    logFile.reset(std::fopen(options.logFile->c_str(), "we"));
    if (!logFile) {
      std::cerr << "radio-sim: cannot write " << *options.logFile << ": " << std::strerror(errno)
                << "\n";
      return kExitFailure;
    }
  }

  PtyRadioServer server(options.pair);
  if (logFile) {
    std::FILE* file = logFile.get();
    server.SetLogListener([file](const std::vector<zorveth::sim::LogEntry>& entries) {
      for (const auto& entry : entries) {
        std::fputs(zorveth::sim::FormatLogLine(entry).c_str(), file);
        std::fputc('\n', file);
      }
      std::fflush(file);  // tests read the log while the simulator runs
    });
  }
  if (!server.Start(&error)) {
    std::cerr << "radio-sim: cannot open a pseudo-terminal: " << error << "\n";
    return kExitFailure;
  }
  if (!Announce(server, options)) return kExitFailure;

  WaitForEnd(endSignals, options.exitAfterSeconds);
  server.Stop();

  if (options.stateFile && !SaveState(server, *options.stateFile)) return kExitFailure;
  return 0;
}
