#include "port/network_port.h"

#include <chrono>
#include <thread>

#include "text/port_names.h"
#include "text/text_compare.h"

namespace zorveth {
namespace {

// Telnet (RFC 854) and its Com Port Control Option (RFC 2217).
constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kSb = 250;
constexpr std::uint8_t kSe = 240;
constexpr std::uint8_t kBinary = 0;
constexpr std::uint8_t kSuppressGoAhead = 3;
constexpr std::uint8_t kComPortOption = 44;

constexpr std::uint8_t kSetBaudRate = 1;
constexpr std::uint8_t kSetDataSize = 2;
constexpr std::uint8_t kSetParity = 3;
constexpr std::uint8_t kSetStopSize = 4;
constexpr std::uint8_t kSetControl = 5;
constexpr std::uint8_t kPurgeData = 12;
// The server answers a command with the command's number plus 100.
constexpr std::uint8_t kServerReply = 100;

constexpr std::uint8_t kParityNone = 1;
constexpr std::uint8_t kOneStopBit = 1;
constexpr std::uint8_t kNoFlowControl = 1;
constexpr std::uint8_t kDtrOff = 9;
constexpr std::uint8_t kRtsOn = 11;
constexpr std::uint8_t kPurgeReceiveBuffer = 1;

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool IsOption(std::uint8_t option) {
  return option == kBinary || option == kSuppressGoAhead || option == kComPortOption;
}

}  // namespace

bool IsNetworkPortName(std::string_view text) {
  return StartsWithIgnoringCase(text, kNetworkPortScheme);
}

std::optional<NetworkAddress> ParseNetworkPortName(std::string_view text) {
  if (!IsNetworkPortName(text)) return std::nullopt;
  std::string_view rest = text.substr(sizeof kNetworkPortScheme - 1);
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  std::string_view host;
  std::string_view port;
  if (!rest.empty() && rest.front() == '[') {
    // [2001:db8::5]:4001
    auto close = rest.find(']');
    if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
      return std::nullopt;
    host = rest.substr(1, close - 1);
    port = rest.substr(close + 2);
  } else {
    auto colon = rest.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
  }
  if (host.empty() || port.empty() || port.size() > 5) return std::nullopt;
  for (char c : host) {
    if (c == '/' || c == ' ' || c == '@' || static_cast<unsigned char>(c) < 0x21)
      return std::nullopt;
  }
  unsigned long number = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned long>(c - '0');
  }
  if (number == 0 || number > 65535) return std::nullopt;
  return NetworkAddress{std::string(host), static_cast<std::uint16_t>(number), std::string(text)};
}

CNetworkPort::CNetworkPort(NetworkAddress address) : m_address(std::move(address)) {}

std::int16_t CNetworkPort::FailOpen(const std::string& reason) {
  m_lastOpenError = m_address.url + ": " + reason;
  return kPortOpenFailed;
}

std::int16_t CNetworkPort::Open() {
  if (m_connection.IsOpen()) Close();
  m_timeoutsPending = true;
  m_lastOpenError.clear();
  m_lost = false;
  m_received.clear();
  m_state = DecodeState::Data;
  m_willSent.fill(false);
  m_doSent.fill(false);
  m_serverDoes.fill(false);
  m_serverWill.fill(false);
  m_comPortRefused = false;
  m_speedConfirmed = false;

  std::string error;
  if (!m_connection.Connect(m_address.host, m_address.port, kConnectTimeoutMs, error)) {
    return FailOpen(error);
  }
  if (!Negotiate()) return kPortOpenFailed;
  return kPortOk;
}

