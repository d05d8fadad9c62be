// The Telnet and Com Port Control codec on its own: what a server's bytes
// turn into, and what goes back.
#include "port/telnet_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorveth::testing {
namespace {

using namespace telnet;
using Side = TelnetCodec::Side;
using Kind = TelnetCodec::Event::Kind;

std::string Bytes(std::initializer_list<int> values) {
  std::string text;
  for (int v : values) text.push_back(static_cast<char>(v));
  return text;
}

void Feed(TelnetCodec& codec, const std::string& bytes) {
  codec.Feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string Data(TelnetCodec& codec) {
  std::string data;
  while (codec.HasData()) data.push_back(static_cast<char>(codec.TakeDataByte()));
  return data;
}

std::string TakeOutput(TelnetCodec& codec) {
  std::string out = codec.Output();
  codec.ConsumeOutput(out.size());
  return out;
}

// What the port asks for at every open.
void AskAsThePortDoes(TelnetCodec& codec) {
  codec.Ask(Side::Ours, kComPortOption);
  codec.Ask(Side::Ours, kBinary);
  codec.Ask(Side::Server, kBinary);
  codec.Ask(Side::Ours, kSuppressGoAhead);
  codec.Ask(Side::Server, kSuppressGoAhead);
}

TEST(TelnetCodec, AsksOnceInTheOrderOfTheRequests) {
  TelnetCodec codec;
  AskAsThePortDoes(codec);
  AskAsThePortDoes(codec);  // already asked: nothing more
  EXPECT_EQ(TakeOutput(codec),
            Bytes({kIac, kWill, 44, kIac, kWill, 0, kIac, kDo, 0, kIac, kWill, 3, kIac, kDo, 3}));
  EXPECT_TRUE(codec.IsPending(Side::Ours, kComPortOption));
}

// Each case starts from the port's requests, feeds the server's bytes and
// checks what goes back and where the option ends up.
TEST(TelnetCodec, OptionsFollowTheQMethod) {
  struct Case {
    const char* what;
    std::string server;
    std::string answer;
    Side side;
    std::uint8_t option;
    TelnetCodec::OptionState state;
  };
  using S = TelnetCodec::OptionState;
  const Case cases[] = {
      {"agreement to our request is not answered", Bytes({kIac, kDo, 44}), "", Side::Ours, 44,
       S::Yes},
      {"refusal of our request is not answered", Bytes({kIac, kDont, 0}), "", Side::Ours, 0, S::No},
      {"a second DO for an option on is ignored", Bytes({kIac, kDo, 0, kIac, kDo, 0}), "",
       Side::Ours, 0, S::Yes},
      {"DONT for an enabled option is acknowledged", Bytes({kIac, kDo, 0, kIac, kDont, 0}),
       Bytes({kIac, kWont, 0}), Side::Ours, 0, S::No},
      {"WONT for an enabled option is acknowledged", Bytes({kIac, kWill, 0, kIac, kWont, 0}),
       Bytes({kIac, kDont, 0}), Side::Server, 0, S::No},
      {"on, off, on again: each change answered once",
       Bytes({kIac, kDo, 3, kIac, kDont, 3, kIac, kDo, 3}), Bytes({kIac, kWont, 3, kIac, kWill, 3}),
       Side::Ours, 3, S::Yes},
      {"an unknown DO is refused once, a repeat ignored",
       Bytes({kIac, kDo, 24, kIac, kDo, 24, kIac, kDo, 24}), Bytes({kIac, kWont, 24}), Side::Ours,
       24, S::No},
      {"an unknown WILL is refused once", Bytes({kIac, kWill, 1, kIac, kWill, 1}),
       Bytes({kIac, kDont, 1}), Side::Server, 1, S::No},
      {"the server may not take the COM port option's client side", Bytes({kIac, kWill, 44}),
       Bytes({kIac, kDont, 44}), Side::Server, 44, S::No},
      {"WONT for an option off is ignored", Bytes({kIac, kWont, 0, kIac, kWont, 0}), "",
       Side::Server, 0, S::No},
  };
  for (const auto& c : cases) {
    TelnetCodec codec;
    AskAsThePortDoes(codec);
    TakeOutput(codec);
    Feed(codec, c.server);
    EXPECT_EQ(TakeOutput(codec), c.answer) << c.what;
    EXPECT_EQ(codec.State(c.side, c.option), c.state) << c.what;
    EXPECT_FALSE(codec.HasData()) << c.what;
  }
}

TEST(TelnetCodec, TellsOptionChangesAndComPortReplies) {
  TelnetCodec codec;
  AskAsThePortDoes(codec);
  Feed(codec, Bytes({kIac, kDo, 44, kIac, kWont, 0}) +
                  Bytes({kIac, kSb, 44, 101, 0, 0, 0x96, 0, kIac, kSe}) +
                  Bytes({kIac, kSb, 44, 102, 7, kIac, kSe, kIac, kDont, 44}));
  const std::vector<TelnetCodec::Event> expected = {
      {Kind::OptionOn, Side::Ours, 44, 0},        {Kind::OptionOff, Side::Server, 0, 0},
      {Kind::ComPortReply, Side::Ours, 1, 38400}, {Kind::ComPortReply, Side::Ours, 2, 7},
      {Kind::OptionOff, Side::Ours, 44, 0},
  };
  EXPECT_EQ(codec.TakeEvents(), expected);
  EXPECT_TRUE(codec.TakeEvents().empty());
  EXPECT_FALSE(codec.IsOn(Side::Ours, kComPortOption));  // withdrawn: no longer used
}

TEST(TelnetCodec, SubnegotiationsThatAreNoRepliesTellNothing) {
  const std::pair<const char*, std::string> cases[] = {
      {"a speed of three bytes", Bytes({kIac, kSb, 44, 101, 0, 0x25, 0x80, kIac, kSe})},
      {"a notification", Bytes({kIac, kSb, 44, 107, 0x30, kIac, kSe})},
      {"another option", Bytes({kIac, kSb, 24, 101, 0, 0, 0x25, 0x80, kIac, kSe})},
      {"a reply longer than any",
       Bytes({kIac, kSb, 44, 101}) + std::string(5000, 'x') + Bytes({kIac, kSe})},
      {"the client's own command", Bytes({kIac, kSb, 44, 1, 0, 0, 0x25, 0x80, kIac, kSe})},
  };
  for (const auto& [what, bytes] : cases) {
    TelnetCodec codec;
    Feed(codec, bytes + "ok");
    EXPECT_TRUE(codec.TakeEvents().empty()) << what;
    EXPECT_EQ(Data(codec), "ok") << what;
  }
}

TEST(TelnetCodec, ValueBytesFFAreDoubledInsideSubnegotiations) {
  TelnetCodec codec;
  // 65535 baud: 00 00 FF FF, each FF doubled.
  Feed(codec, Bytes({kIac, kSb, 44, 101, 0, 0, kIac, kIac, kIac, kIac, kIac, kSe}));
  ASSERT_EQ(codec.TakeEvents(),
            (std::vector<TelnetCodec::Event>{{Kind::ComPortReply, Side::Ours, 1, 65535}}));
  const std::uint8_t speed[4] = {0, 0, 0xFF, 0xFF};
  codec.SendComPortCommand(kSetBaudRate, speed, 4);
  EXPECT_EQ(TakeOutput(codec), Bytes({kIac, kSb, 44, 1, 0, 0, kIac, kIac, kIac, kIac, kIac, kSe}));
}

TEST(TelnetCodec, ACommandInsideASubnegotiationEndsIt) {
  TelnetCodec codec;
  Feed(codec, Bytes({kIac, kSb, 44, 101, 0, kIac, kWill, 1}) + "x");
  EXPECT_TRUE(codec.TakeEvents().empty());
  EXPECT_EQ(TakeOutput(codec), Bytes({kIac, kDont, 1}));
  EXPECT_EQ(Data(codec), "x");
}

// Received data: binary passes every byte but the doubled 0xFF; plain
// Telnet drops the NUL after a CR. Fed one byte at a time too.
TEST(TelnetCodec, ReceivedDataByMode) {
  struct Case {
    bool binary;
    std::string server;
    std::string data;
  };
  const Case cases[] = {
      {true, Bytes({'a', kIac, kIac, 'b'}), Bytes({'a', 0xFF, 'b'})},
      {true, Bytes({'O', 'K', '\r', 0}), Bytes({'O', 'K', '\r', 0})},
      {false, Bytes({'O', 'K', '\r', 0, 'A'}), "OK\rA"},
      {false, "OK\r\n", "OK\r\n"},
      {false, Bytes({0, '\r', '\r', 0, 0}), Bytes({0, '\r', '\r', 0})},
      {false, Bytes({'a', kIac, kIac, 'b', kIac, 241, 'c'}), Bytes({'a', 0xFF, 'b', 'c'})},
  };
  for (const auto& c : cases) {
    for (bool byteByByte : {false, true}) {
      TelnetCodec codec;
      if (c.binary) Feed(codec, Bytes({kIac, kWill, kBinary}));
      if (byteByByte) {
        for (char b : c.server) Feed(codec, std::string(1, b));
      } else {
        Feed(codec, c.server);
      }
      EXPECT_EQ(Data(codec), c.data) << c.binary << " " << byteByByte;
    }
  }
}

TEST(TelnetCodec, SentDataByMode) {
  const std::string data = Bytes({'A', 'T', 0xFF, '\r'});
  for (bool binary : {true, false}) {
    TelnetCodec codec;
    if (binary) Feed(codec, Bytes({kIac, kDo, kBinary}));
    TakeOutput(codec);
    codec.SendData(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    EXPECT_EQ(TakeOutput(codec), binary ? Bytes({'A', 'T', kIac, kIac, '\r'})
                                        : Bytes({'A', 'T', kIac, kIac, '\r', 0}));
  }
}

TEST(TelnetCodec, NothingTheServerSendsGrowsItWithoutBound) {
  TelnetCodec codec;
  Feed(codec, std::string(100000, 'x'));
  EXPECT_EQ(codec.HeldData(), TelnetCodec::kMaxHeldData);
  EXPECT_EQ(codec.DroppedData(), 100000 - TelnetCodec::kMaxHeldData);
  codec.DiscardData();
  EXPECT_FALSE(codec.HasData());

  // A server that flips an option forever while reading nothing: the
  // answers pile up to a limit, then the codec says it overflowed.
  std::string flips;
  for (int i = 0; i < 5000; ++i) flips += Bytes({kIac, kDo, 3, kIac, kDont, 3});
  Feed(codec, flips);
  EXPECT_TRUE(codec.Overflowed());
  EXPECT_LE(codec.Output().size(), TelnetCodec::kMaxAnswerBacklog + 3);
  EXPECT_LE(codec.TakeEvents().size(), TelnetCodec::kMaxEvents);
}

}  // namespace
}  // namespace zorveth::testing
