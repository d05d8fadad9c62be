// The network port's waits, exactly, on the fake clock: a scripted channel
// stands in for the socket and delivers the server's bytes at set times.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "port/network_port.h"
#include "tests/support/fake_clock.h"

namespace zorveth::testing {
namespace {

// The server behind the channel: what it answers to the bytes the port sent.
using Responder = std::function<std::string(const std::string& sent)>;

class ScriptedChannel final : public NetworkChannel {
 public:
  ScriptedChannel(FakeClock& clock, Responder responder) : m_clock(clock), m_responder(responder) {}

  bool connects = true;    // the connect ends at all
  bool takesSends = true;  // the server reads what is sent
  std::uint32_t latencyMs = 10;
  std::string sent;

  void StartConnect(const std::string&, std::uint16_t) override {}
  Progress ConnectProgress(std::string&) override {
    if (!connects) return Progress::Connecting;
    m_open = true;
    return Progress::Connected;
  }
  bool IsOpen() const override { return m_open; }
  long SendSome(const std::uint8_t* data, std::size_t length) override {
    if (!m_open) return -1;
    if (!takesSends) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), length);
    sent += bytes;
    const std::string answer = m_responder(bytes);
    if (!answer.empty()) m_arriving.push_back({m_clock.NowMs() + latencyMs, answer});
    return static_cast<long>(length);
  }
  long ReceiveSome(std::uint8_t* buffer, std::size_t capacity) override {
    if (!m_open) return -1;
    if (m_arriving.empty() || m_arriving.front().at > m_clock.NowMs()) return 0;
    std::string& bytes = m_arriving.front().bytes;
    const std::size_t n = std::min(capacity, bytes.size());
    std::copy_n(bytes.begin(), n, buffer);
    bytes.erase(0, n);
    if (bytes.empty()) m_arriving.pop_front();
    return static_cast<long>(n);
  }
  void Wait(bool forSending, std::uint32_t timeoutMs, const CancellationToken*) override {
    std::uint64_t until = m_clock.NowMs() + timeoutMs;
    if (!forSending && !m_arriving.empty()) until = std::min(until, m_arriving.front().at);
    if (forSending && takesSends) until = m_clock.NowMs();
    m_clock.Advance(until - m_clock.NowMs());
  }
  void Close() override { m_open = false; }
  void Deliver(const std::string& bytes) { m_arriving.push_back({m_clock.NowMs(), bytes}); }

 private:
  struct Arrival {
    std::uint64_t at;
    std::string bytes;
  };
  FakeClock& m_clock;
  Responder m_responder;
  bool m_open = false;
  std::deque<Arrival> m_arriving;
};

// Sized: the option number of binary is a NUL.
const std::string kAgree("\xFF\xFD\x2C\xFF\xFD\x00\xFF\xFB\x00\xFF\xFD\x03\xFF\xFB\x03", 15);
const std::string kRefuseBinary("\xFF\xFD\x2C\xFF\xFE\x00\xFF\xFC\x00\xFF\xFD\x03\xFF\xFB\x03", 15);

std::string Reply(int command, const std::string& value) {
  return std::string("\xFF\xFA\x2C", 3) + static_cast<char>(command + 100) + value + "\xFF\xF0";
}
const std::string kSpeed9600 = Reply(1, std::string("\x00\x00\x25\x80", 4));

// A server that answers the first requests with options and the line
// settings with the replies given.
Responder Server(const std::string& options, const std::string& lineReplies) {
  return [=](const std::string& sent) -> std::string {
    if (sent.rfind("\xFF\xFB\x2C", 0) == 0) return options;
    if (sent.rfind("\xFF\xFA\x2C\x01", 0) == 0) return lineReplies;
    return "";
  };
}

struct Rig {
  FakeClock clock;
  ScriptedChannel* channel = nullptr;
  std::unique_ptr<CNetworkPort> port;
  explicit Rig(Responder responder) {
    auto owned = std::make_unique<ScriptedChannel>(clock, std::move(responder));
    channel = owned.get();
    port = std::make_unique<CNetworkPort>(NetworkAddress{"h", 1, "rfc2217://h:1"}, clock,
                                          std::move(owned));
    port->SetParams(0, 9600);
  }
};

