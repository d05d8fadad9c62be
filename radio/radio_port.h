#pragma once

#include <cstdint>

namespace zorveth {

// Status codes of the port operations (16-bit signed, 0 is success).
inline constexpr std::int16_t kPortOk = 0;
inline constexpr std::int16_t kPortWriteFailed = -100;
inline constexpr std::int16_t kPortOpenFailed = -101;
inline constexpr std::int16_t kPortCloseFailed = -102;

// The byte stream to the radios. Everything above it (command mode and the
// radio operations) is written against this interface and does its own
// waiting by calling ReadByte, which returns after at most about 50 ms.
class CRadioPort {
 public:
  virtual std::int16_t Open() = 0;
  virtual std::int16_t Close() = 0;
  // Writes length bytes (0 to 32767). The first Write after every Open first
  // applies the 50 ms read time-out.
  virtual std::int16_t Write(const void* data, std::int16_t length) = 0;
  // 1 when a byte arrived and was stored in *byte; 0 on time-out or failure,
  // leaving *byte untouched.
  virtual std::int16_t ReadByte(std::uint8_t* byte) = 0;
  // Discards bytes received but not yet read; nothing being sent is touched.
  virtual bool Purge() = 0;
  // Destroying a port never closes its device; only Close does.
  virtual ~CRadioPort() = default;

  bool TimeoutsPending() const { return m_timeoutsPending; }

 protected:
  // Set by every Open, cleared by the first Write that applies the read
  // time-outs.
  bool m_timeoutsPending = false;
};

}  // namespace zorveth
