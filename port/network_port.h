#pragma once

// A serial port on a device server, reached over TCP with the Telnet Com
// Port Control Option (RFC 2217), as ser2net and serial device servers
// offer it: "rfc2217://HOST:PORT".
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "port/radio_port.h"
#include "port/tcp_connection.h"

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

// Keeps the port contract exactly: Open connects (3 s at most), agrees on
// the option, binary and no go-ahead (1 s for each answer) and sets the
// line (speed, 8N1, no flow control, DTR off, RTS on), waiting for the
// server to confirm the speed; Close ends the connection; ReadByte waits
// 50 ms at most, also on a lost connection; Purge drops what was received
// and asks the server to purge its receive side. A failure to connect or
// agree is a failed Open, with the reason in LastOpenError.
class CNetworkPort : public CPortWithParams {
 public:
  static constexpr std::uint32_t kConnectTimeoutMs = 3000;
  static constexpr std::uint32_t kAnswerTimeoutMs = 1000;

  explicit CNetworkPort(NetworkAddress address);

  std::int16_t Open() override;
  std::int16_t Close() override;
  std::int16_t Write(const void* data, std::int16_t length) override;
  std::int16_t ReadByte(std::uint8_t* byte) override;
  bool Purge() override;
  std::string LastOpenError() const override { return m_lastOpenError; }
  std::string Name() const override { return m_address.url; }

  bool TimeoutsPending() const { return m_timeoutsPending; }
  const NetworkAddress& Address() const { return m_address; }

 private:
  enum class DecodeState { Data, Iac, Option, Sub, SubIac };

  bool Negotiate();
  bool SendCommand(std::uint8_t verb, std::uint8_t option);
  bool SendComPortCommand(std::uint8_t command, const std::uint8_t* value, std::size_t length);
  // Reads and decodes for up to timeoutMs; false when the connection is gone.
  bool Pump(std::uint32_t timeoutMs);
  // Pumps until done() or the time is up; false on a lost connection.
  template <typename Done>
  bool WaitFor(Done done, std::uint32_t timeoutMs);
  void Decode(std::uint8_t byte);
  void OnOption(std::uint8_t verb, std::uint8_t option);
  void OnSubnegotiation();
  std::int16_t FailOpen(const std::string& reason);

  NetworkAddress m_address;
  TcpConnection m_connection;
  bool m_timeoutsPending = false;
  bool m_lost = false;
  std::string m_lastOpenError;

  std::deque<std::uint8_t> m_received;
  DecodeState m_state = DecodeState::Data;
  std::uint8_t m_verb = 0;
  std::string m_sub;
  // Per option: what we offered or asked for, and what the server said.
  std::array<bool, 256> m_willSent{};
  std::array<bool, 256> m_doSent{};
  std::array<bool, 256> m_serverDoes{};  // the server's DO: we may use it
  std::array<bool, 256> m_serverWill{};  // the server's WILL
  bool m_comPortRefused = false;
  bool m_speedConfirmed = false;
};

}  // namespace zorveth
