#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "port/clock.h"
#include "port/radio_port.h"
#include "trace/wire_log.h"

namespace zorveth {

// A port that records into a WireLog every byte that passes through it:
// each successful write whole, each byte read, with the time on its clock,
// the port's name, the speed the inner port is set to and the step command
// mode said the write belongs to. Everything else is passed through
// unchanged, so an operation over it sends and reads exactly what it would
// over the inner port.
//
// The clock should be one that never throws (not a CancellableClock): a
// trace is most useful for the operation that was interrupted.
class TracingPort : public ForwardingPort {
 public:
  // Records what passes through `inner`, which the caller keeps alive.
  TracingPort(CRadioPort& inner, Clock& clock, WireLog& log)
      : ForwardingPort(inner), m_clock(clock), m_log(log) {}
  // Owns `inner`, for ports handed out as one object (the dialogs' ports).
  TracingPort(std::unique_ptr<CRadioPort> inner, Clock& clock, WireLog& log)
      : ForwardingPort(*inner), m_owned(std::move(inner)), m_clock(clock), m_log(log) {}

  void SetParams(std::int16_t portNumber, std::uint32_t speed) override;
  std::int16_t Open() override;
  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  void NoteStep(const LinkStep& step) override;

  WireLog& Log() { return m_log; }

 private:
  std::unique_ptr<CRadioPort> m_owned;
  Clock& m_clock;
  WireLog& m_log;
  // The step the next write belongs to; a settings line keeps its step
  // until its last byte has gone.
  const char* m_step = nullptr;
  bool m_inLine = false;
};

// Wraps a port so that everything through it is recorded into `log`; for
// a factory of ports such as the dialogs' createPort:
//   createPort = [&log, clock, make = createPort] {
//     return TraceInto(log, *clock, make());
//   };
std::unique_ptr<CRadioPort> TraceInto(WireLog& log, Clock& clock,
                                      std::unique_ptr<CRadioPort> inner);

}  // namespace zorveth
