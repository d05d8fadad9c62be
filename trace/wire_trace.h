#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace zorveth {

enum class WireDirection : std::uint8_t { Sent, Received };

// One entry of a wire trace: a whole write, or a run of received bytes.
struct WireTraceEntry {
  std::uint64_t timeMs = 0;  // on the recording clock
  WireDirection direction = WireDirection::Sent;
  std::string port;         // as the user named it: "COM9", "rfc2217://host:4001"
  std::uint32_t speed = 0;  // the line speed in force
  // What the exchange is ("query FP"); a fixed text, never freed.
  const char* step = "";
  std::string bytes;
};

// The bytes one operation exchanged with the radios, in order. Received
// bytes are grouped: a run of bytes each arriving within kRunGapMs of the
// one before forms one entry, and a carriage return (the radios' line end)
// always closes it. Each write comes with the step command mode said it
// belongs to (the escape, a register query, the exit command, a
// configuration or initialization line), and received bytes take the step
// of the write before them.
class WireTrace {
 public:
  static constexpr std::uint64_t kRunGapMs = 5;

  explicit WireTrace(std::string operation = {}) : m_operation(std::move(operation)) {}

  const std::string& Operation() const { return m_operation; }
  const std::deque<WireTraceEntry>& Entries() const { return m_entries; }

  // step: a fixed text, never freed.
  void AddSent(std::uint64_t timeMs, std::string_view port, std::uint32_t speed, const char* step,
               std::string_view bytes);
  void AddReceived(std::uint64_t timeMs, std::string_view port, std::uint32_t speed,
                   std::uint8_t byte);
  // Ends the current run of received bytes (the port was closed, or its
  // speed is about to change).
  void EndRun() { m_runOpen = false; }

  // About how much memory the trace holds, and what one more entry of
  // byteCount bytes or one more received byte would add.
  std::size_t MemoryUse() const { return m_memoryUse; }
  static std::size_t EntryCost(std::size_t byteCount) { return sizeof(WireTraceEntry) + byteCount; }
  bool ExtendsRun(std::uint64_t timeMs, std::string_view port, std::uint32_t speed) const;

 private:
  std::string m_operation;
  std::deque<WireTraceEntry> m_entries;
  std::size_t m_memoryUse = 0;
  const char* m_step = "";
  bool m_runOpen = false;
  std::uint64_t m_lastReceivedMs = 0;
};

}  // namespace zorveth
