#pragma once

#include <cstdint>
#include <string>

#include "port/cancellation.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth {

// A port that, once the token is set, sends nothing more of the operation
// and leaves the radios working: Write and ReadByte throw
// OperationCancelled, and Close first ends command mode on a radio that may
// be in it (an escape went out and no confirmed exit since) with one "ATE\r",
// waiting up to 400 ms for its confirmation on the uncancellable clock.
// Without a cancellation it passes everything through unchanged.
class CancellablePort : public CRadioPort {
 public:
  static constexpr std::uint32_t kLeaveTimeoutMs = 400;

  CancellablePort(CRadioPort& inner, Clock& clock, const CancellationToken& token)
      : m_inner(inner), m_clock(clock), m_token(token) {}

  void SetParams(std::int16_t portNumber, std::uint32_t speed) override {
    m_inner.SetParams(portNumber, speed);
  }
  std::int16_t PortNumber() const override { return m_inner.PortNumber(); }
  std::uint32_t Speed() const override { return m_inner.Speed(); }
  std::int16_t Open() override;
  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  bool Purge() override { return m_inner.Purge(); }
  std::string LastOpenError() const override { return m_inner.LastOpenError(); }
  OpenFailure LastOpenFailure() const override { return m_inner.LastOpenFailure(); }

  // Whether a radio may be in command mode: an escape went out on the open
  // port and no exit confirmed ("ATE\n\r" read after "ATE\r") since.
  bool MayBeInCommandMode() const { return m_mayBeInCommandMode; }
  // Whether Close sent the exit command after a cancellation, and whether
  // the radio confirmed it.
  bool ExitSentOnCancel() const { return m_exitSentOnCancel; }
  bool ExitConfirmedOnCancel() const { return m_exitConfirmedOnCancel; }

 private:
  CRadioPort& m_inner;
  Clock& m_clock;
  const CancellationToken& m_token;
  bool m_mayBeInCommandMode = false;
  // The last bytes read since an exit command went out.
  std::string m_sinceExit;
  bool m_exitPending = false;
  bool m_exitSentOnCancel = false;
  bool m_exitConfirmedOnCancel = false;
};

}  // namespace zorveth
