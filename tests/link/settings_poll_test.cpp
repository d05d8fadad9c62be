#include "link/settings_poll.h"

#include <gtest/gtest.h>

#include "tests/support/expected_reports.h"
#include "tests/support/fake_radio.h"
#include "tests/support/recording_feedback.h"

namespace zorveth::testing {
namespace {

class SettingsPollTest : public ::testing::Test {
 protected:
  SettingsPollTest() {
    client.escape = "+C\r";
    client.registers["M"] = "2";
    ConnectRadios(port, {&server, &client});
  }
  std::vector<std::uint32_t> OpenSpeeds() const {
    std::vector<std::uint32_t> speeds;
    for (const auto& e : port.Events()) {
      if (e.what.rfind("open ", 0) == 0) speeds.push_back(std::stoul(e.what.substr(5)));
    }
    return speeds;
  }
  int Count(const std::string& what) const {
    int n = 0;
    for (const auto& e : port.Events()) n += e.what == what;
    return n;
  }

  FakeClock clock;
  FakeSerialPort port{clock};
  FakeRadio server;
  FakeRadio client;
  RecordingFeedback feedback;
  std::string portText = "COM3";
  SettingsPoll poll{portText, port, clock, feedback, feedback};
};

TEST_F(SettingsPollTest, ServerAt9600IsFoundAfterTwoSilentSpeedsAndReported) {
  poll.PollServer();
  EXPECT_EQ(feedback.lines, kServerReportAt9600);
  EXPECT_TRUE(feedback.messages.empty());
  EXPECT_EQ(OpenSpeeds(), (std::vector<std::uint32_t>{38400, 19200, 9600}));
  EXPECT_EQ(port.PortNumber(), 3);
  EXPECT_EQ(portText, "3");
  EXPECT_EQ(port.Written(9600), "+S\rATC\rATFP\rATM\rATID\rATBA\rATS\rATREV\rATE\r");
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(Count("close"), 3);
  EXPECT_EQ(feedback.cursorDepth, 0);
}

TEST_F(SettingsPollTest, ClientGetsThreeEscapesPerSpeedAndTheSettlingPause) {
  server.powered = false;
  client.speed = 4800;
  poll.PollClient();
  EXPECT_EQ(port.Written(38400), "+C\r+C\r+C\r");
  EXPECT_EQ(port.Written(19200), "+C\r+C\r+C\r");
  EXPECT_EQ(feedback.lines.at(0), "Settings polled from: Client");
  EXPECT_EQ(feedback.lines.at(6), "Baud Rate:                     4800");
  EXPECT_EQ(clock.Slept(), 420u);
  EXPECT_TRUE(feedback.messages.empty());
}

TEST_F(SettingsPollTest, ClientPauseComesBetweenPromptAndFirstQuery) {
  client.speed = 38400;
  poll.PollClientAtSpeed(38400);
  std::uint64_t escapeAt = 0, firstQueryAt = 0;
  for (const auto& e : port.Events()) {
    if (e.what == "write +C\r") escapeAt = e.timeMs;
    if (e.what == "write ATC\r") firstQueryAt = e.timeMs;
  }
  EXPECT_GE(firstQueryAt - escapeAt, 420u);
  EXPECT_LT(firstQueryAt - escapeAt, 420u + 60u);
}

TEST_F(SettingsPollTest, ClientRepeatsTheExitUpToThreeTimesServerSendsItOnce) {
  server.speed = client.speed = 19200;
  server.echo = client.echo = false;
  server.confirmsExit = client.confirmsExit = false;
  poll.PollBoth();
  EXPECT_EQ(Count("write ATE\r"), 1 + 3);
  EXPECT_EQ(feedback.lines.size(), 22u);
}

TEST_F(SettingsPollTest, BothPollsClientOnlyAtTheServersSpeed) {
  server.speed = 2400;
  client.speed = 2400;
  poll.PollBoth();
  ASSERT_EQ(feedback.lines.size(), 22u);
  EXPECT_EQ(feedback.lines[0], "Settings polled from: Server");
  EXPECT_EQ(feedback.lines[11], "Settings polled from: Client");
  EXPECT_EQ(feedback.lines[17], "Baud Rate:                     2400");
}

TEST_F(SettingsPollTest, ClientAtAnotherSpeedFailsAfterTheServersReport) {
  client.speed = 38400;
  poll.PollBoth();
  EXPECT_EQ(feedback.lines.size(), 11u);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Polling Client Failed"});
  EXPECT_EQ(port.Written(38400), "+S\r");  // the Client was never asked at 38400
}

TEST_F(SettingsPollTest, NoServerMeansNoClientAttempt) {
  server.powered = false;
  poll.PollBoth();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Polling Failed"});
  EXPECT_EQ(port.Written().find("+C"), std::string::npos);
}

TEST_F(SettingsPollTest, PromptWithoutRepliesIsAReadErrorAndStopsTheProbe) {
  server.answersQueries = false;
  server.speed = 38400;
  poll.PollServer();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Error During Read"});
  EXPECT_EQ(feedback.messageCursorDepth, std::vector<int>{1});
  EXPECT_TRUE(feedback.lines.empty());
  EXPECT_EQ(OpenSpeeds(), std::vector<std::uint32_t>{38400});
  EXPECT_EQ(port.Writes().back(), "ATE\r");
}

TEST_F(SettingsPollTest, SystemIdOf65535ReadsAsAFailure) {
  server.registers["ID"] = "65535";
  poll.PollServer();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Error During Read"});
}

TEST_F(SettingsPollTest, OnlyTheRevisionFailingStillReports) {
  server.registers.erase("REV");
  poll.PollServer();
  EXPECT_TRUE(feedback.messages.empty());
  EXPECT_EQ(feedback.lines.at(8), "Firmware Revision:          65535");
}

TEST_F(SettingsPollTest, UnknownRoleGivesAnEmptyHeadingRole) {
  server.registers["M"] = "7";
  poll.PollServer();
  EXPECT_EQ(feedback.lines.at(0), "Settings polled from: ");
}

TEST_F(SettingsPollTest, EmptyPortTextFailsEverySpeedWithOnlyTheProbeMessage) {
  portText.clear();
  port.failAllOpens = true;
  poll.PollServer();
  EXPECT_EQ(port.PortNumber(), 0);
  EXPECT_EQ(OpenSpeeds().size(), 5u);
  EXPECT_EQ(Count("close"), 5);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Polling Server Failed"});
  EXPECT_EQ(feedback.cursorDepth, 0);
}

TEST_F(SettingsPollTest, TwoPollsAccumulateOlderFirst) {
  poll.PollServer();
  server.registers["C"] = "70";
  poll.PollServer();
  ASSERT_EQ(feedback.lines.size(), 22u);
  EXPECT_EQ(feedback.lines[2], "Channel Number:            67");
  EXPECT_EQ(feedback.lines[13], "Channel Number:            70");
}

}  // namespace
}  // namespace zorveth::testing

