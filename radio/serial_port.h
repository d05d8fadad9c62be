#pragma once

#include <cstdint>
#include <string>

#include "radio/clock.h"
#include "radio/command_mode.h"
#include "radio/radio_port.h"

namespace zorveth {

// A serial device COM<n>, opened exclusively at 8N1 with the set speed.
// Port number and speed are public settings: SetParams sets both, callers
// may also assign them one by one (Configure changes only the speed between
// attempts).
class CSerialPort : public CRadioPort {
 public:
  using NativeHandle = std::intptr_t;
  static constexpr NativeHandle kInvalidHandle = -1;

  explicit CSerialPort(Clock& clock = SystemClock());
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  void SetParams(std::int16_t portNumber, std::uint32_t speed) {
    m_portNumber = portNumber;
    m_speed = speed;
  }

  std::int16_t Open() override;
  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  bool Purge() override;

  // Command mode on this port, timed on this port's clock.
  bool EnterCommandMode(RadioRole role, std::uint32_t timeoutMs) {
    return zorveth::EnterCommandMode(*this, m_clock, role, timeoutMs);
  }
  bool WaitForPrompt(std::uint32_t timeoutMs) {
    return zorveth::WaitForPrompt(*this, m_clock, timeoutMs);
  }
  std::string ReadLine(std::uint32_t timeoutMs) {
    return zorveth::ReadLine(*this, m_clock, timeoutMs);
  }
  bool LeaveCommandMode(std::uint32_t timeoutMs) {
    return zorveth::LeaveCommandMode(*this, m_clock, timeoutMs);
  }
  std::uint16_t QueryValue(const std::string& registerName) {
    return zorveth::QueryValue(*this, m_clock, registerName);
  }

  Clock& GetClock() { return m_clock; }
  NativeHandle Handle() const { return m_handle; }
  // Why the last Open failed, in words a user can act on (device path and
  // the system's reason); empty after a successful Open.
  const std::string& LastOpenError() const { return m_lastOpenError; }

  std::int16_t m_portNumber = 0;
  std::uint32_t m_speed = 0;

 protected:
  Clock& m_clock;
  NativeHandle m_handle = kInvalidHandle;
  // Raise RTS only while sending: known at Open whether the device lets us.
  bool m_rtsWhileSending = false;
  // Whether this port set the exclusive-use flag (and so must clear it).
  bool m_exclusive = false;
  std::string m_lastOpenError;
};

}  // namespace zorveth
