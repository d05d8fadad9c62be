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
// the port number and the speed the inner port is set to. Everything else
// is passed through unchanged, so an operation over it sends and reads
// exactly what it would over the inner port.
//
// The clock should be one that never throws (not a CancellableClock): a
// trace is most useful for the operation that was interrupted.
class TracingPort : public CRadioPort {
 public:
  // Records what passes through `inner`, which the caller keeps alive.
  TracingPort(CRadioPort& inner, Clock& clock, WireLog& log)
      : m_inner(inner), m_clock(clock), m_log(log) {}
  // Owns `inner`, for ports handed out as one object (the dialogs' ports).
  TracingPort(std::unique_ptr<CRadioPort> inner, Clock& clock, WireLog& log)
      : m_owned(std::move(inner)), m_inner(*m_owned), m_clock(clock), m_log(log) {}

  void SetParams(std::int16_t portNumber, std::uint32_t speed) override;
  std::int16_t PortNumber() const override { return m_inner.PortNumber(); }
  std::uint32_t Speed() const override { return m_inner.Speed(); }
  std::int16_t Open() override;
  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  bool Purge() override { return m_inner.Purge(); }
  std::string LastOpenError() const override { return m_inner.LastOpenError(); }

  WireLog& Log() { return m_log; }

 private:
  std::unique_ptr<CRadioPort> m_owned;
  CRadioPort& m_inner;
  Clock& m_clock;
  WireLog& m_log;
};

// Wraps a port so that everything through it is recorded into `log`; for
// a factory of ports such as the dialogs' createPort:
//   createPort = [&log, clock, make = createPort] {
//     return TraceInto(log, *clock, make());
//   };
std::unique_ptr<CRadioPort> TraceInto(WireLog& log, Clock& clock,
                                      std::unique_ptr<CRadioPort> inner);

}  // namespace zorveth