namespace zorveth::testing {
namespace {

// Every wait of a single-speed poll, held at its time-out: an answer just
// inside is taken, one just outside is missed, which shows in how many
// escapes or exits went out, or in whether the radio was found.
struct PollWaitCase {
  const char* wait;
  RadioRole role;
  std::function<void(FakeRadio& radio, std::uint64_t delayMs)> delay;
  std::uint64_t inside;
  std::uint64_t outside;
  // What the poll wrote, inside and outside the wait.
  int escapesInside, escapesOutside;
  int exitsInside, exitsOutside;
  bool foundOutside;
};

TEST(SettingsPollWaits, EachWaitEndsAtItsTimeOut) {
  const PollWaitCase cases[] = {
      // A Server prompt missed is not asked for again at this speed.
      {"Server prompt (200 ms)", RadioRole::Server,
       [](FakeRadio& r, std::uint64_t d) { r.promptDelayMs = d; }, 190, 210, 1, 1, 1, 0, false},
      // A late Client prompt is caught by the second escape's wait.
      {"Client prompt (200 ms)", RadioRole::Client,
       [](FakeRadio& r, std::uint64_t d) { r.promptDelayMs = d; }, 190, 210, 1, 2, 1, 1, true},
      {"Client escapes (3)", RadioRole::Client,
       [](FakeRadio& r, std::uint64_t d) { r.escapesIgnored = static_cast<int>(d); }, 2, 3, 3, 3, 1,
       0, false},
      // A late Client confirmation is caught by the second exit's wait.
      {"Client exit (200 ms)", RadioRole::Client,
       [](FakeRadio& r, std::uint64_t d) { r.exitDelayMs = d; }, 190, 210, 1, 1, 1, 2, true},
  };
  for (const auto& c : cases) {
    for (bool inside : {true, false}) {
      FakeClock clock;
      FakeSerialPort port{clock};
      FakeRadio radio;
      radio.escape = c.role == RadioRole::Client ? "+C\r" : "+S\r";
      radio.speed = 9600;
      c.delay(radio, inside ? c.inside : c.outside);
      ConnectRadios(port, {&radio});
      RecordingFeedback feedback;
      std::string portText = "COM3";
      SettingsPoll poll{portText, port, clock, feedback, feedback};
      const bool found =
          c.role == RadioRole::Client ? poll.PollClientAtSpeed(9600) : poll.PollServerAtSpeed(9600);
      int escapes = 0, exits = 0;
      for (const auto& write : port.Writes()) {
        escapes += write == radio.escape;
        exits += write == "ATE\r";
      }
      const char* where = inside ? "inside" : "outside";
      EXPECT_EQ(found, inside || c.foundOutside) << c.wait << ' ' << where;
      EXPECT_EQ(escapes, inside ? c.escapesInside : c.escapesOutside) << c.wait << ' ' << where;
      EXPECT_EQ(exits, inside ? c.exitsInside : c.exitsOutside) << c.wait << ' ' << where;
      EXPECT_FALSE(port.IsOpen()) << c.wait << ' ' << where;
    }
  }
}

TEST(SettingsPollWaits, ServerExitWaitsTwoHundredMsBeforeTheClose) {
  FakeClock clock;
  FakeSerialPort port{clock};
  FakeRadio server;
  server.confirmsExit = false;
  ConnectRadios(port, {&server});
  RecordingFeedback feedback;
  std::string portText = "COM3";
  SettingsPoll{portText, port, clock, feedback, feedback}.PollServerAtSpeed(9600);
  const auto& events = port.Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2].what, "write ATE\r");
  EXPECT_EQ(events.back().what, "close");
  EXPECT_EQ(events.back().timeMs - events[events.size() - 2].timeMs, 200u);
}

}  // namespace
}  // namespace zorveth::testing
