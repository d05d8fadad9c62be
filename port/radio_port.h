#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "port/link_step.h"

namespace zorveth {

class CancellationToken;

// Status codes of the port operations (16-bit signed, 0 is success).
inline constexpr std::int16_t kPortOk = 0;
inline constexpr std::int16_t kPortWriteFailed = -100;
inline constexpr std::int16_t kPortOpenFailed = -101;
inline constexpr std::int16_t kPortCloseFailed = -102;

// How long ReadByte waits for a byte before it gives up.
inline constexpr std::uint32_t kReadByteTimeoutMs = 50;
// What a write may take beyond its bytes' own time on the wire before the
// device counts as having stopped accepting data.
inline constexpr std::uint32_t kWriteGraceMs = 1000;

// Ten bits a byte (start, eight data, stop) at the line speed, rounded up.
constexpr std::uint32_t WireTimeMs(std::size_t bytes, std::uint32_t speed) {
  return speed == 0 ? 0 : static_cast<std::uint32_t>((bytes * 10 * 1000 + speed - 1) / speed);
}

// Why an Open failed, as far as a caller acts on it: a scan for radios
// reports a busy port differently from one it may not use or that is gone.
enum class OpenFailure {
  None,          // the last Open succeeded (or none was made)
  NoSuchPort,    // no device behind the COM number
  Busy,          // another program holds the device
  AccessDenied,  // the user may not open the device
  Other,
};

// The byte stream to the radios. Everything above it (command mode and the
// radio operations) is written against this interface plus a Clock and does
// its own waiting by calling ReadByte. A new kind of port (serial device,
// network port, tracing decorator, test fake) is one class implementing it.
//
// The contract every implementation keeps:
// - Calling order: SetParams, Open, then any number of Purge, Write and
//   ReadByte, then Close. The speed is changed by Close, SetParams, Open.
// - A failed Open may still hold the device (a half-configured line): the
//   caller releases it with Close after a failed Open as well. LastOpenError
//   then says why, in words a user can act on; it is empty after a
//   successful Open.
// - Close releases the device and forgets it: a second Close returns
//   kPortCloseFailed and touches nothing. Destroying a port object never
//   closes its device; only Close does.
// - The first Write after every Open applies the 50 ms read time-out before
//   it sends; until then reads run under whatever the device had. Every
//   caller writes before it reads.
// - ReadByte returns as soon as a byte is there, or after about 50 ms with
//   nothing. It keeps that pace on a failed, closed or hung-up device too, so
//   the callers' wait loops never turn into busy loops.
class CRadioPort {
 public:
  virtual ~CRadioPort() = default;

  // The COM port number and line speed the next Open uses; touches nothing
  // else.
  virtual void SetParams(std::int16_t portNumber, std::uint32_t speed) = 0;
  virtual std::int16_t PortNumber() const = 0;
  virtual std::uint32_t Speed() const = 0;

  // kPortOk, or kPortOpenFailed on any failure.
  virtual std::int16_t Open() = 0;
  // kPortOk, or kPortCloseFailed when nothing was open or the system refused.
  virtual std::int16_t Close() = 0;
  // Writes length bytes (0 to 32767): kPortOk or kPortWriteFailed. A
  // device that stops taking data (hardware handshake held off, a wedged
  // adapter) fails the write after the bytes' wire time and kWriteGraceMs.
  virtual std::int16_t Write(const void* data, std::int16_t length) = 0;
  // 1 when a byte arrived and was stored in *byte; 0 on time-out or failure,
  // leaving *byte untouched.
  virtual std::int16_t ReadByte(std::uint8_t* byte) = 0;
  // Discards bytes received but not yet read; nothing being sent is touched.
  virtual bool Purge() = 0;

