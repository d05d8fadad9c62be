#include "link/command_mode.h"

#include <gtest/gtest.h>

#include "tests/support/fake_serial_port.h"

namespace zorveth::testing {
namespace {

class CommandModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port.SetParams(1, 9600);
    ASSERT_EQ(port.Open(), kPortOk);
  }
  FakeClock clock;
  FakeSerialPort port{clock};
};

TEST_F(CommandModeTest, EscapeIsExactlyThreeBytesAfterAPurge) {
  EnterCommandMode(port, clock, RadioRole::Client, 200);
  EnterCommandMode(port, clock, RadioRole::Server, 200);
  EXPECT_EQ(port.Writes(), (std::vector<std::string>{"+C\r", "+S\r"}));
  EXPECT_EQ(port.Events()[1].what, "purge");
}

TEST_F(CommandModeTest, PromptWithOtherBytesBetweenCarriageReturnsIsAccepted) {
  port.Send("-\n\rxx\r\n\r\n\r", 30);
  EXPECT_TRUE(WaitForPrompt(port, clock, 200));
}

TEST_F(CommandModeTest, WrongFirstByteFailsWithoutWaitingForTheTimeOut) {
  port.Send("X\r\r\r\r", 10);
  EXPECT_FALSE(WaitForPrompt(port, clock, 200));
  EXPECT_EQ(clock.Elapsed(), 10u);
}

TEST_F(CommandModeTest, ThreeCarriageReturnsFailAfterTwoSeconds) {
  port.Send("-\r\r\r", 5);
  EXPECT_FALSE(WaitForPrompt(port, clock, 200));
  EXPECT_GE(clock.Elapsed(), 5u + 2000u);
  EXPECT_LT(clock.Elapsed(), 5u + 2000u + 50u);
}

TEST_F(CommandModeTest, FourthCarriageReturnAfterTwoSecondsIsTooLate) {
  port.Send("-\r\r\r", 5);
  port.Send("\r", 2100);
  EXPECT_FALSE(WaitForPrompt(port, clock, 200));
}

TEST_F(CommandModeTest, SilenceEndsAtTheFirstByteTimeOut) {
  EXPECT_FALSE(WaitForPrompt(port, clock, 200));
  EXPECT_EQ(clock.Elapsed(), 200u);
}

TEST_F(CommandModeTest, ZeroTimeOutStillReadsOnce) {
  port.Send("-\r\r\r\r", 20);
  EXPECT_TRUE(WaitForPrompt(port, clock, 0));
}

TEST_F(CommandModeTest, ReadLineStopsAfterTheFirstCarriageReturn) {
  port.Send("12\n\r34\n\r");
  EXPECT_EQ(ReadLine(port, clock, 400), "12\n\r");
  EXPECT_EQ(ReadLine(port, clock, 400), "34\n\r");
}

TEST_F(CommandModeTest, ReadLineReturnsWhatArrivedBeforeTheDeadline) {
  port.Send("Wri", 10);
  EXPECT_EQ(ReadLine(port, clock, 400), "Wri");
  EXPECT_GE(clock.Elapsed(), 400u);
  EXPECT_LT(clock.Elapsed(), 450u);
}

TEST_F(CommandModeTest, OverlongLineIsConsumedToItsEndSoTheNextLineIsFramed) {
  std::string longEcho = "AT" + std::string(80, 'X') + "\n\r";
  port.Send(longEcho + "Write successful\n\r");
  std::string first = ReadLine(port, clock, 400);
  EXPECT_EQ(first, longEcho.substr(0, 51));
  EXPECT_EQ(ReadLine(port, clock, 400), "Write successful\n\r");
}

TEST_F(CommandModeTest, LeaveCommandModeNeedsTheExactConfirmation) {
  port.Send("ATE\n\r");
  EXPECT_TRUE(LeaveCommandMode(port, clock, 200));
  EXPECT_EQ(port.Writes().back(), "ATE\r");
  for (const char* reply : {"ATE\r", "ate\n\r", "OK\n\r", "ATE\nXXXXXXXXXXXXX\r"}) {
    port.Send(reply);
    EXPECT_FALSE(LeaveCommandMode(port, clock, 200)) << reply;
  }
  EXPECT_FALSE(LeaveCommandMode(port, clock, 200));
}

