#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

#include "trace/wire_trace.h"

namespace zorveth {

// The wire traces of the last operations, kept in memory only: at most
// maxOperations operations and about maxBytes of memory. The oldest
// operations go first; an operation that alone outgrows the budget keeps
// its beginning and records nothing more (DroppedBytes counts what was
// left out). Every member locks, so a tracing port may record on one
// thread while another asks for the text.
class WireLog {
 public:
  static constexpr std::size_t kDefaultMaxOperations = 20;
  static constexpr std::size_t kDefaultMaxBytes = 1024 * 1024;

  // startMs: the time on the recording clock that the text counts from.
  explicit WireLog(std::uint64_t startMs, std::size_t maxOperations = kDefaultMaxOperations,
                   std::size_t maxBytes = kDefaultMaxBytes);
  WireLog(const WireLog&) = delete;
  WireLog& operator=(const WireLog&) = delete;

  // Starts a new operation; what is recorded from now on belongs to it
  // ("poll server", "configure", ...). Bytes recorded before any operation
  // began go to one without a name.
  void BeginOperation(std::string name);

  // step: a fixed text, never freed ("query FP").
  void RecordSent(std::uint64_t timeMs, std::string_view port, std::uint32_t speed,
                  const char* step, std::string_view bytes);
  void RecordReceived(std::uint64_t timeMs, std::string_view port, std::uint32_t speed,
                      std::uint8_t byte);
  // The port was closed or is about to change speed: received bytes after
  // this start a new entry.
  void EndRun();

  // Every entry kept, oldest first, in the text form of
  // FormatWireTraceLine, each line ending in "\n"; empty when nothing was
  // recorded.
  std::string Text() const;
  bool Empty() const;
  void Clear();

  std::size_t OperationCount() const;
  std::size_t MemoryUse() const;
  std::size_t DroppedBytes() const;

 private:
  WireTrace& Current();
  // Makes room for `cost` more bytes in the current operation; false when
  // it alone would outgrow the budget.
  bool MakeRoom(std::size_t cost);

  mutable std::mutex m_mutex;
  const std::uint64_t m_startMs;
  const std::size_t m_maxOperations;
  const std::size_t m_maxBytes;
  std::deque<WireTrace> m_operations;
  // Memory of every operation but the current (last) one.
  std::size_t m_finishedMemory = 0;
  std::size_t m_droppedBytes = 0;
};

}  // namespace zorveth
