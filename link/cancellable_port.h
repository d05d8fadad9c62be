#pragma once

#include <cstdint>
#include <optional>

#include "port/cancellation.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth {

// A port that, once the token is set, sends nothing more of the operation
// but what leaves the radios working. It follows the protocol's steps as
// command mode tells them:
// - a settings line once begun goes out whole, so no radio hears half a
//   line; the interrupt takes effect at the next wait after it;
// - a radio may be in command mode from an escape until an exit it
//   confirmed, also across the Opens of one operation;
// - Close after an interrupt sends such a radio the one exit "ATE\r" and
//   waits up to 400 ms for its confirmation, on the uncancellable clock.
// Without a cancellation it passes everything through unchanged.
class CancellablePort : public ForwardingPort {
 public:
  static constexpr std::uint32_t kLeaveTimeoutMs = 400;

  // Also hands the token to the ports below, so their own blocking waits
  // end on it too.
  CancellablePort(CRadioPort& inner, Clock& clock, const CancellationToken& token)
      : ForwardingPort(inner), m_clock(clock), m_token(token) {
    inner.WakeOn(&token);
  }

  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  void NoteStep(const LinkStep& step) override;

  // Whether a radio may be in command mode: an escape went out and no exit
  // was confirmed since.
  bool MayBeInCommandMode() const { return m_mayBeInCommandMode; }
  // Whether Close sent the exit command after a cancellation, and whether
  // the radio confirmed it.
  bool ExitSentOnCancel() const { return m_exitSentOnCancel; }
  bool ExitConfirmedOnCancel() const { return m_exitConfirmedOnCancel; }
  // The last step the protocol had taken when the interrupt took effect,
  // and the role last addressed by then; none when nothing had been sent.
  std::optional<LinkStep> StepAtInterrupt() const { return m_stepAtInterrupt; }
  std::optional<RadioRole> LastAddressed() const { return m_lastAddressed; }

 private:
  void NoteInterrupt();
  [[noreturn]] void Stop();

  Clock& m_clock;
  const CancellationToken& m_token;
  bool m_mayBeInCommandMode = false;
  bool m_lineInProgress = false;
  std::optional<LinkStep> m_lastStep;
  std::optional<LinkStep> m_stepAtInterrupt;
  std::optional<RadioRole> m_lastAddressed;
  bool m_stopped = false;
  bool m_exitSentOnCancel = false;
  bool m_exitConfirmedOnCancel = false;
};

}  // namespace zorveth
