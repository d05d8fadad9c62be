#include "port/network_port.h"

#include <algorithm>
#include <limits>

#include "port/cancellation.h"

namespace zorveth {

using namespace telnet;
using Side = TelnetCodec::Side;

namespace {

constexpr std::uint8_t kParityNone = 1;
constexpr std::uint8_t kOneStopBit = 1;
constexpr std::uint8_t kNoFlowControl = 1;
constexpr std::uint8_t kDtrOff = 9;
constexpr std::uint8_t kRtsOn = 11;
constexpr std::uint8_t kPurgeReceiveBuffer = 1;
// SET-CONTROL values 0 to 3 are about outbound flow control; the others
// (DTR, RTS, inbound flow) are not checked.
constexpr std::uint32_t kLastFlowControlValue = 3;

// How much one pump reads while the port opens (the data is kept only up to
// the codec's bound, the rest is read for the answers among it), and how
// much a purge drains at most before it gives up on a server that never
// stops sending.
constexpr int kChunksPerPump = 16;
constexpr std::size_t kChunk = 4096;
constexpr std::size_t kMaxPurgeDrain = 16u << 20;

const char* const kLost = "the connection was lost";

std::string ParityName(std::uint32_t value) {
  switch (value) {
    case 2:
      return "odd";
    case 3:
      return "even";
    case 4:
      return "mark";
    case 5:
      return "space";
    default:
      return std::to_string(value);
  }
}

std::string StopBitsName(std::uint32_t value) {
  return value == 3 ? "1.5" : std::to_string(value);
}

std::string FlowControlName(std::uint32_t value) {
  return value == 2 ? "XON/XOFF" : value == 3 ? "hardware" : std::to_string(value);
}

}  // namespace

CNetworkPort::CNetworkPort(NetworkAddress address, Clock& clock,
                           std::unique_ptr<NetworkChannel> channel)
    : m_address(std::move(address)),
      m_clock(clock),
      m_channel(channel ? std::move(channel) : std::make_unique<TcpConnection>()) {}

std::int16_t CNetworkPort::FailOpen(const std::string& reason) {
  m_lastOpenError = m_address.url + ": " + reason;
  return kPortOpenFailed;
}

bool CNetworkPort::Cancelled() const {
  return m_token != nullptr && m_token->IsCancelled();
}

std::uint32_t CNetworkPort::Left(std::uint64_t deadline) const {
  const std::uint64_t now = m_clock.NowMs();
  if (now >= deadline) return 0;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(deadline - now, std::numeric_limits<std::uint32_t>::max()));
}

std::int16_t CNetworkPort::Open() {
  if (m_held) Close();
  m_timeoutsPending = true;
  m_lastOpenError.clear();
  m_codec = TelnetCodec();
  m_replies = Replies();
  m_stalledSince.reset();
  m_lossReason = kLost;
  if (!Connect()) return kPortOpenFailed;
  m_held = m_open = true;
  m_opening = true;
  const bool agreed = Negotiate();
  m_opening = false;
  return agreed ? kPortOk : kPortOpenFailed;
}

bool CNetworkPort::Connect() {
  m_channel->StartConnect(m_address.host, m_address.port);
  const std::uint64_t deadline = m_clock.NowMs() + kConnectTimeoutMs;
  std::string error;
  for (;;) {
    switch (m_channel->ConnectProgress(error)) {
      case NetworkChannel::Progress::Connected:
        return true;
      case NetworkChannel::Progress::Failed:
        m_channel->Close();
        FailOpen(error);
        return false;
      case NetworkChannel::Progress::Connecting:
        break;
    }
    const std::uint32_t left = Left(deadline);
    if (Cancelled() || left == 0) {
      m_channel->Close();
      FailOpen(Cancelled() ? "interrupted"
                           : "no answer within " + std::to_string(kConnectTimeoutMs) + " ms");
      return false;
    }
    m_channel->Wait(false, left, m_token);
  }
}

bool CNetworkPort::Negotiate() {
  // Both ways binary, so that carriage returns and 0xFF bytes pass as they
  // are; no go-ahead; and the option that carries the line settings.
  m_codec.Ask(Side::Ours, kComPortOption);
  m_codec.Ask(Side::Ours, kBinary);
  m_codec.Ask(Side::Server, kBinary);
  m_codec.Ask(Side::Ours, kSuppressGoAhead);
  m_codec.Ask(Side::Server, kSuppressGoAhead);
  const std::uint64_t deadline = m_clock.NowMs() + kAnswerTimeoutMs;
  if (!Flush(deadline) ||
      !PumpUntil([this] { return !m_codec.IsPending(Side::Ours, kComPortOption); }, deadline)) {
    return FailOpen(Cancelled() ? "interrupted" : m_lossReason) == kPortOk;
  }
  if (Cancelled()) return FailOpen("interrupted") == kPortOk;
  if (!m_codec.IsOn(Side::Ours, kComPortOption)) {
    FailOpen(m_codec.IsPending(Side::Ours, kComPortOption)
                 ? "no answer to the COM port option (RFC 2217) within 1 s"
                 : "the server refused the COM port option (RFC 2217)");
    return false;
  }
  return SetLine();
}

