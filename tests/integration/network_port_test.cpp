// The network port against a scripted RFC 2217 server on the loopback: the
// contract, the negotiation and the Telnet byte rules.
#include "port/network_port.h"

#include <chrono>
#include <thread>

#include "tests/integration/loopback_server.h"

namespace zorveth::testing {
namespace {

TEST(NetworkPortName, OnlyWellFormedAddressesParse) {
  const std::pair<const char*, bool> cases[] = {
      {"rfc2217://127.0.0.1:7701", true}, {"RFC2217://host.example:1", true},
      {"rfc2217://[::1]:4001", true},     {"rfc2217://host:65536", false},
      {"rfc2217://host:0", false},        {"rfc2217://:4001", false},
      {"rfc2217://host", false},          {"rfc2217://host:40x1", false},
      {"rfc2217://a b:4001", false},      {"telnet://host:23", false},
  };
  for (const auto& [text, ok] : cases) {
    EXPECT_EQ(ParseNetworkPortName(text).has_value(), ok) << text;
  }
  EXPECT_EQ(ParseNetworkPortName("rfc2217://[::1]:4001")->host, "::1");
}

TEST(NetworkPortContract, FailedOpensSayWhyWithinTheirTimeOuts) {
  std::uint16_t closedPort = 0;
  close(Listen(closedPort));  // nobody listens there any more
  auto refusedPort = PortFor("rfc2217://127.0.0.1:" + std::to_string(closedPort));
  CNetworkPort& refused = *refusedPort;
  EXPECT_EQ(refused.Open(), kPortOpenFailed);
  EXPECT_EQ(refused.LastOpenError(),
            "rfc2217://127.0.0.1:" + std::to_string(closedPort) + ": connection refused");
  EXPECT_EQ(refused.Close(), kPortCloseFailed);

  ScriptedServer silent(false);
  auto mutePort = PortFor(silent.Url());
  CNetworkPort& mute = *mutePort;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(mute.Open(), kPortOpenFailed);
  EXPECT_GE(ElapsedMs(start), 900);
  EXPECT_LT(ElapsedMs(start), 3000);
  EXPECT_NE(mute.LastOpenError().find("no answer to the COM port option"), std::string::npos)
      << mute.LastOpenError();
  mute.Close();
}

TEST(NetworkPortContract, NegotiatesSetsTheLineAndKeepsTheReadPace) {
  ScriptedServer server(true);
  auto networkPort = PortFor(server.Url());
  CNetworkPort& port = *networkPort;
  ASSERT_EQ(port.Open(), kPortOk) << port.LastOpenError();
  EXPECT_TRUE(port.TimeoutsPending());
  // WILL COM-PORT-OPTION, SET-BAUDRATE 9600 as four bytes in network order,
  // 8N1, and DTR off.
  EXPECT_TRUE(server.Got("\xFF\xFB\x2C"));
  EXPECT_TRUE(server.Got(std::string("\xFF\xFA\x2C\x01\x00\x00\x25\x80\xFF\xF0", 10)));
  EXPECT_TRUE(server.Got(std::string("\xFF\xFA\x2C\x02\x08\xFF\xF0", 7)));
  EXPECT_TRUE(server.Got(std::string("\xFF\xFA\x2C\x05\x09\xFF\xF0", 7)));

  std::uint8_t byte = 0x42;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadByte(&byte), 0);
  EXPECT_GE(ElapsedMs(start), 45);
  EXPECT_EQ(byte, 0x42);

  // 0xFF goes out doubled and comes back from a doubled pair.
  const std::uint8_t data[] = {'A', 0xFF, '\r'};
  EXPECT_EQ(port.Write(data, 3), kPortOk);
  EXPECT_FALSE(port.TimeoutsPending());
  server.Send(std::string("x\xFF\xFFy", 4));
  std::string got;
  for (int i = 0; i < 40 && got.size() < 3; ++i) {
    if (port.ReadByte(&byte) == 1) got.push_back(static_cast<char>(byte));
  }
  EXPECT_EQ(got, std::string("x\xFFy", 3));
  EXPECT_TRUE(server.Got("A\xFF\xFF\r"));

  // Purge drops what came in and asks the server to purge its receive side.
  server.Send("stale");
  std::this_thread::sleep_for(50ms);
  port.Purge();
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadByte(&byte), 0);
  EXPECT_TRUE(server.Got(std::string("\xFF\xFA\x2C\x0C\x01\xFF\xF0", 7)));

  EXPECT_EQ(port.Close(), kPortOk);
  EXPECT_EQ(port.Close(), kPortCloseFailed);
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadByte(&byte), 0);  // closed: still the 50 ms pace
  EXPECT_GE(ElapsedMs(start), 45);
  EXPECT_EQ(port.Write(data, 1), kPortWriteFailed);
}

}  // namespace
}  // namespace zorveth::testing