bool CNetworkPort::Negotiate() {
  // Both ways binary, so that carriage returns and 0xFF bytes pass as they
  // are; no go-ahead; and the option that carries the line settings.
  bool sent = SendCommand(kWill, kComPortOption) && SendCommand(kWill, kBinary) &&
              SendCommand(kDo, kBinary) && SendCommand(kWill, kSuppressGoAhead) &&
              SendCommand(kDo, kSuppressGoAhead);
  if (!sent) return FailOpen("the connection was lost");
  if (!WaitFor([this] { return m_serverDoes[kComPortOption] || m_comPortRefused; },
               kAnswerTimeoutMs)) {
    return FailOpen("the connection was lost") == kPortOk;
  }
  if (!m_serverDoes[kComPortOption]) {
    FailOpen(m_comPortRefused ? "the server refused the COM port option (RFC 2217)"
                              : "no answer to the COM port option (RFC 2217) within 1 s");
    return false;
  }
  // Binary is asked for, not required: a server that keeps to plain Telnet
  // still passes the radios' bytes, which are 7-bit text.
  WaitFor([this] { return m_serverWill[kBinary] && m_serverDoes[kBinary]; }, kAnswerTimeoutMs);

  const std::uint8_t baud[4] = {
      static_cast<std::uint8_t>(m_speed >> 24), static_cast<std::uint8_t>(m_speed >> 16),
      static_cast<std::uint8_t>(m_speed >> 8), static_cast<std::uint8_t>(m_speed)};
  const std::uint8_t eight = 8, none = kParityNone, one = kOneStopBit, noFlow = kNoFlowControl,
                     dtrOff = kDtrOff, rtsOn = kRtsOn;
  // RTS stays raised: toggling it around each send over the network could
  // not follow the bytes on the line, and a half-duplex radio needs it up
  // while we talk. Servers that cannot set the modem lines (a pty under
  // ser2net) just do not answer those; that is no failure.
  sent = SendComPortCommand(kSetBaudRate, baud, 4) && SendComPortCommand(kSetDataSize, &eight, 1) &&
         SendComPortCommand(kSetParity, &none, 1) && SendComPortCommand(kSetStopSize, &one, 1) &&
         SendComPortCommand(kSetControl, &noFlow, 1) &&
         SendComPortCommand(kSetControl, &dtrOff, 1) && SendComPortCommand(kSetControl, &rtsOn, 1);
  if (!sent) return FailOpen("the connection was lost") == kPortOk;
  if (!WaitFor([this] { return m_speedConfirmed; }, kAnswerTimeoutMs) || !m_speedConfirmed) {
    FailOpen(m_lost ? "the connection was lost"
                    : "the server did not confirm " + std::to_string(m_speed) + " baud within 1 s");
    return false;
  }
  return true;
}

bool CNetworkPort::SendCommand(std::uint8_t verb, std::uint8_t option) {
  if (verb == kWill) m_willSent[option] = true;
  if (verb == kDo) m_doSent[option] = true;
  const std::uint8_t bytes[3] = {kIac, verb, option};
  return m_connection.SendAll(bytes, 3);
}

