// apply on the fake port: what goes on the wire for a pair that matches,
// differs in one radio or in both, and the profile files it reads.
#include "link/apply.h"

#include <gtest/gtest.h>

#include "link/settings_poll.h"
#include "tests/support/fake_radio.h"
#include "tests/support/recording_feedback.h"

namespace zorveth::testing {
namespace {

class ApplyTest : public ::testing::Test {
 protected:
  ApplyTest() {
    client.escape = "+C\r";
    client.registers["M"] = "2";
    server.speed = client.speed = 19200;
    server.appliesWrites = client.appliesWrites = true;
    ConnectRadios(port, {&server, &client});
  }
  ApplyOutcome Apply(bool checkOnly = false) {
    return ApplyProfile(profile, checkOnly, "COM3", port, clock, feedback);
  }
  // What a poll of the Server and then of the Client sends to this pair as
  // it stands, on a port of its own.
  std::string PollBytes() {
    FakeClock otherClock;
    FakeSerialPort other{otherClock};
    FakeRadio s = server, c = client;
    ConnectRadios(other, {&s, &c});
    std::string text = "COM3";
    SettingsPoll poll(text, other, otherClock, feedback, feedback);
    poll.PollServer();
    poll.PollClient();
    return other.Written();
  }

  FakeClock clock;
  FakeSerialPort port{clock};
  FakeRadio server;
  FakeRadio client;
  RecordingFeedback feedback;
  LinkProfile profile;  // channel 67, 262, 111, 4 retries, 19200 baud
};

TEST_F(ApplyTest, APairThatMatchesHearsOnlyThePolls) {
  const std::string polls = PollBytes();
  for (bool checkOnly : {false, true}) {
    FakeSerialPort fresh{clock};
    ConnectRadios(fresh, {&server, &client});
    ApplyOutcome outcome = ApplyProfile(profile, checkOnly, "COM3", fresh, clock, feedback);
    EXPECT_TRUE(outcome.Matches());
    EXPECT_TRUE(outcome.verified);
    EXPECT_FALSE(outcome.changed);
    EXPECT_EQ(fresh.Written(), polls);
    EXPECT_FALSE(fresh.IsOpen());
  }
}

TEST_F(ApplyTest, CheckShowsEachDifferenceAndSendsOnlyThePolls) {
  server.registers["C"] = "70";
  client.registers["BA"] = "7";
  const std::string polls = PollBytes();
  ApplyOutcome outcome = Apply(true);
  EXPECT_EQ(port.Written(), polls);
  EXPECT_FALSE(outcome.Matches());
  EXPECT_FALSE(outcome.changed);
  ASSERT_EQ(outcome.radios.size(), 2u);
  ASSERT_EQ(outcome.radios[0].differences.size(), 1u);
  EXPECT_STREQ(outcome.radios[0].differences[0].setting, "channel");
  EXPECT_EQ(outcome.radios[0].differences[0].holds, 70u);
  EXPECT_EQ(outcome.radios[0].differences[0].wants, 67u);
  ASSERT_EQ(outcome.radios[1].differences.size(), 1u);
  EXPECT_STREQ(outcome.radios[1].differences[0].setting, "retries");
}

// The pair a half-failed configure leaves: the Client took a new channel and
// speed, the Server did not. Only the Client is written, at its own speed,
// with Configure's Client exchange; then both read back.
TEST_F(ApplyTest, ASplitPairIsHealedByWritingOnlyTheRadioThatDiffers) {
  client.speed = 9600;
  client.registers["C"] = "70";
  const std::string polls = PollBytes();
  ApplyOutcome outcome = Apply();
  EXPECT_TRUE(outcome.changed);
  EXPECT_TRUE(outcome.verified);
  const std::string line = "ATC67FP262ID111BA4BR19200\r";
  EXPECT_EQ(outcome.line, line);
  EXPECT_TRUE(port.Written().starts_with(polls));
  const std::string afterPolls = port.Written().substr(polls.size());
  EXPECT_TRUE(afterPolls.starts_with("+C\r" + line + "ATE\r")) << afterPolls;
  EXPECT_EQ(afterPolls.find("+S\r" + line), std::string::npos);
  EXPECT_EQ(client.speed, 19200u);
  EXPECT_EQ(client.registers["C"], "67");
  ASSERT_TRUE(outcome.radios[1].written.has_value());
  EXPECT_FALSE(outcome.radios[0].written.has_value());
}

TEST_F(ApplyTest, BothRadiosAreWrittenClientFirstEachAtItsSpeed) {
  profile.channel = 72;
  profile.baudRate = 9600;
  server.speed = 38400;
  const std::string polls = PollBytes();
  ApplyOutcome outcome = Apply();
  EXPECT_TRUE(outcome.verified);
  const std::string line = "ATC72FP262ID111BA4BR9600\r";
  const std::string written = port.Written().substr(polls.size());
  const std::size_t clientHalf = written.find("+C\r" + line + "ATE\r");
  const std::size_t serverHalf = written.find("+S\r" + line + "ATE\r");
  ASSERT_NE(clientHalf, std::string::npos) << written;
  ASSERT_NE(serverHalf, std::string::npos) << written;
  EXPECT_LT(clientHalf, serverHalf);
  EXPECT_NE(port.Written(19200).find("+C\r" + line), std::string::npos);
  EXPECT_NE(port.Written(38400).find("+S\r" + line), std::string::npos);
  EXPECT_EQ(server.speed, 9600u);
  EXPECT_EQ(client.speed, 9600u);
}

TEST_F(ApplyTest, ARadioThatRefusesTheLineIsNotVerifiedAndAMissingOneStopsIt) {
  client.registers["C"] = "70";
  client.writeReply = "Write failed\n\r";
  ApplyOutcome refused = Apply();
  EXPECT_TRUE(refused.changed);
  EXPECT_FALSE(refused.verified);
  ASSERT_EQ(refused.radios[1].remaining.size(), 1u);
  EXPECT_EQ(refused.radios[1].written->reply, "Write failed\n\r");

  FakeSerialPort other{clock};
  FakeRadio alone = server;
  ConnectRadios(other, {&alone});
  ApplyOutcome missing = ApplyProfile(profile, false, "COM3", other, clock, feedback);
  EXPECT_FALSE(missing.BothFound());
  EXPECT_FALSE(missing.changed);
  ASSERT_EQ(missing.messages.size(), 1u);
  EXPECT_EQ(missing.messages[0].id, MessageId::PollingClientFailed);
  EXPECT_EQ(other.Written().find("ATC67FP"), std::string::npos);
}

TEST(LinkProfileTest, ReadsWhatItWritesAndRefusesWhatItCannotTake) {
  ProfileFile saved;
  saved.link = {70, 300, 500, 9, 9600};
  saved.saved.port = "COM5";
  std::string error;
  const auto back = ParseProfile(FormatProfile(saved), "site.profile", &error);
  ASSERT_TRUE(back.has_value()) << error;
  EXPECT_EQ(back->link.channel, 70);
  EXPECT_EQ(back->link.packetLength, 300);
  EXPECT_EQ(back->link.systemId, 500);
  EXPECT_EQ(back->link.retries, 9);
  EXPECT_EQ(back->link.baudRate, 9600u);
  EXPECT_EQ(back->saved.port, "COM5");

  const std::string head = "[profile]\nformat = 1\n[link]\n";
  const std::string rest = "packet-length = 262\nsystem-id = 111\nretries = 4\nbaud-rate = 19200\n";
  const std::pair<std::string, std::string> refused[] = {
      {head + "channel = 67\n" + rest + "colour = red\n", "p:9: unknown key 'colour' in [link]"},
      {head + rest, "p: missing setting 'channel' in [link]"},
      {head + "channel = 67\nchannel = 68\n" + rest, "p:5: channel is given twice"},
      {head + "channel = 67x\n" + rest, "p:4: channel '67x' is not a number"},
      {head + "channel = -1\n" + rest, "p:4: channel '-1' is not a number"},
      {head + "channel = 67\n" + "packet-length = 3000\n",
       "p:5: packet-length 3000 is out of range (0-2047)"},
      {head + "channel = 67\n" + rest + "baud-rate = 1200\n", "p:9: baud-rate is given twice"},
      {"[profile]\nformat = 1\n[link]\nchannel = 67\npacket-length = 262\nsystem-id = 111\n"
       "retries = 4\nbaud-rate = 14400\n",
       "p:8: baud-rate 14400 is not one of 38400, 19200, 9600, 4800 or 2400"},
      {"[link]\nchannel = 67\n" + rest, "p: no format version ([profile] format = 1)"},
      {"[profile]\nformat = 2\n", "p:2: format 2 is not one this version reads (1)"},
      {"channel = 67\n", "p:1: 'channel' comes before any section"},
      {"[radio]\n", "p:1: unknown section [radio]"},
      {"[profile]\nformat\n", "p:2: expected 'key = value'"},
  };
  for (const auto& [text, why] : refused) {
    std::string reason;
    EXPECT_FALSE(ParseProfile(text, "p", &reason).has_value()) << text;
    EXPECT_EQ(reason, why) << text;
  }
}

}  // namespace
}  // namespace zorveth::testing