bool CNetworkPort::SetLine() {
  const std::uint8_t baud[4] = {
      static_cast<std::uint8_t>(m_speed >> 24), static_cast<std::uint8_t>(m_speed >> 16),
      static_cast<std::uint8_t>(m_speed >> 8), static_cast<std::uint8_t>(m_speed)};
  const std::uint8_t eight = 8, none = kParityNone, one = kOneStopBit, noFlow = kNoFlowControl,
                     dtrOff = kDtrOff, rtsOn = kRtsOn;
  // RTS stays raised: toggling it around each send over the network could
  // not follow the bytes on the line, and a half-duplex radio needs it up
  // while we talk. Servers that cannot set the modem lines (a pty under
  // ser2net) just do not answer those; that is no failure.
  m_codec.SendComPortCommand(kSetBaudRate, baud, 4);
  m_codec.SendComPortCommand(kSetDataSize, &eight, 1);
  m_codec.SendComPortCommand(kSetParity, &none, 1);
  m_codec.SendComPortCommand(kSetStopSize, &one, 1);
  m_codec.SendComPortCommand(kSetControl, &noFlow, 1);
  m_codec.SendComPortCommand(kSetControl, &dtrOff, 1);
  m_codec.SendComPortCommand(kSetControl, &rtsOn, 1);
  // Only what the server says from here on answers these: an answer that
  // left it before it read them names the speed it had, not the one asked.
  m_replies = Replies();
  m_replies.asked = true;
  const std::uint64_t deadline = m_clock.NowMs() + kAnswerTimeoutMs;
  // The speed's answer, and binary settled both ways (a refusal settles it
  // at once): the bytes to the radios are escaped by what was agreed.
  const auto answered = [this] {
    return m_replies.speed && !m_codec.IsPending(Side::Ours, kBinary) &&
           !m_codec.IsPending(Side::Server, kBinary);
  };
  if (!Flush(deadline) || !PumpUntil(answered, deadline)) {
    return FailOpen(Cancelled() ? "interrupted" : m_lossReason) == kPortOk;
  }
  if (Cancelled()) return FailOpen("interrupted") == kPortOk;
  if (!m_replies.speed) {
    FailOpen("the server did not confirm " + std::to_string(m_speed) + " baud within 1 s");
    return false;
  }
  const std::string mismatch = LineMismatch();
  if (!mismatch.empty()) return FailOpen(mismatch) == kPortOk;
  return true;
}

std::string CNetworkPort::LineMismatch() const {
  const std::string set = "the server set ";
  if (*m_replies.speed != m_speed) {
    return set + std::to_string(*m_replies.speed) + " baud when " + std::to_string(m_speed) +
           " was asked";
  }
  if (m_replies.dataSize && *m_replies.dataSize != 8)
    return set + std::to_string(*m_replies.dataSize) + " data bits when 8 were asked";
  if (m_replies.parity && *m_replies.parity != kParityNone)
    return set + "parity " + ParityName(*m_replies.parity) + " when none was asked";
  if (m_replies.stopSize && *m_replies.stopSize != kOneStopBit)
    return set + StopBitsName(*m_replies.stopSize) + " stop bits when 1 was asked";
  if (m_replies.flowControl && *m_replies.flowControl != kNoFlowControl)
    return set + FlowControlName(*m_replies.flowControl) + " flow control when none was asked";
  return "";
}

void CNetworkPort::OnEvents() {
  for (const auto& event : m_codec.TakeEvents()) {
    if (event.kind != TelnetCodec::Event::Kind::ComPortReply || !m_replies.asked) continue;
    // The first answer to each counts.
    auto keep = [&](std::optional<std::uint32_t>& slot) {
      if (!slot) slot = event.value;
    };
    switch (event.code) {
      case kSetBaudRate:
        keep(m_replies.speed);
        break;
      case kSetDataSize:
        keep(m_replies.dataSize);
        break;
      case kSetParity:
        keep(m_replies.parity);
        break;
      case kSetStopSize:
        keep(m_replies.stopSize);
        break;
      case kSetControl:
        if (event.value <= kLastFlowControlValue) keep(m_replies.flowControl);
        break;
      default:
        break;
    }
  }
}

void CNetworkPort::Lose(const std::string& reason) {
  if (!m_open) return;
  m_lossReason = reason;
  m_open = false;
  m_channel->Close();
}

