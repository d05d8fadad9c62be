#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "port/cancellation.h"
#include "port/radio_port.h"

namespace zorveth {

// A serial device COM<n>, opened exclusively at 8N1 with the set speed.
// Port number and speed are public settings: SetParams sets both, callers
// may also assign them one by one.
//
// Beyond the port contract: Open fails when another program holds the
// device; the handle keeps what the last Open obtained, so after an Open
// that failed past the system's open call the device stays held until
// Close. Close forgets the handle (kInvalidHandle) whatever the system said.
class CSerialPort : public CPortWithParams {
 public:
  using NativeHandle = std::intptr_t;
  static constexpr NativeHandle kInvalidHandle = -1;

  CSerialPort();
  ~CSerialPort() override;
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  std::int16_t Open() override;
  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  bool Purge() override;
  // The device path and the system's reason, e.g.
  // "COM33 (/dev/ttyUSB0): Permission denied; is your user in the dialout group?"
  std::string LastOpenError() const override { return m_lastOpenError; }
  OpenFailure LastOpenFailure() const override { return m_lastOpenFailure; }
  bool WriteStalled() const override { return m_writeStalled; }
  // A write waiting for a device that takes no data gives up soon after
  // the token is set (POSIX; on Windows the write's own time-out ends it).
  void WakeOn(const CancellationToken* token) override { m_wakeOn = token; }

  NativeHandle Handle() const { return m_handle; }
  // Set by every Open, cleared by the first Write that manages to apply the
  // 50 ms read time-out; a Write that fails to apply it leaves it set, so
  // the next one tries again.
  bool TimeoutsPending() const { return m_timeoutsPending; }

 private:
  // What only one platform's backend keeps about the open device.
  struct DeviceState;

  NativeHandle m_handle = kInvalidHandle;
  bool m_timeoutsPending = false;
  bool m_writeStalled = false;
  const CancellationToken* m_wakeOn = nullptr;
  std::string m_lastOpenError;
  OpenFailure m_lastOpenFailure = OpenFailure::None;
  std::unique_ptr<DeviceState> m_device;
};

}  // namespace zorveth
