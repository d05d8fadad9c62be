#include <gtest/gtest.h>

#include <functional>

#include "link/configure.h"
#include "link/initialize.h"
#include "tests/support/fake_radio.h"
#include "tests/support/recording_feedback.h"

namespace zorveth::testing {
namespace {

class WriteOperationTest : public ::testing::Test {
 protected:
  WriteOperationTest() {
    client.escape = "+C\r";
    client.registers["M"] = "2";
    server.speed = client.speed = 19200;
    ConnectRadios(port, {&server, &client});
    choices.comPort = "COM3";
  }
  std::vector<std::uint32_t> OpenSpeeds() const {
    std::vector<std::uint32_t> speeds;
    for (const auto& e : port.Events()) {
      if (e.what.rfind("open ", 0) == 0) speeds.push_back(std::stoul(e.what.substr(5)));
    }
    return speeds;
  }
  std::uint64_t TimeOf(const std::string& what, int nth = 0) const {
    for (const auto& e : port.Events()) {
      if (e.what == what && nth-- == 0) return e.timeMs;
    }
    return 0;
  }
  void Configure() { RadioConfigurator(port, clock, feedback).ConfigureRadios(choices, settings); }

  FakeClock clock;
  FakeSerialPort port{clock};
  FakeRadio server;
  FakeRadio client;
  RecordingFeedback feedback;
  LinkChoices choices;
  AdvancedSettings settings;
};

using ConfigureTest = WriteOperationTest;

using AdjustRadios = std::function<void(FakeRadio& server, FakeRadio& client)>;

// One operation on a fresh pair whose answers come when adjust says; its
// one message, or a note of how many there were.
std::string MessageOf(const std::function<void(CRadioPort&, Clock&, RecordingFeedback&)>& operation,
                      const AdjustRadios& adjust) {
  FakeClock clock;
  FakeSerialPort port{clock};
  FakeRadio server;
  FakeRadio client;
  client.escape = "+C\r";
  server.speed = client.speed = 19200;
  adjust(server, client);
  ConnectRadios(port, {&server, &client});
  RecordingFeedback feedback;
  operation(port, clock, feedback);
  if (feedback.messages.size() == 1) return feedback.messages[0];
  return std::to_string(feedback.messages.size()) + " messages";
}

std::string ConfigureWith(const AdjustRadios& adjust) {
  return MessageOf(
      [](CRadioPort& port, Clock& clock, RecordingFeedback& feedback) {
        LinkChoices choices;
        choices.comPort = "COM3";
        RadioConfigurator(port, clock, feedback).ConfigureRadios(choices, AdvancedSettings{});
      },
      adjust);
}

std::string InitializeWith(const AdjustRadios& adjust) {
  return MessageOf(
      [](CRadioPort& port, Clock& clock, RecordingFeedback& feedback) {
        LinkChoices choices;
        choices.comPort = "COM3";
        InitializeRadio(RadioRole::Client, choices, AdvancedSettings{}, port, clock, feedback);
      },
      adjust);
}

// Each wait ends where its time-out says: an answer just inside it is taken,
// one just outside is missed with the message that follows from that.
struct WaitCase {
  const char* wait;
  std::function<void(FakeRadio& server, FakeRadio& client, std::uint64_t delayMs)> delay;
  std::uint64_t inside;
  std::uint64_t outside;
  const char* missed;
};

void ExpectWaitsEndAtTheirTimeOuts(const std::vector<WaitCase>& cases,
                                   const std::function<std::string(const AdjustRadios&)>& run,
                                   const std::string& success) {
  for (const auto& c : cases) {
    auto at = [&](std::uint64_t ms) {
      return [&c, ms](FakeRadio& server, FakeRadio& client) { c.delay(server, client, ms); };
    };
    EXPECT_EQ(run(at(c.inside)), success) << c.wait << " after " << c.inside << " ms";
    EXPECT_EQ(run(at(c.outside)), c.missed) << c.wait << " after " << c.outside << " ms";
  }
}

TEST_F(ConfigureTest, EachWaitEndsAtItsTimeOut) {
  // The echo comes 2 ms after the line; a line reply's window opens then.
  ExpectWaitsEndAtTheirTimeOuts(
      {
          {"Client prompt (300 ms)", [](auto&, auto& c, auto d) { c.promptDelayMs = d; }, 290, 310,
           "Unable to Connect to Radios"},
          {"Client echo (400 ms)",
           [](auto&, auto& c, auto d) { c.promptDelayMs = 2, c.replyDelayMs = d; }, 390, 410,
           "Unable to Configure"},
          {"Client reply (400 ms)", [](auto&, auto& c, auto d) { c.lineReplyDelayMs = d; }, 398,
           410, "Unable to Configure"},
          {"Server prompt (400 ms)", [](auto& s, auto&, auto d) { s.promptDelayMs = d; }, 390, 410,
           "No Server Communication"},
          {"Server echo (300 ms)",
           [](auto& s, auto&, auto d) { s.promptDelayMs = 2, s.replyDelayMs = d; }, 290, 310,
           "Server not Configured"},
          {"Server reply (400 ms)", [](auto& s, auto&, auto d) { s.lineReplyDelayMs = d; }, 398,
           410, "Server not Configured"},
      },
      ConfigureWith, "Configuration is Set");
}

TEST_F(ConfigureTest, ExitsWaitTwoHundredThenFourHundredMsForTheirConfirmation) {
  server.confirmsExit = client.confirmsExit = false;
  std::uint64_t messageAt = 0;
  feedback.onMessage = [&](const std::string&) { messageAt = clock.NowMs() - FakeClock::kStart; };
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Configuration is Set"});
  // The Client's exit wait, then the 300 ms pause before the Server's escape.
  EXPECT_EQ(TimeOf("write +S\r") - TimeOf("write ATE\r"), 200u + 300u);
  EXPECT_EQ(messageAt - TimeOf("write ATE\r", 1), 400u);
}

TEST_F(ConfigureTest, StartUpValuesReachClientThenServer) {
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Configuration is Set"});
  const std::vector<std::string> line = {"ATC67FP262ID111BA4BR19200"};
  EXPECT_EQ(std::vector<std::string>(client.linesHeard.begin(), client.linesHeard.begin() + 1),
            line);
  EXPECT_EQ(std::vector<std::string>(server.linesHeard.begin(), server.linesHeard.begin() + 1),
            line);
  EXPECT_EQ(port.Written(19200),
            "+C\rATC67FP262ID111BA4BR19200\rATE\r+S\rATC67FP262ID111BA4BR19200\rATE\r");
  EXPECT_EQ(feedback.triggerStates, (std::vector<bool>{false, true}));
  EXPECT_EQ(feedback.cursorDepth, 0);
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(ConfigureTest, LineFollowsThePromptAtOnceAndServerWaitsThreeHundredMs) {
  Configure();
  EXPECT_LT(TimeOf("write ATC67FP262ID111BA4BR19200\r") - TimeOf("write +C\r", 1), 20u);
  EXPECT_EQ(clock.Slept(), 300u);
  EXPECT_GE(TimeOf("write +S\r") - TimeOf("write ATE\r"), 300u);
  EXPECT_LT(TimeOf("write +S\r") - TimeOf("write ATE\r"), 200u + 300u + 60u);
}

TEST_F(ConfigureTest, TypedChannelAndBaudAreTakenByTheirLeadingDigits) {
  choices.channel = "12x";
  choices.newBaudRate = "4800";
  choices.comPort = "COM12";
  Configure();
  EXPECT_EQ(client.linesHeard.at(0), "ATC12FP262ID111BA4BR4800");
  EXPECT_EQ(port.PortNumber(), 12);
  choices.channel = "abc";
  Configure();
  EXPECT_EQ(client.linesHeard.at(2), "ATC0FP262ID111BA4BR4800");
}

TEST_F(ConfigureTest, LongestValidLineIsSentWholeWithItsCarriageReturn) {
  choices.channel = "74";
  choices.newBaudRate = "38400";
  settings = {2047, 255, 65535};
  Configure();
  EXPECT_EQ(client.linesHeard.at(0), "ATC74FP2047ID65535BA255BR38400");
  EXPECT_NE(port.Written().find("ATC74FP2047ID65535BA255BR38400\r"), std::string::npos);
}

TEST_F(ConfigureTest, ClientAt4800IsReachedAfterThreeSilentSpeeds) {
  server.speed = client.speed = 4800;
  Configure();
  EXPECT_EQ(OpenSpeeds(), (std::vector<std::uint32_t>{38400, 19200, 9600, 4800}));
  EXPECT_EQ(port.Written(38400), "+C\r");
  EXPECT_EQ(port.Written(4800).substr(0, 3), "+C\r");
  EXPECT_NE(port.Written(4800).find("+S\r"), std::string::npos);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Configuration is Set"});
}

TEST_F(ConfigureTest, RadiosAt2400AreNeverReached) {
  server.speed = client.speed = 2400;
  Configure();
  EXPECT_EQ(OpenSpeeds(), (std::vector<std::uint32_t>{38400, 19200, 9600, 4800}));
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Unable to Connect to Radios"});
  EXPECT_EQ(port.Written().find("ATE"), std::string::npos);
}

TEST_F(ConfigureTest, PortThatDoesNotOpenSendsNothing) {
  port.failAllOpens = true;
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Unable to Connect to Port"});
  EXPECT_TRUE(port.Writes().empty());
  EXPECT_EQ(port.Events().back().what, "close");
}

TEST_F(ConfigureTest, FailedReopenJustRunsOnWithoutAPrompt) {
  server.speed = client.speed = 9600;
  port.failOpenAt = {19200};
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Configuration is Set"});
}

TEST_F(ConfigureTest, ClientRepliesMapToTheirMessagesAndTheServerHearsNothing) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Invalid command\n\r", "Invalid Data"},
      {"Timed out\n\r", "Radio Timed Out"},
      {"Write failed\n\r", "Unable to Configure EEPROM"},
      {"write successful\n\r", "Unable to Configure"},
      {"", "Unable to Configure"},
  };
  for (const auto& [reply, message] : cases) {
    client.writeReply = reply;
    feedback.messages.clear();
    server.linesHeard.clear();
    Configure();
    EXPECT_EQ(feedback.messages, std::vector<std::string>{message}) << reply;
    EXPECT_TRUE(server.linesHeard.empty());
    EXPECT_EQ(port.Writes().back(), "ATE\r");
  }
}

TEST_F(ConfigureTest, SilentServerLeavesTheClientConfigured) {
  server.powered = false;
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"No Server Communication"});
  EXPECT_EQ(client.linesHeard.at(0), "ATC67FP262ID111BA4BR19200");
  EXPECT_EQ(port.Writes().back(), "ATE\r");
}

