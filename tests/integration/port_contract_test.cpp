// The port contract, checked the same way over the serial port (the
// simulated pair's pty) and over the network port (ser2net serving that pty
// with RFC 2217): whatever kind of port the operations get, it behaves as
// they rely on.
#include <chrono>
#include <memory>

#include "port/network_port.h"
#include "port/serial_port.h"
#include "tests/integration/through_ser2net.h"

namespace zorveth::testing {
namespace {

enum class Kind { Serial, Network };

class PortContract : public ThroughSer2net, public ::testing::WithParamInterface<Kind> {
 protected:
  void SetUp() override {
    ThroughSer2net::SetUp();
    if (GetParam() == Kind::Network && !Ser2netInstalled()) GTEST_SKIP() << "no ser2net";
    Serve();
    if (GetParam() == Kind::Network) StartSer2net();
  }
  // A closed port on the pair, or on what is not there when missing.
  std::unique_ptr<CRadioPort> MakePort(bool missing = false) {
    std::unique_ptr<CRadioPort> port;
    if (GetParam() == Kind::Serial) {
      port = std::make_unique<CSerialPort>();
    } else {
      std::uint16_t unused = 0;
      close(Listen(unused));  // a port nobody listens on any more
      port = std::make_unique<CNetworkPort>(
          *ParseNetworkPortName(missing ? "rfc2217://127.0.0.1:" + std::to_string(unused) : Url()));
    }
    port->SetParams(missing ? 99 : kComNumber, pair.server.speed);
    return port;
  }
  // Reads for up to limitMs; what arrived.
  static std::string ReadFor(CRadioPort& port, int limitMs) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < end) {
      std::uint8_t byte = 0;
      if (port.ReadByte(&byte) == 1) got.push_back(static_cast<char>(byte));
    }
    return got;
  }
};

TEST_P(PortContract, OpensTalksToTheRadiosAndClosesOnce) {
  auto port = MakePort();
  ASSERT_EQ(port->Open(), kPortOk) << port->LastOpenError();
  EXPECT_EQ(port->LastOpenError(), "");
  EXPECT_EQ(port->LastOpenFailure(), OpenFailure::None);
  ASSERT_EQ(port->Write("+S\r", 3), kPortOk);
  EXPECT_EQ(ReadFor(*port, 500).rfind("-", 0), 0u);
  ASSERT_EQ(port->Write("ATE\r", 4), kPortOk);
  EXPECT_NE(ReadFor(*port, 500).find("ATE\n\r"), std::string::npos);
  EXPECT_EQ(port->Close(), kPortOk);
  EXPECT_EQ(port->Close(), kPortCloseFailed);
}

TEST_P(PortContract, ReadsKeepTheirPaceAndPurgeDropsWhatArrived) {
  auto port = MakePort();
  ASSERT_EQ(port->Open(), kPortOk) << port->LastOpenError();
  ASSERT_EQ(port->Write("+S\r", 3), kPortOk);  // the prompt comes and waits unread
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(port->Purge());
  std::uint8_t byte = 0;
  for (int i = 0; i < 4; ++i) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port->ReadByte(&byte), 0) << "a byte from before the purge: " << int(byte);
    // Never a busy loop: an empty read takes its time-out (less a tick).
    EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);
  }
  port->Write("ATE\r", 4);
  port->Close();
}

TEST_P(PortContract, AFailedOpenSaysWhyAndIsReleasedByClose) {
  auto port = MakePort(true);
  EXPECT_EQ(port->Open(), kPortOpenFailed);
  EXPECT_NE(port->LastOpenError(), "");
  EXPECT_NE(port->LastOpenFailure(), OpenFailure::None);
  port->Close();
  EXPECT_EQ(port->Close(), kPortCloseFailed);
}

INSTANTIATE_TEST_SUITE_P(SerialAndNetwork, PortContract,
                         ::testing::Values(Kind::Serial, Kind::Network), [](const auto& info) {
                           return info.param == Kind::Serial ? "Serial" : "Network";
                         });

}  // namespace
}  // namespace zorveth::testing