  // Why the last Open failed; empty after a successful one.
  virtual std::string LastOpenError() const = 0;
  // The kind of the last Open's failure. Ports that cannot tell only
  // distinguish success from failure.
  virtual OpenFailure LastOpenFailure() const {
    return LastOpenError().empty() ? OpenFailure::None : OpenFailure::Other;
  }

  // Whether the last Write failed because the device stopped accepting
  // data within its time, rather than because it failed outright.
  virtual bool WriteStalled() const { return false; }

  // The port's name as the user gave it ("COM3", "rfc2217://10.0.0.5:4001"),
  // for traces and messages.
  virtual std::string Name() const = 0;

  // Told by the command-mode primitives what the protocol is doing; a
  // device ignores it, a port in between may listen and passes it on.
  virtual void NoteStep(const LinkStep& /*step*/) {}

  // The token whose setting ends the port's own blocking waits early (a
  // write that cannot go out, a connect, a name lookup): the call then
  // fails as it would on its time-out. nullptr: none. The token outlives
  // the port's use of it.
  virtual void WakeOn(const CancellationToken* /*token*/) {}
};

// A port that keeps its own port number and speed for the next Open (every
// port but a decorator, which passes them on). They are public settings:
// SetParams sets both, a caller may also assign them one by one.
class CPortWithParams : public CRadioPort {
 public:
  void SetParams(std::int16_t portNumber, std::uint32_t speed) override {
    m_portNumber = portNumber;
    m_speed = speed;
  }
  std::int16_t PortNumber() const override { return m_portNumber; }
  std::uint32_t Speed() const override { return m_speed; }
  // "COM<n>" after the number set.
  std::string Name() const override { return "COM" + std::to_string(m_portNumber); }

  std::int16_t m_portNumber = 0;
  std::uint32_t m_speed = 0;
};

// A port over another port that changes some of what passes through and
// forwards everything else unchanged: the wire trace, the interrupt handling.
class ForwardingPort : public CRadioPort {
 public:
  explicit ForwardingPort(CRadioPort& inner) : m_inner(inner) {}

  void SetParams(std::int16_t portNumber, std::uint32_t speed) override {
    m_inner.SetParams(portNumber, speed);
  }
  std::int16_t PortNumber() const override { return m_inner.PortNumber(); }
  std::uint32_t Speed() const override { return m_inner.Speed(); }
  std::int16_t Open() override { return m_inner.Open(); }
  std::int16_t Close() override { return m_inner.Close(); }
  std::int16_t Write(const void* data, std::int16_t length) override {
    return m_inner.Write(data, length);
  }
  std::int16_t ReadByte(std::uint8_t* byte) override { return m_inner.ReadByte(byte); }
  bool Purge() override { return m_inner.Purge(); }
  std::string LastOpenError() const override { return m_inner.LastOpenError(); }
  OpenFailure LastOpenFailure() const override { return m_inner.LastOpenFailure(); }
  std::string Name() const override { return m_inner.Name(); }
  bool WriteStalled() const override { return m_inner.WriteStalled(); }
  void NoteStep(const LinkStep& step) override { m_inner.NoteStep(step); }
  void WakeOn(const CancellationToken* token) override { m_inner.WakeOn(token); }

 protected:
  CRadioPort& Inner() const { return m_inner; }

 private:
  CRadioPort& m_inner;
};

// Closes the port when it goes out of scope, so every path of an operation
// releases the device (also after a failed Open, which may hold it). CloseNow
// closes it earlier where an operation must release it before telling the
// user; the port is then closed exactly once.
class ScopedPortClose {
 public:
  explicit ScopedPortClose(CRadioPort& port) : m_port(port) {}
  ~ScopedPortClose() { CloseNow(); }
  ScopedPortClose(const ScopedPortClose&) = delete;
  ScopedPortClose& operator=(const ScopedPortClose&) = delete;

  void CloseNow() {
    if (m_open) m_port.Close();
    m_open = false;
  }

 private:
  CRadioPort& m_port;
  bool m_open = true;
};

}  // namespace zorveth