TEST_F(ConfigureTest, ServerRefusingIsReported) {
  server.writeReply = "Write failed\n\r";
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Server not Configured"});
}

TEST_F(ConfigureTest, ExitIsSentBeforeTheMessageIsShown) {
  client.writeReply = "Timed out\n\r";
  std::size_t writesAtMessage = 0;
  feedback.onMessage = [&](const std::string&) { writesAtMessage = port.Writes().size(); };
  Configure();
  EXPECT_EQ(port.Writes().at(writesAtMessage - 1), "ATE\r");
}

using InitializeTest = WriteOperationTest;

TEST_F(InitializeTest, VorlithClientLineGoesOneBytePerWrite) {
  server.powered = false;
  client.speed = 38400;
  CRadioPort& p = port;
  InitializeRadio(RadioRole::Client, choices, settings, p, clock, feedback);
  EXPECT_EQ(client.linesHeard.at(0), "ATC67FP262M2ID111BA4DA1TD1RF3IT0BR19200");
  auto writes = port.Writes();
  // escape, 40 single characters, exit
  ASSERT_EQ(writes.size(), 1u + 40u + 1u);
  for (std::size_t i = 1; i <= 40; ++i) EXPECT_EQ(writes[i].size(), 1u);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Client Initialized"});
  EXPECT_EQ(clock.Slept(), 420u);
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(InitializeTest, OtherTechnologyServerUsesTheShortLineInOneWrite) {
  client.powered = false;
  choices.technology = "Other";
  choices.channel = "53";
  InitializeRadio(RadioRole::Server, choices, settings, port, clock, feedback);
  EXPECT_EQ(server.linesHeard.at(0), "ATC53FP262M1ID111BA4DA1TD1BR19200");
  EXPECT_EQ(port.Written(19200), "+C\r+S\rATC53FP262M1ID111BA4DA1TD1BR19200\rATE\r");
  EXPECT_EQ(clock.Slept(), 0u);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Server Initialized"});
}

TEST_F(InitializeTest, TechnologyIsComparedExactly) {
  client.powered = false;
  choices.technology = "vorlith radio control";
  InitializeRadio(RadioRole::Client, choices, settings, port, clock, feedback);
  EXPECT_EQ(server.linesHeard.at(0), "ATC67FP262M2ID111BA4DA1TD1BR19200");
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Client Initialized"});
}

TEST_F(InitializeTest, EachSpeedTriesClientThenServerAnd2400IsNeverTried) {
  server.speed = client.speed = 2400;
  InitializeRadio(RadioRole::Client, choices, settings, port, clock, feedback);
  for (std::uint32_t speed : {38400u, 19200u, 9600u}) EXPECT_EQ(port.Written(speed), "+C\r+S\r");
  EXPECT_EQ(port.Written(4800), "+C\r+S\rATE\r");
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Could not Connect"});
  EXPECT_EQ(port.Events().back().what, "close");
}

TEST_F(InitializeTest, FirstOpenFailingSendsNothingAndReleasesThePort) {
  port.failAllOpens = true;
  std::size_t eventsAtMessage = 0;
  feedback.onMessage = [&](const std::string&) { eventsAtMessage = port.Events().size(); };
  InitializeRadio(RadioRole::Client, choices, settings, port, clock, feedback);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"No Port Connection!"});
  EXPECT_TRUE(port.Writes().empty());
  // A failed open may still hold the device: it is closed, after the message.
  ASSERT_EQ(port.Events().size(), eventsAtMessage + 1);
  EXPECT_EQ(port.Events().back().what, "close");
  EXPECT_EQ(feedback.triggerStates, (std::vector<bool>{false, true}));
}