TEST(NetworkPortWaits, OpensTakeTheirRoundTripsAndFailAtTheirDeadlines) {
  struct Case {
    const char* what;
    Responder server;
    bool connects;
    std::uint64_t elapsed;
    std::string error;  // after "rfc2217://h:1: "; empty: opened
  };
  const Case cases[] = {
      {"agreed: two round trips", Server(kAgree, kSpeed9600), true, 20, ""},
      {"binary refused costs no more", Server(kRefuseBinary, kSpeed9600), true, 20, ""},
      {"never connects", Server(kAgree, kSpeed9600), false, 3000, "no answer within 3000 ms"},
      {"silent server", Server("", ""), true, 1000,
       "no answer to the COM port option (RFC 2217) within 1 s"},
      {"option refused", Server("\xFF\xFE\x2C", ""), true, 10,
       "the server refused the COM port option (RFC 2217)"},
      {"no speed answer", Server(kAgree, Reply(2, "\x08")), true, 1010,
       "the server did not confirm 9600 baud within 1 s"},
      {"another speed", Server(kAgree, Reply(1, std::string("\x00\x00\x4B\x00", 4))), true, 20,
       "the server set 19200 baud when 9600 was asked"},
      {"seven data bits", Server(kAgree, kSpeed9600 + Reply(2, "\x07")), true, 20,
       "the server set 7 data bits when 8 were asked"},
      {"even parity", Server(kAgree, kSpeed9600 + Reply(3, "\x03")), true, 20,
       "the server set parity even when none was asked"},
      {"two stop bits", Server(kAgree, kSpeed9600 + Reply(4, "\x02")), true, 20,
       "the server set 2 stop bits when 1 was asked"},
      {"hardware flow control", Server(kAgree, kSpeed9600 + Reply(5, "\x03")), true, 20,
       "the server set hardware flow control when none was asked"},
      {"DTR and RTS answers are no flow control",
       Server(kAgree, kSpeed9600 + Reply(5, "\x09") + Reply(5, "\x0B")), true, 20, ""},
  };
  for (const auto& c : cases) {
    Rig rig(c.server);
    rig.channel->connects = c.connects;
    const std::int16_t status = rig.port->Open();
    EXPECT_EQ(rig.clock.Elapsed(), c.elapsed) << c.what;
    EXPECT_EQ(status, c.error.empty() ? kPortOk : kPortOpenFailed) << c.what;
    EXPECT_EQ(rig.port->LastOpenError(), c.error.empty() ? "" : "rfc2217://h:1: " + c.error)
        << c.what;
  }
}

// A speed answer that left the server before it read the request does not
// confirm it, even when the request's own answer never comes.
TEST(NetworkPortWaits, OnlyAnAnswerAfterTheRequestConfirmsTheSpeed) {
  Rig rig(Server(kAgree + kSpeed9600, ""));
  EXPECT_EQ(rig.port->Open(), kPortOpenFailed);
  EXPECT_EQ(rig.port->LastOpenError(),
            "rfc2217://h:1: the server did not confirm 9600 baud within 1 s");
}

TEST(NetworkPortWaits, AServerThatStopsReadingCostsAWriteOneSecondAndAReadFifty) {
  Rig rig(Server(kAgree, kSpeed9600));
  ASSERT_EQ(rig.port->Open(), kPortOk);
  rig.channel->takesSends = false;
  // It asks for an option: the answer cannot go out, the read keeps its pace.
  rig.channel->Deliver("\xFF\xFE\x03");
  std::uint8_t byte = 0;
  std::uint64_t before = rig.clock.NowMs();
  EXPECT_EQ(rig.port->ReadByte(&byte), 0);
  EXPECT_EQ(rig.clock.NowMs() - before, 50u);
  before = rig.clock.NowMs();
  EXPECT_EQ(rig.port->Write("ATC\r", 4), kPortWriteFailed);
  EXPECT_EQ(rig.clock.NowMs() - before, 1000u);
  EXPECT_EQ(rig.port->Write("ATC\r", 4), kPortWriteFailed);  // the connection is gone
  EXPECT_EQ(rig.port->Close(), kPortOk);
}

TEST(NetworkPortWaits, PurgeDropsAllThatArrivedAndAsksTheServerToo) {
  Rig rig(Server(kAgree, kSpeed9600));
  ASSERT_EQ(rig.port->Open(), kPortOk);
  rig.channel->Deliver(std::string(3000, 'z'));
  rig.channel->Deliver(std::string(9000, 'y'));
  std::uint8_t byte = 0;
  ASSERT_EQ(rig.port->ReadByte(&byte), 1);  // some of it is read into the port
  rig.channel->sent.clear();
  EXPECT_TRUE(rig.port->Purge());
  EXPECT_EQ(rig.port->ReadByte(&byte), 0);
  EXPECT_EQ(rig.channel->sent, std::string("\xFF\xFA\x2C\x0C\x01\xFF\xF0", 7));
}

}  // namespace
}  // namespace zorveth::testing
