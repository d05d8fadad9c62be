#pragma once

// Telnet (RFC 854) with the Com Port Control Option (RFC 2217), as a device
// server speaks it, reduced to what a client of one serial line needs. The
// codec knows no socket and no clock: bytes from the server go in, and out
// come the radios' data, the events the port acts on (an option switched on
// or off, the server's answer to a line setting) and the bytes to send
// back. Options follow RFC 1143's Q method, so that two ends never loop on
// the same option and a request is answered once per change of its state.
//
// Nothing a server sends can make the codec hold more than a few kilobytes:
// received data beyond kMaxHeldData waits in the socket or, when the caller
// keeps feeding, is dropped and counted; subnegotiations are cut at
// kMaxSubnegotiation bytes; answers that pile up unsent past
// kMaxAnswerBacklog mark the codec overflowed (the server stopped reading).
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zorveth {

namespace telnet {
inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;
inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPortOption = 44;

// The client's Com Port Control commands; the server answers each with the
// command's number plus 100.
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kPurgeData = 12;
inline constexpr std::uint8_t kServerReply = 100;
}  // namespace telnet

class TelnetCodec {
 public:
  static constexpr std::size_t kMaxHeldData = 4096;
  static constexpr std::size_t kMaxSubnegotiation = 64;
  static constexpr std::size_t kMaxAnswerBacklog = 4096;
  static constexpr std::size_t kMaxEvents = 256;

  // Which end of an option: ours ("I will") or the server's ("he will").
  enum class Side : std::uint8_t { Ours, Server };
  enum class OptionState : std::uint8_t { No, Yes, WantNo, WantYes };

  struct Event {
    enum class Kind : std::uint8_t { OptionOn, OptionOff, ComPortReply };
    Kind kind;
    Side side = Side::Ours;  // for the option events
    std::uint8_t code = 0;   // the option, or the command the reply answers (1 to 5, 12)
    std::uint32_t value = 0;
    bool operator==(const Event& other) const {
      return kind == other.kind && side == other.side && code == other.code && value == other.value;
    }
  };

  TelnetCodec();

  // Asks for an option the codec supports (ours: binary, suppress-go-ahead,
  // the Com Port Control Option; the server's: binary, suppress-go-ahead).
  // Nothing is sent when the option is on or already asked for.
  void Ask(Side side, std::uint8_t option);

  // Decodes bytes from the server.
  void Feed(const std::uint8_t* data, std::size_t length);
  // Escapes data for the server: 0xFF doubled; while our side is not
  // binary, a CR becomes CR NUL as plain Telnet requires.
  void SendData(const std::uint8_t* data, std::size_t length);
  // A Com Port Control command with its value (0xFF doubled).
  void SendComPortCommand(std::uint8_t command, const std::uint8_t* value, std::size_t length);

  OptionState State(Side side, std::uint8_t option) const;
  bool IsOn(Side side, std::uint8_t option) const {
    return State(side, option) == OptionState::Yes;
  }
  bool IsPending(Side side, std::uint8_t option) const {
    return State(side, option) == OptionState::WantYes ||
           State(side, option) == OptionState::WantNo;
  }

  // The radios' data received so far.
  bool HasData() const { return !m_data.empty(); }
  std::size_t HeldData() const { return m_data.size(); }
  std::uint8_t TakeDataByte();
  void DiscardData();
  std::size_t DroppedData() const { return m_dropped; }

  // What the server told, in order; taking them empties the list.
  std::vector<Event> TakeEvents();

  // The bytes still to go to the server.
  const std::string& Output() const { return m_output; }
  void ConsumeOutput(std::size_t count) { m_output.erase(0, count); }
  bool Overflowed() const { return m_overflowed; }

 private:
  enum class Decode : std::uint8_t { Data, Iac, Verb, Sub, SubIac };

  void OnByte(std::uint8_t byte);
  void OnData(std::uint8_t byte);
  void OnIac(std::uint8_t byte);
  void OnVerb(std::uint8_t verb, std::uint8_t option);
  void OnEnable(Side side, std::uint8_t option);
  void OnDisable(Side side, std::uint8_t option);
  void OnSubnegotiation();
  bool Supported(Side side, std::uint8_t option) const;
  void Answer(std::uint8_t verb, std::uint8_t option);
  void Note(Event event);
  void Hold(std::uint8_t byte);
  OptionState& StateOf(Side side, std::uint8_t option);

  std::array<OptionState, 256> m_ours{};
  std::array<OptionState, 256> m_server{};
  // Unsupported options refused once each: a server that asks again after
  // the refusal is ignored, so a looping server cannot keep us talking.
  std::array<bool, 256> m_refusedOurs{};
  std::array<bool, 256> m_refusedServer{};

  Decode m_decode = Decode::Data;
  std::uint8_t m_verb = 0;
  bool m_afterCr = false;  // plain Telnet: the byte after a CR may be a NUL to drop
  std::string m_sub;
  bool m_subTooLong = false;

  std::deque<std::uint8_t> m_data;
  std::size_t m_dropped = 0;
  std::vector<Event> m_events;
  std::string m_output;
  bool m_overflowed = false;
};

}  // namespace zorveth
