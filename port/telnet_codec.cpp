#include "port/telnet_codec.h"

namespace zorveth {

using namespace telnet;

namespace {

constexpr std::uint8_t kCr = '\r';
constexpr std::uint8_t kNul = 0;

}  // namespace

TelnetCodec::TelnetCodec() {
  m_ours.fill(OptionState::No);
  m_server.fill(OptionState::No);
}

TelnetCodec::OptionState& TelnetCodec::StateOf(Side side, std::uint8_t option) {
  return side == Side::Ours ? m_ours[option] : m_server[option];
}

TelnetCodec::OptionState TelnetCodec::State(Side side, std::uint8_t option) const {
  return side == Side::Ours ? m_ours[option] : m_server[option];
}

bool TelnetCodec::Supported(Side side, std::uint8_t option) const {
  if (option == kBinary || option == kSuppressGoAhead) return true;
  return side == Side::Ours && option == kComPortOption;
}

void TelnetCodec::Ask(Side side, std::uint8_t option) {
  if (!Supported(side, option)) return;
  OptionState& state = StateOf(side, option);
  if (state != OptionState::No) return;
  state = OptionState::WantYes;
  Answer(side == Side::Ours ? kWill : kDo, option);
}

void TelnetCodec::Answer(std::uint8_t verb, std::uint8_t option) {
  if (m_output.size() >= kMaxAnswerBacklog) {
    m_overflowed = true;
    return;
  }
  m_output.push_back(static_cast<char>(kIac));
  m_output.push_back(static_cast<char>(verb));
  m_output.push_back(static_cast<char>(option));
}

void TelnetCodec::Note(Event event) {
  if (m_events.size() < kMaxEvents) m_events.push_back(event);
}

std::vector<TelnetCodec::Event> TelnetCodec::TakeEvents() {
  std::vector<Event> events;
  events.swap(m_events);
  return events;
}

void TelnetCodec::Feed(const std::uint8_t* data, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) OnByte(data[i]);
}

void TelnetCodec::OnByte(std::uint8_t byte) {
  switch (m_decode) {
    case Decode::Data:
      if (byte == kIac) {
        m_decode = Decode::Iac;
      } else {
        OnData(byte);
      }
      return;
    case Decode::Iac:
      OnIac(byte);
      return;
    case Decode::Verb:
      m_decode = Decode::Data;
      OnVerb(m_verb, byte);
      return;
    case Decode::Sub:
      if (byte == kIac) {
        m_decode = Decode::SubIac;
      } else if (m_sub.size() < kMaxSubnegotiation) {
        m_sub.push_back(static_cast<char>(byte));
      } else {
        m_subTooLong = true;
      }
      return;
    case Decode::SubIac:
      if (byte == kIac) {
        // A value byte 0xFF, doubled inside the subnegotiation too.
        m_decode = Decode::Sub;
        if (m_sub.size() < kMaxSubnegotiation) {
          m_sub.push_back(static_cast<char>(kIac));
        } else {
          m_subTooLong = true;
        }
        return;
      }
      m_decode = Decode::Data;
      if (byte == kSe) {
        OnSubnegotiation();
      } else {
        // IAC and a command inside a subnegotiation: the server broke it
        // off. Drop what was gathered and take the command as it is.
        OnIac(byte);
      }
      return;
  }
}

void TelnetCodec::OnIac(std::uint8_t byte) {
  m_decode = Decode::Data;
  if (byte == kIac) {
    OnData(kIac);  // a data byte 0xFF, doubled on the wire
  } else if (byte == kWill || byte == kWont || byte == kDo || byte == kDont) {
    m_verb = byte;
    m_decode = Decode::Verb;
  } else if (byte == kSb) {
    m_sub.clear();
    m_subTooLong = false;
    m_decode = Decode::Sub;
  }
  // NOP, GA, DM and the other commands carry nothing for a serial line.
}

void TelnetCodec::OnData(std::uint8_t byte) {
  if (IsOn(Side::Server, kBinary)) {
    m_afterCr = false;
    Hold(byte);
    return;
  }
  // Plain Telnet sends a CR as CR NUL or CR LF: the NUL is no data.
  const bool afterCr = m_afterCr;
  m_afterCr = byte == kCr;
  if (afterCr && byte == kNul) return;
  Hold(byte);
}

void TelnetCodec::Hold(std::uint8_t byte) {
  if (m_data.size() >= kMaxHeldData) {
    ++m_dropped;
    return;
  }
  m_data.push_back(byte);
}

std::uint8_t TelnetCodec::TakeDataByte() {
  const std::uint8_t byte = m_data.front();
  m_data.pop_front();
  return byte;
}

void TelnetCodec::DiscardData() {
  m_data.clear();
}