TEST_F(CommandModeTest, LeaveCommandModeDeadlineCoversPurgeAndWrite) {
  // A port whose purge and write take time leave less of the time-out for
  // the confirmation.
  port.SetResponder([this](FakeSerialPort& p, const std::string&, std::uint32_t) {
    clock.Advance(150);
    p.Send("ATE\n\r", 60);
  });
  EXPECT_FALSE(LeaveCommandMode(port, clock, 200));
}

TEST_F(CommandModeTest, QueryWithoutEchoReadsOneLine) {
  port.SetResponder([](FakeSerialPort& p, const std::string&, std::uint32_t) { p.Send("12\n\r"); });
  EXPECT_EQ(QueryValue(port, clock, "C"), 12);
  EXPECT_EQ(port.Writes(), std::vector<std::string>{"ATC\r"});
}

TEST_F(CommandModeTest, QuerySkipsTheEcho) {
  port.SetResponder([](FakeSerialPort& p, const std::string& cmd, std::uint32_t) {
    p.Send(cmd.substr(0, cmd.size() - 1) + "\n\r" + "65535\n\r");
  });
  EXPECT_EQ(QueryValue(port, clock, "FP"), 65535);
  EXPECT_EQ(port.Writes(), std::vector<std::string>{"ATFP\r"});
}

TEST_F(CommandModeTest, EchoOnlyThreeTimesGivesTheFailureValue) {
  port.SetResponder(
      [](FakeSerialPort& p, const std::string&, std::uint32_t) { p.Send("ATC\n\r"); });
  EXPECT_EQ(QueryValue(port, clock, "C"), kQueryFailed);
  EXPECT_EQ(port.Writes(), std::vector<std::string>(3, "ATC\r"));
  int purges = 0;
  for (const auto& e : port.Events()) purges += e.what == "purge";
  EXPECT_EQ(purges, 3);
}

TEST_F(CommandModeTest, GarbledReplyIsAFailedAttemptNotANumber) {
  int calls = 0;
  port.SetResponder([&calls](FakeSerialPort& p, const std::string&, std::uint32_t) {
    p.Send(++calls < 3 ? "1x7\n\r" : "17\n\r");
  });
  EXPECT_EQ(QueryValue(port, clock, "S"), 17);
  EXPECT_EQ(calls, 3);
}

// A line the time-out cut off, even one that starts like the echo, is not
// an echo: the digits arriving after it in the same attempt are the rest of
// that line, not a reply. (The last attempt, so no later one reads them.)
TEST_F(CommandModeTest, LineCutOffByTheTimeOutIsNoEchoBeforeAReply) {
  for (const std::string& cutOff :
       {std::string("AT\x98"), std::string("A"), std::string("\n\n\0\x01", 4)}) {
    SCOPED_TRACE(::testing::PrintToString(cutOff));
    FakeClock caseClock;
    FakeSerialPort casePort{caseClock};
    casePort.SetParams(1, 9600);
    ASSERT_EQ(casePort.Open(), kPortOk);
    int calls = 0;
    casePort.SetResponder([&](FakeSerialPort& p, const std::string&, std::uint32_t) {
      if (++calls < kQueryAttempts) return;
      p.Send(cutOff);
      p.Send("12\n\r", kQueryReplyTimeoutMs + 50);
    });
    EXPECT_EQ(QueryValue(casePort, caseClock, "C"), kQueryFailed);
  }
}

TEST_F(CommandModeTest, ValuesAboveSixteenBitsWrapLikeTheRegister) {
  port.SetResponder(
      [](FakeSerialPort& p, const std::string&, std::uint32_t) { p.Send("65537\n\r"); });
  EXPECT_EQ(QueryValue(port, clock, "ID"), 1);
}