TEST_F(InitializeTest, RepliesMapToMessagesShownBeforeTheExit) {
  client.powered = false;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Invalid command\n\r", "Invalid Data"},
      {"Timed out\n\r", "Radio Timed Out"},
      {"Write failed\n\r", "Unable to Configure EEPROM"},
      {"Write successful", "Unable to Initialize"},
  };
  for (const auto& [reply, message] : cases) {
    server.writeReply = reply;
    feedback.messages.clear();
    bool exitSentBeforeMessage = true;
    feedback.onMessage = [&](const std::string&) {
      exitSentBeforeMessage = port.Writes().back() == "ATE\r";
    };
    InitializeRadio(RadioRole::Server, choices, settings, port, clock, feedback);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{message}) << reply;
    EXPECT_FALSE(exitSentBeforeMessage);
    EXPECT_EQ(port.Writes().back(), "ATE\r");
  }
}

TEST_F(InitializeTest, EachWaitEndsAtItsTimeOut) {
  auto clientOnly = [](FakeRadio& s, FakeRadio& c, std::uint64_t d, auto set) {
    s.powered = false;
    set(c, d);
  };
  ExpectWaitsEndAtTheirTimeOuts(
      {
          // Missed at "+C\r" and at "+S\r" (the late prompt still counts there).
          {"prompt (200 ms, twice)",
           [&](auto& s, auto& c, auto d) {
             clientOnly(s, c, d, [](FakeRadio& r, std::uint64_t ms) { r.promptDelayMs = ms; });
           },
           190, 410, "Could not Connect"},
          {"echo (500 ms)",
           [&](auto& s, auto& c, auto d) {
             clientOnly(s, c, d, [](FakeRadio& r, std::uint64_t ms) {
               r.promptDelayMs = 2;
               r.replyDelayMs = ms;
             });
           },
           490, 510, "Unable to Initialize"},
          {"reply (2000 ms)",
           [&](auto& s, auto& c, auto d) {
             clientOnly(s, c, d, [](FakeRadio& r, std::uint64_t ms) { r.lineReplyDelayMs = ms; });
           },
           1998, 2010, "Unable to Initialize"},
      },
      InitializeWith, "Client Initialized");
}

TEST_F(InitializeTest, AClientPromptPastItsWaitIsTakenAtTheServerEscapeWithoutThePause) {
  server.powered = false;
  client.promptDelayMs = 210;
  InitializeRadio(RadioRole::Client, choices, settings, port, clock, feedback);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Client Initialized"});
  EXPECT_EQ(port.Written(19200).substr(0, 6), "+C\r+S\r");
  EXPECT_EQ(clock.Slept(), 0u);
}

TEST(LineBuildingTest, LongLinesAreNeverCut) {
  AdvancedSettings big{2047, 255, 65535};
  EXPECT_EQ(BuildInitializationLine(true, 2147483647, big, RadioRole::Client, 38400),
            "ATC2147483647FP2047M2ID65535BA255DA1TD1RF3IT0BR38400\r");
  EXPECT_EQ(BuildInitializationLine(false, -5, big, RadioRole::Server, -1),
            "ATC-5FP2047M1ID65535BA255DA1TD1BR-1\r");
  EXPECT_EQ(BuildInitializationLine(true, 1, big, RadioRole::Server, -1).substr(36),
            "BR4294967295\r");
}

}  // namespace
}  // namespace zorveth::testing