void TelnetCodec::OnVerb(std::uint8_t verb, std::uint8_t option) {
  switch (verb) {
    case kDo:
      return OnEnable(Side::Ours, option);
    case kDont:
      return OnDisable(Side::Ours, option);
    case kWill:
      return OnEnable(Side::Server, option);
    default:
      return OnDisable(Side::Server, option);
  }
}

// The server asks for an option, or agrees to our asking (DO for ours,
// WILL for its own).
void TelnetCodec::OnEnable(Side side, std::uint8_t option) {
  const std::uint8_t agree = side == Side::Ours ? kWill : kDo;
  const std::uint8_t refuse = side == Side::Ours ? kWont : kDont;
  OptionState& state = StateOf(side, option);
  switch (state) {
    case OptionState::No:
      if (Supported(side, option)) {
        state = OptionState::Yes;
        Answer(agree, option);
        Note({Event::Kind::OptionOn, side, option, 0});
        return;
      }
      // Refused once; asking again after that gets no answer.
      if (auto& refused = side == Side::Ours ? m_refusedOurs[option] : m_refusedServer[option];
          !refused) {
        refused = true;
        Answer(refuse, option);
      }
      return;
    case OptionState::Yes:
      return;  // already on: acknowledging it again could start a loop
    case OptionState::WantNo:
      // An answer to a refusal we sent that says yes: a broken server;
      // keep the option off (RFC 1143).
      state = OptionState::No;
      return;
    case OptionState::WantYes:
      state = OptionState::Yes;
      Note({Event::Kind::OptionOn, side, option, 0});
      return;
  }
}

// The server refuses or withdraws an option (DONT for ours, WONT for its own).
void TelnetCodec::OnDisable(Side side, std::uint8_t option) {
  const std::uint8_t acknowledge = side == Side::Ours ? kWont : kDont;
  OptionState& state = StateOf(side, option);
  switch (state) {
    case OptionState::No:
      return;
    case OptionState::Yes:
      // Withdrawn: it is off from here on, and the server hears that we
      // took note.
      state = OptionState::No;
      Answer(acknowledge, option);
      Note({Event::Kind::OptionOff, side, option, 0});
      return;
    case OptionState::WantNo:
    case OptionState::WantYes:
      state = OptionState::No;
      Note({Event::Kind::OptionOff, side, option, 0});
      return;
  }
}

void TelnetCodec::OnSubnegotiation() {
  if (m_subTooLong || m_sub.size() < 2 || static_cast<std::uint8_t>(m_sub[0]) != kComPortOption)
    return;
  const auto reply = static_cast<std::uint8_t>(m_sub[1]);
  // Answers to the line settings and to a purge; the server's own
  // notifications (line and modem state, flow control) tell nothing here.
  if (reply <= kServerReply) return;
  const std::uint8_t command = reply - kServerReply;
  if (command > kSetControl && command != kPurgeData) return;
  const std::size_t valueLength = m_sub.size() - 2;
  // The speed comes as four bytes in network order, the other settings as
  // one; a reply of any other length is no answer.
  const std::size_t expected = command == kSetBaudRate ? 4 : 1;
  if (valueLength != expected) return;
  std::uint32_t value = 0;
  for (std::size_t i = 2; i < m_sub.size(); ++i) {
    value = (value << 8) | static_cast<std::uint8_t>(m_sub[i]);
  }
  Note({Event::Kind::ComPortReply, Side::Ours, command, value});
}

void TelnetCodec::SendData(const std::uint8_t* data, std::size_t length) {
  const bool binary = IsOn(Side::Ours, kBinary);
  m_output.reserve(m_output.size() + length + length / 8 + 4);
  for (std::size_t i = 0; i < length; ++i) {
    m_output.push_back(static_cast<char>(data[i]));
    if (data[i] == kIac) m_output.push_back(static_cast<char>(kIac));
    if (data[i] == kCr && !binary) m_output.push_back(static_cast<char>(kNul));
  }
}

void TelnetCodec::SendComPortCommand(std::uint8_t command, const std::uint8_t* value,
                                     std::size_t length) {
  m_output.push_back(static_cast<char>(kIac));
  m_output.push_back(static_cast<char>(kSb));
  m_output.push_back(static_cast<char>(kComPortOption));
  m_output.push_back(static_cast<char>(command));
  for (std::size_t i = 0; i < length; ++i) {
    m_output.push_back(static_cast<char>(value[i]));
    if (value[i] == kIac) m_output.push_back(static_cast<char>(kIac));
  }
  m_output.push_back(static_cast<char>(kIac));
  m_output.push_back(static_cast<char>(kSe));
}

}  // namespace zorveth
