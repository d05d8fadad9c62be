#include "port/clock.h"

#include <chrono>
#include <thread>

#include "port/cancellation.h"

namespace zorveth {
namespace {

class MonotonicClock final : public Clock {
 public:
  std::uint64_t NowMs() override {
    auto since = std::chrono::steady_clock::now() - m_start;
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }
  void SleepMs(std::uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  void SleepUnlessCancelled(std::uint32_t milliseconds, const CancellationToken& token) override {
    token.WaitFor(milliseconds);
  }

 private:
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace

void Clock::SleepUnlessCancelled(std::uint32_t milliseconds, const CancellationToken& /*token*/) {
  SleepMs(milliseconds);
}

Clock& SystemClock() {
  static MonotonicClock clock;
  return clock;
}

}  // namespace zorveth
