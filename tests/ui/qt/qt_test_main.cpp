// Runs the Qt backend tests without a display: the offscreen platform, a
// private runtime directory, and a watchdog that ends a test that hangs in
// a modal loop instead of letting it block the whole run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QByteArray>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Generous: only a hung test reaches it, never a slow machine.
constexpr std::chrono::seconds kHangLimit{120};

class Watchdog : public testing::EmptyTestEventListener {
 public:
  Watchdog() : m_thread([this] { Watch(); }) {}
  ~Watchdog() override {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
  }
  void OnTestStart(const testing::TestInfo& info) override {
    std::lock_guard lock(m_mutex);
    m_current = std::string(info.test_suite_name()) + "." + info.name();
    ++m_generation;
    m_wake.notify_all();
  }
  void OnTestEnd(const testing::TestInfo&) override {
    std::lock_guard lock(m_mutex);
    m_current.clear();
    ++m_generation;
    m_wake.notify_all();
  }

 private:
  void Watch() {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
      if (m_current.empty()) {
        m_wake.wait(lock);
        continue;
      }
      const int generation = m_generation;
      if (!m_wake.wait_for(lock, kHangLimit,
                           [&] { return m_stop || m_generation != generation; })) {
        std::fprintf(stderr, "test %s hung; aborting\n", m_current.c_str());
        std::abort();
      }
    }
  }

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::string m_current;
  int m_generation = 0;
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  char runtimeDir[] = "/tmp/zorveth-qt-test-XXXXXX";
  if (mkdtemp(runtimeDir)) {
    chmod(runtimeDir, 0700);
    qputenv("XDG_RUNTIME_DIR", runtimeDir);
  }
  testing::InitGoogleTest(&argc, argv);
  int status = 0;
  {
    QApplication application(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    status = RUN_ALL_TESTS();
  }
  rmdir(runtimeDir);
  return status;
}