bool CNetworkPort::SendComPortCommand(std::uint8_t command, const std::uint8_t* value,
                                      std::size_t length) {
  std::string bytes = {static_cast<char>(kIac), static_cast<char>(kSb),
                       static_cast<char>(kComPortOption), static_cast<char>(command)};
  for (std::size_t i = 0; i < length; ++i) {
    bytes.push_back(static_cast<char>(value[i]));
    if (value[i] == kIac) bytes.push_back(static_cast<char>(kIac));
  }
  bytes.push_back(static_cast<char>(kIac));
  bytes.push_back(static_cast<char>(kSe));
  return m_connection.SendAll(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

bool CNetworkPort::Pump(std::uint32_t timeoutMs) {
  std::uint8_t buffer[512];
  long got = m_connection.Receive(buffer, sizeof buffer, timeoutMs);
  if (got < 0) {
    m_lost = true;
    m_connection.Close();
    return false;
  }
  for (long i = 0; i < got; ++i) Decode(buffer[i]);
  return true;
}

template <typename Done>
bool CNetworkPort::WaitFor(Done done, std::uint32_t timeoutMs) {
  const std::int64_t deadline = NowMs() + timeoutMs;
  while (!done()) {
    const std::int64_t left = deadline - NowMs();
    if (left <= 0) return true;
    if (!Pump(static_cast<std::uint32_t>(left))) return false;
  }
  return true;
}

void CNetworkPort::Decode(std::uint8_t byte) {
  switch (m_state) {
    case DecodeState::Data:
      if (byte == kIac) {
        m_state = DecodeState::Iac;
      } else {
        m_received.push_back(byte);
      }
      return;
    case DecodeState::Iac:
      if (byte == kIac) {
        m_received.push_back(kIac);  // a data byte 0xFF, doubled on the wire
        m_state = DecodeState::Data;
      } else if (byte == kWill || byte == kWont || byte == kDo || byte == kDont) {
        m_verb = byte;
        m_state = DecodeState::Option;
      } else if (byte == kSb) {
        m_sub.clear();
        m_state = DecodeState::Sub;
      } else {
        m_state = DecodeState::Data;  // NOP, GA and the like carry nothing for us
      }
      return;
    case DecodeState::Option:
      OnOption(m_verb, byte);
      m_state = DecodeState::Data;
      return;
    case DecodeState::Sub:
      if (byte == kIac) {
        m_state = DecodeState::SubIac;
      } else if (m_sub.size() < 64) {
        m_sub.push_back(static_cast<char>(byte));
      }
      return;
    case DecodeState::SubIac:
      if (byte == kSe) {
        OnSubnegotiation();
        m_state = DecodeState::Data;
      } else {
        if (byte == kIac && m_sub.size() < 64) m_sub.push_back(static_cast<char>(kIac));
        m_state = DecodeState::Sub;
      }
      return;
  }
}

void CNetworkPort::OnOption(std::uint8_t verb, std::uint8_t option) {
  // Answer each request once, so that two polite ends never loop.
  switch (verb) {
    case kDo:
      m_serverDoes[option] = true;
      if (!IsOption(option)) {
        SendCommand(kWont, option);
      } else if (!m_willSent[option]) {
        SendCommand(kWill, option);
      }
      return;
    case kDont:
      if (option == kComPortOption) m_comPortRefused = true;
      if (m_willSent[option]) {
        m_willSent[option] = false;
        SendCommand(kWont, option);
      }
      return;
    case kWill:
      m_serverWill[option] = true;
      if (option != kBinary && option != kSuppressGoAhead) {
        SendCommand(kDont, option);
      } else if (!m_doSent[option]) {
        SendCommand(kDo, option);
      }
      return;
    case kWont:
      m_serverWill[option] = false;
      return;
  }
}

void CNetworkPort::OnSubnegotiation() {
  // The server's notifications (line and modem state) and its answers to
  // the other settings tell the tool nothing it acts on; only the speed's
  // answer is waited for.
  if (m_sub.size() >= 2 && static_cast<std::uint8_t>(m_sub[0]) == kComPortOption &&
      static_cast<std::uint8_t>(m_sub[1]) == kServerReply + kSetBaudRate) {
    m_speedConfirmed = true;
  }
}

std::int16_t CNetworkPort::Close() {
  if (!m_connection.IsOpen() && !m_lost) return kPortCloseFailed;
  m_connection.Close();
  m_lost = false;
  m_received.clear();
  return kPortOk;
}

std::int16_t CNetworkPort::Write(const void* data, std::int16_t length) {
  if (!m_connection.IsOpen() || length < 0) return kPortWriteFailed;
  m_timeoutsPending = false;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::string escaped;
  escaped.reserve(static_cast<std::size_t>(length) + 4);
  for (std::int16_t i = 0; i < length; ++i) {
    escaped.push_back(static_cast<char>(bytes[i]));
    if (bytes[i] == kIac) escaped.push_back(static_cast<char>(kIac));
  }
  if (!m_connection.SendAll(reinterpret_cast<const std::uint8_t*>(escaped.data()),
                            escaped.size())) {
    m_lost = true;
    m_connection.Close();
    return kPortWriteFailed;
  }
  return kPortOk;
}

std::int16_t CNetworkPort::ReadByte(std::uint8_t* byte) {
  const std::int64_t deadline = NowMs() + kReadByteTimeoutMs;
  while (m_received.empty()) {
    const std::int64_t left = deadline - NowMs();
    if (left <= 0) return 0;
    if (!m_connection.IsOpen() || !Pump(static_cast<std::uint32_t>(left))) {
      // The connection is gone: keep the 50 ms pace like a device that
      // went away, so the callers' waits end on time without spinning.
      std::this_thread::sleep_for(
          std::chrono::milliseconds(std::max<std::int64_t>(0, deadline - NowMs())));
      return 0;
    }
  }
  *byte = m_received.front();
  m_received.pop_front();
  return 1;
}

bool CNetworkPort::Purge() {
  if (!m_connection.IsOpen()) return false;
  // What has come in already is dropped here; the server drops what it
  // still holds from the line.
  while (Pump(0)) {
    m_received.clear();
    std::uint8_t probe[1];
    (void)probe;
    if (m_connection.Receive(probe, 0, 0) <= 0) break;
  }
  m_received.clear();
  const std::uint8_t receiveSide = kPurgeReceiveBuffer;
  return SendComPortCommand(kPurgeData, &receiveSide, 1);
}

}  // namespace zorveth
