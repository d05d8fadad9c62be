#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth::fuzz {

// Time for the fuzz targets: it moves only when the port reads or the code
// sleeps, so every deadline is reached after a bounded number of reads.
class FuzzClock : public Clock {
 public:
  std::uint64_t NowMs() override { return m_now; }
  void SleepMs(std::uint32_t milliseconds) override { m_now += milliseconds; }
  void Advance(std::uint64_t milliseconds) { m_now += milliseconds; }

 private:
  std::uint64_t m_now = 1000;
};

// A byte-stream port whose incoming bytes are the fuzzer's input. Each read
// takes the next input byte and lets 1 ms pass; the byte kSilence instead
// makes that read time out after 50 ms, as does every read once the input is
// used up. What the code writes is kept, and so is what each read delivered,
// split at every write (one exchange per write).
class FuzzPort : public CRadioPort {
 public:
  static constexpr std::uint8_t kSilence = 0xFD;
  static constexpr std::uint32_t kReadTimeoutMs = kReadByteTimeoutMs;

  FuzzPort(const std::uint8_t* data, std::size_t size, FuzzClock& clock)
      : m_data(data), m_size(size), m_clock(clock) {}

  void SetParams(std::int16_t portNumber, std::uint32_t speed) override {
    m_portNumber = portNumber;
    m_speed = speed;
  }
  std::int16_t PortNumber() const override { return m_portNumber; }
  std::uint32_t Speed() const override { return m_speed; }
  std::int16_t Open() override;
  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  bool Purge() override { return true; }
  std::string LastOpenError() const override { return m_failOpens ? "refused" : ""; }
  std::string Name() const override { return "COM" + std::to_string(m_portNumber); }

  // Opens fail while this is set (the device stays held until Close, as a
  // half-configured line would).
  void FailOpens(bool fail) { m_failOpens = fail; }
  // Open number n (from 0) fails when bit n of the mask is set.
  void FailOpensByMask(std::uint8_t mask) { m_failMask = mask; }
  bool IsOpen() const { return m_open; }
  std::size_t Opens() const { return m_opens; }
  // Calls outside the port's calling order: I/O while closed, Close
  // without Open.
  std::size_t MisorderedCalls() const { return m_misordered; }
  const std::string& Written() const { return m_written; }
  // The bytes delivered since the last write (or since the start).
  const std::string& ReceivedSinceWrite() const { return m_exchanges.back(); }
  const std::vector<std::string>& Exchanges() const { return m_exchanges; }
  std::size_t Reads() const { return m_reads; }
  std::size_t Remaining() const { return m_size - m_position; }
  // Forgets the exchanges so far (the written bytes stay).
  void ClearExchanges() { m_exchanges.assign(1, std::string()); }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_position = 0;
  FuzzClock& m_clock;
  std::int16_t m_portNumber = 0;
  std::uint32_t m_speed = 0;
  bool m_open = false;
  bool m_failOpens = false;
  std::uint8_t m_failMask = 0;
  std::size_t m_opens = 0;
  std::size_t m_misordered = 0;
  std::size_t m_reads = 0;
  std::string m_written;
  std::vector<std::string> m_exchanges = {std::string()};
};

}  // namespace zorveth::fuzz