// The reply window of a query is 400 ms, counted from the command or from
// the echo line; a reply that misses it is caught only after the command has
// gone out again.
TEST_F(CommandModeTest, QueryReplyWaitsFourHundredMsPerLine) {
  struct Case {
    const char* what;
    bool echo;
    std::uint64_t delayMs;
    std::size_t writes;
  };
  const Case cases[] = {
      {"reply inside", false, 390, 1},
      {"reply outside", false, 410, 2},
      {"reply after echo inside", true, 390, 1},
      {"reply after echo outside", true, 410, 2},
  };
  for (const auto& c : cases) {
    FakeClock caseClock;
    FakeSerialPort casePort{caseClock};
    casePort.SetParams(1, 9600);
    ASSERT_EQ(casePort.Open(), kPortOk);
    casePort.SetResponder([&c](FakeSerialPort& p, const std::string&, std::uint32_t) {
      if (c.echo) p.Send("ATC\n\r", 5);
      p.Send("12\n\r", (c.echo ? 5 : 0) + c.delayMs);
    });
    EXPECT_EQ(QueryValue(casePort, caseClock, "C"), 12) << c.what;
    EXPECT_EQ(casePort.Writes().size(), c.writes) << c.what;
  }
}

TEST_F(CommandModeTest, QueryMakesThreeAttempts) {
  for (int answeredAt : {3, 4}) {
    FakeClock caseClock;
    FakeSerialPort casePort{caseClock};
    casePort.SetParams(1, 9600);
    ASSERT_EQ(casePort.Open(), kPortOk);
    int attempt = 0;
    casePort.SetResponder([&](FakeSerialPort& p, const std::string&, std::uint32_t) {
      if (++attempt >= answeredAt) p.Send("12\n\r");
    });
    const std::uint16_t value = QueryValue(casePort, caseClock, "C");
    EXPECT_EQ(value, answeredAt <= 3 ? 12 : kQueryFailed) << "answered at " << answeredAt;
    EXPECT_EQ(attempt, 3);
  }
}

TEST_F(CommandModeTest, BareLineEndCountsAsTheEcho) {
  port.SetResponder([](FakeSerialPort& p, const std::string&, std::uint32_t) {
    p.Send("\n\r", 2);
    p.Send("12\n\r", 4);
  });
  EXPECT_EQ(QueryValue(port, clock, "C"), 12);
  EXPECT_EQ(port.Writes().size(), 1u);
}

TEST_F(CommandModeTest, NulEndsTheLineItArrivesIn) {
  port.Send(std::string("ab\0cd\n\r", 7) + "ef\n\r");
  EXPECT_EQ(ReadLine(port, clock, 400), "ab");
  EXPECT_EQ(ReadLine(port, clock, 400), "ef\n\r");
}

// Only digits followed by exactly "\n\r" make a value: a reply that lost its
// line feed, was cut off by the time-out or ran past the 51 characters a line
// holds would otherwise read as a wrong number.
TEST_F(CommandModeTest, ReplyCountsOnlyWhenWhole) {
  const std::pair<std::string, std::uint16_t> cases[] = {
      {"67\r", kQueryFailed},
      {"12345\r", kQueryFailed},
      {"1234", kQueryFailed},
      {std::string(60, '7') + "\n\r", kQueryFailed},
      {"\r\n", kQueryFailed},
      {"\n\r", kQueryFailed},
      {"6 7\n\r", kQueryFailed},
      {"67\n\r", 67},
      {"0\n\r", 0},
      {std::string(49, '0') + "42\n\r", kQueryFailed},  // 51 digits: past a line
      {std::string(47, '0') + "42\n\r", 42},            // 49 digits: the longest whole reply
  };
  for (const auto& [reply, expected] : cases) {
    FakeClock caseClock;
    FakeSerialPort casePort{caseClock};
    casePort.SetParams(1, 9600);
    ASSERT_EQ(casePort.Open(), kPortOk);
    casePort.SetResponder(
        [&reply](FakeSerialPort& p, const std::string&, std::uint32_t) { p.Send(reply); });
    EXPECT_EQ(QueryValue(casePort, caseClock, "C"), expected) << reply;
  }
}

}  // namespace
}  // namespace zorveth::testing
