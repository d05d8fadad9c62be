#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "port/radio_port.h"
#include "tests/support/fake_clock.h"

namespace zorveth::testing {

// A port on a fake clock. What the radio "sends" is queued with the
// time it becomes readable; ReadByte advances the clock like the real port
// (to the byte's arrival, or by the port's read time-out). Every operation is
// recorded with its time so tests can check order and timing exactly.
class FakeSerialPort : public CPortWithParams {
 public:
  struct Event {
    std::uint64_t timeMs;  // since FakeClock::kStart
    std::string what;      // "open 38400", "close", "purge", "write <bytes>"
  };
  // Called with every write: the bytes and the speed the port is open at.
  using Responder = std::function<void(FakeSerialPort&, const std::string&, std::uint32_t)>;

  explicit FakeSerialPort(FakeClock& clock) : m_fakeClock(clock) {}

  std::string LastOpenError() const override { return m_lastOpenError; }
  OpenFailure LastOpenFailure() const override { return m_lastOpenFailure; }

  std::int16_t Open() override;
  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  bool Purge() override;

  // Queues bytes that become readable delayMs from now (after what is
  // already queued).
  void Send(const std::string& bytes, std::uint64_t delayMs = 1);
  void SetResponder(Responder responder) { m_responder = std::move(responder); }
  // Opens fail at these speeds (e.g. a reopen that goes wrong).
  std::vector<std::uint32_t> failOpenAt;
  bool failAllOpens = false;
  // Writes fail after their wire time and the grace, as on a device that
  // stopped taking data.
  bool stallWrites = false;
  bool WriteStalled() const override { return m_writeStalled; }
  // How long a read with nothing to read takes: the port's read time-out,
  // or less for a port whose reads come back early.
  std::uint32_t readSliceMs = kReadByteTimeoutMs;
  // What a failed open reports as its kind.
  OpenFailure failureKind = OpenFailure::Other;

  const std::vector<Event>& Events() const { return m_events; }
  // Concatenation of all bytes written at the given speed (0: any speed).
  std::string Written(std::uint32_t speed = 0) const;
  std::vector<std::string> Writes() const;
  int OpenCount() const { return m_openCount; }
  bool IsOpen() const { return m_open; }
  std::uint32_t OpenSpeed() const { return m_openSpeed; }
  bool TimeoutsPending() const { return m_timeoutsPending; }

 protected:
  std::string m_lastOpenError;
  OpenFailure m_lastOpenFailure = OpenFailure::None;

 private:
  struct Pending {
    std::uint64_t at;
    std::uint8_t byte;
  };
  void Record(const std::string& what);

  FakeClock& m_fakeClock;
  Responder m_responder;
  std::deque<Pending> m_rx;
  std::vector<Event> m_events;
  std::vector<std::pair<std::uint32_t, std::string>> m_writes;
  bool m_timeoutsPending = false;
  bool m_writeStalled = false;
  bool m_open = false;
  std::uint32_t m_openSpeed = 0;
  int m_openCount = 0;
};

}  // namespace zorveth::testing
