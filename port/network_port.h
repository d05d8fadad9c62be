#pragma once

// A serial port on a device server, reached over TCP with the Telnet Com
// Port Control Option (RFC 2217), as ser2net and serial device servers
// offer it: "rfc2217://HOST:PORT".
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "port/clock.h"
#include "port/radio_port.h"
#include "port/tcp_connection.h"
#include "port/telnet_codec.h"

namespace zorveth {

struct NetworkAddress {
  std::string host;
  std::uint16_t port = 0;
  // As the user wrote it, for messages: "rfc2217://10.0.0.5:4001".
  std::string url;
};

// Whether text names a network port at all (it starts with "rfc2217://",
// in any letter case), and the address when it is a well-formed one.
bool IsNetworkPortName(std::string_view text);
std::optional<NetworkAddress> ParseNetworkPortName(std::string_view text);

// Keeps the port contract exactly: Open connects (3 s at most, the name
// lookup included), agrees on the option, binary and no go-ahead and sets the
// line (speed, 8N1, no flow control, DTR off, RTS on); it succeeds only once
// the server's answer to the speed names the speed asked for (1 s for the
// answers). Close ends the connection; ReadByte waits 50 ms at most, also on
// a lost connection or a server that stopped reading; a Write the server
// does not take within 1 s fails; Purge drops everything received so far and
// asks the server to purge its receive side. Every wait is on the clock
// given and ends early once the token given to WakeOn is set.
class CNetworkPort : public CPortWithParams {
 public:
  static constexpr std::uint32_t kConnectTimeoutMs = 3000;
  static constexpr std::uint32_t kAnswerTimeoutMs = 1000;
  static constexpr std::uint32_t kSendTimeoutMs = 1000;

  explicit CNetworkPort(NetworkAddress address, Clock& clock = SystemClock(),
                        std::unique_ptr<NetworkChannel> channel = nullptr);

  std::int16_t Open() override;
  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  bool Purge() override;
  std::string LastOpenError() const override { return m_lastOpenError; }
  std::string Name() const override { return m_address.url; }
  void WakeOn(const CancellationToken* token) override { m_token = token; }

  bool TimeoutsPending() const { return m_timeoutsPending; }
  const NetworkAddress& Address() const { return m_address; }

 private:
  // The line settings the server answered since they were asked for.
  struct Replies {
    bool asked = false;
    std::optional<std::uint32_t> speed, dataSize, parity, stopSize, flowControl;
  };

  bool Connect();
  bool Negotiate();
  bool SetLine();
  std::string LineMismatch() const;
  // Reads what has arrived (up to a bound), decodes it and sends the
  // answers without waiting; false once the connection is gone.
  bool Pump();
  // Waits up to timeoutMs for data, then pumps.
  bool PumpFor(std::uint32_t timeoutMs);
  // Pumps until done() or the deadline; false on a lost connection.
  template <typename Done>
  bool PumpUntil(Done done, std::uint64_t deadline);
  // Sends the codec's output, waiting for room until the deadline.
  bool Flush(std::uint64_t deadline);
  bool SendPending();
  void OnEvents();
  void Lose(const std::string& reason);
  bool Cancelled() const;
  std::uint32_t Left(std::uint64_t deadline) const;
  std::int16_t FailOpen(const std::string& reason);

  NetworkAddress m_address;
  Clock& m_clock;
  std::unique_ptr<NetworkChannel> m_channel;
  const CancellationToken* m_token = nullptr;
  TelnetCodec m_codec;
  Replies m_replies;
  bool m_timeoutsPending = false;
  bool m_held = false;     // a connection was made since the last Close
  bool m_open = false;     // and it still works
  bool m_opening = false;  // inside Open: read on for the answers
  // Since when bytes for the server wait for room to send, if they do.
  std::optional<std::uint64_t> m_stalledSince;
  std::string m_lossReason;
  std::string m_lastOpenError;
};

}  // namespace zorveth