bool CNetworkPort::SendPending() {
  if (!m_open) return false;
  if (m_codec.Overflowed()) {
    Lose("the server takes nothing that is sent");
    return false;
  }
  const std::string& out = m_codec.Output();
  long sent = 0;
  if (!out.empty()) {
    sent = m_channel->SendSome(reinterpret_cast<const std::uint8_t*>(out.data()), out.size());
    if (sent < 0) {
      Lose(kLost);
      return false;
    }
    m_codec.ConsumeOutput(static_cast<std::size_t>(sent));
  }
  if (m_codec.Output().empty()) {
    m_stalledSince.reset();
    return true;
  }
  // What the server does not take for a second, it will not take.
  const std::uint64_t now = m_clock.NowMs();
  if (sent > 0 || !m_stalledSince) m_stalledSince = now;
  if (now - *m_stalledSince >= kSendTimeoutMs) {
    Lose("the server took nothing sent within 1 s");
    return false;
  }
  return true;
}

bool CNetworkPort::Flush(std::uint64_t deadline) {
  for (;;) {
    if (!SendPending()) return false;
    if (m_codec.Output().empty()) return true;
    const std::uint32_t left = Left(deadline);
    if (Cancelled() || left == 0) {
      if (!Cancelled()) Lose("the server took nothing sent within 1 s");
      return false;
    }
    m_channel->Wait(true, left, m_token);
  }
}

bool CNetworkPort::Pump() {
  if (!m_open) return false;
  std::uint8_t buffer[kChunk];
  for (int chunk = 0; chunk < (m_opening ? kChunksPerPump : 1); ++chunk) {
    // Once open, what the codec cannot hold yet waits in the socket.
    const std::size_t room = TelnetCodec::kMaxHeldData - m_codec.HeldData();
    const std::size_t capacity = m_opening ? kChunk : std::min(kChunk, room);
    if (capacity == 0) break;
    const long got = m_channel->ReceiveSome(buffer, capacity);
    if (got < 0) {
      Lose(kLost);
      return false;
    }
    m_codec.Feed(buffer, static_cast<std::size_t>(got));
    OnEvents();
    if (static_cast<std::size_t>(got) < capacity) break;
  }
  return SendPending();
}

template <typename Done>
bool CNetworkPort::PumpUntil(Done done, std::uint64_t deadline) {
  for (;;) {
    if (!Pump()) return false;
    if (done() || Cancelled()) return true;
    const std::uint32_t left = Left(deadline);
    if (left == 0) return true;
    m_channel->Wait(false, left, m_token);
  }
}

std::int16_t CNetworkPort::Close() {
  if (!m_held) return kPortCloseFailed;
  m_channel->Close();
  m_held = m_open = false;
  m_codec.DiscardData();
  return kPortOk;
}

std::int16_t CNetworkPort::Write(const void* data, std::int16_t length) {
  if (!m_open || length < 0) return kPortWriteFailed;
  m_timeoutsPending = false;
  m_codec.SendData(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(length));
  if (!Flush(m_clock.NowMs() + kSendTimeoutMs)) {
    Lose(Cancelled() ? "interrupted" : m_lossReason);
    return kPortWriteFailed;
  }
  return kPortOk;
}

std::int16_t CNetworkPort::ReadByte(std::uint8_t* byte) {
  const std::uint64_t deadline = m_clock.NowMs() + kReadByteTimeoutMs;
  for (;;) {
    if (m_codec.HasData()) {
      *byte = m_codec.TakeDataByte();
      return 1;
    }
    const std::uint32_t left = Left(deadline);
    if (left == 0) return 0;
    if (!m_open) {
      // The connection is gone: keep the 50 ms pace like a device that
      // went away, so the callers' waits end on time without spinning.
      m_clock.SleepMs(left);
      return 0;
    }
    // No token: this wait is never longer than the read time-out, and
    // after an interrupt the exit's answer is still read through it.
    m_channel->Wait(false, left, nullptr);
    Pump();
  }
}

bool CNetworkPort::Purge() {
  if (!m_open) return false;
  // Everything that has come in is dropped, also what still waits in the
  // socket; the server drops what it still holds from the line.
  std::uint8_t buffer[kChunk];
  for (std::size_t drained = 0; drained < kMaxPurgeDrain;) {
    const long got = m_channel->ReceiveSome(buffer, sizeof buffer);
    if (got < 0) {
      Lose(kLost);
      return false;
    }
    if (got == 0) break;
    m_codec.Feed(buffer, static_cast<std::size_t>(got));
    m_codec.DiscardData();
    OnEvents();
    drained += static_cast<std::size_t>(got);
  }
  m_codec.DiscardData();
  if (m_codec.IsOn(Side::Ours, kComPortOption)) {
    const std::uint8_t receiveSide = kPurgeReceiveBuffer;
    m_codec.SendComPortCommand(kPurgeData, &receiveSide, 1);
  }
  if (!Flush(m_clock.NowMs() + kSendTimeoutMs)) {
    Lose(Cancelled() ? "interrupted" : m_lossReason);
    return false;
  }
  return true;
}

}  // namespace zorveth
