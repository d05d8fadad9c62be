#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/radio_config.h"
#include "sim/radio_pair.h"

namespace zorveth::sim {

// Serves a RadioPair on a pseudo-terminal: the tool opens the slave side as its serial port, a
// background thread reads the master side, feeds the model with the line speed the tool set and
// writes the radios' replies when they are due.
class PtyRadioServer {
 public:
  // Receives each batch of log entries as the server thread records them.
  using LogListener = std::function<void(const std::vector<LogEntry>&)>;

  explicit PtyRadioServer(PairConfig config);
  ~PtyRadioServer();
  PtyRadioServer(const PtyRadioServer&) = delete;
  PtyRadioServer& operator=(const PtyRadioServer&) = delete;

  // Opens the pty and starts the background thread. Only once per object.
  bool Start(std::string* error = nullptr);
  // Stops the thread, closes the pty and removes the links made by LinkAs. Idempotent.
  void Stop();
  std::string SlavePath() const;  // e.g. /dev/pts/7
  // Creates <portsDir>/COM<number> -> slave path (replacing an existing link of that name);
  // removed again by Stop.
  bool LinkAs(const std::filesystem::path& portsDir, int number, std::string* error = nullptr);

  std::vector<LogEntry> Log() const;  // thread-safe copy
  void ClearLog();
  // Bytes heard by one slot's radio (0 Server slot, 1 Client slot), as text, in order.
  std::string HeardBy(int slot) const;
  // Bytes the tool was sent by one slot's radio, as text, in order.
  std::string SentBy(int slot) const;
  // Set before Start; called on the server thread, outside the server's lock.
  void SetLogListener(LogListener listener);

  RadioConfig Radio(int slot) const;  // current state, registers and speed after applied writes
  void SetRadio(int slot, const RadioConfig& config);  // change while running (thread-safe)
  bool InCommandMode(int slot) const;
  bool HungUp() const;

 private:
  void Run();
  bool ReadFromTool();
  void SendDueReplies();
  void FlushOutgoing(std::vector<LogEntry>& written);
  void TrackPortOpens();
  void HangUpLocked();
  void Publish(const std::vector<LogEntry>& entries);
  void Wake();
  void CloseDescriptors();
  std::uint64_t NowUs() const;

  mutable std::mutex m_mutex;
  RadioPair m_pair;
  std::vector<LogEntry> m_log;
  std::vector<LogEntry> m_outgoing;  // radio bytes handed over but not yet taken by the pty
  std::size_t m_received = 0;
  bool m_hungUp = false;
  LogListener m_listener;

  int m_master = -1;
  int m_slave =
      -1;  // held, never read: keeps the pty and its settings alive between the tool's opens
  int m_wake = -1;
  int m_portWatch = -1;
  int m_toolOpens = 0;
  std::string m_slavePath;
  std::vector<std::filesystem::path> m_links;
  std::thread m_thread;
  std::atomic<bool> m_stopping{false};
  bool m_started = false;
  std::chrono::steady_clock::time_point m_start;
};

}  // namespace zorveth::sim
