#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdint>

namespace zorveth::bench {

// Wall time and the CPU time of the calling thread only (the simulator runs
// in a thread of its own and is not the tool's cost).
class OperationTimer {
 public:
  OperationTimer() : m_wallStart(std::chrono::steady_clock::now()), m_cpuStart(ThreadCpuMs()) {}
  double WallMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_wallStart)
        .count();
  }
  double CpuMs() const { return ThreadCpuMs() - m_cpuStart; }

  static double ThreadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  }

 private:
  std::chrono::steady_clock::time_point m_wallStart;
  double m_cpuStart;
};

}  // namespace zorveth::bench
