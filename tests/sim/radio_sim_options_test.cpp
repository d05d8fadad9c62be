#include "sim/radio_sim_options.h"

#include <gtest/gtest.h>

#include "sim/log_format.h"

namespace zorveth::sim {
namespace {

bool Parse(std::vector<std::string> args, RadioSimOptions* options, std::string* error = nullptr) {
  return ParseRadioSimOptions(args, options, error);
}

TEST(RadioSimOptions, EachRadioOptionLandsOnItsOwnRadio) {
  RadioSimOptions options;
  ASSERT_TRUE(Parse({"--server-speed", "9600", "--client-channel=74", "--client-packet-length",
                     "2047", "--server-system-id", "65535", "--client-broadcast-attempts", "255",
                     "--server-signal", "12", "--client-revision", "301", "--server-role", "client",
                     "--client-off", "--server-reply-delay", "300"},
                    &options));
  const RadioConfig& server = options.pair.server;
  const RadioConfig& client = options.pair.client;
  EXPECT_EQ(server.speed, 9600u);
  EXPECT_EQ(client.speed, 19200u);
  EXPECT_EQ(client.channel, 74);
  EXPECT_EQ(server.channel, 67);
  EXPECT_EQ(client.packetLength, 2047);
  EXPECT_EQ(server.systemId, 65535);
  EXPECT_EQ(client.broadcastAttempts, 255);
  EXPECT_EQ(server.signalStrength, 12);
  EXPECT_EQ(client.firmwareRevision, 301);
  EXPECT_EQ(server.role, Role::Client);
  EXPECT_EQ(client.role, Role::Client);
  EXPECT_FALSE(client.powered);
  EXPECT_TRUE(server.powered);
  EXPECT_EQ(server.replyDelayMs, 300u);
}

TEST(RadioSimOptions, FaultSwitchesAndReplyTexts) {
  RadioSimOptions options;
  ASSERT_TRUE(Parse({"--client-no-prompt", "--client-partial-prompt", "--server-no-echo",
                     "--server-no-query-replies", "--client-write-reply", "Timed out\\n\\r",
                     "--server-query-reply", "1x7\\n\\r", "--client-no-exit-confirmation",
                     "--hang-up-after", "40", "--link", "COM7", "--log", "/tmp/l", "--state",
                     "/tmp/s", "--exit-after-seconds", "1.5"},
                    &options));
  const RadioFaults& client = options.pair.client.faults;
  const RadioFaults& server = options.pair.server.faults;
  EXPECT_TRUE(client.noPrompt && client.partialPrompt && client.noExitConfirmation);
  EXPECT_FALSE(server.noPrompt);
  EXPECT_TRUE(server.noEcho && server.noQueryReplies);
  EXPECT_EQ(client.writeReply, "Timed out\n\r");
  EXPECT_EQ(server.queryReply, "1x7\n\r");
  EXPECT_EQ(server.hangUpAfterBytes, 40u);
  EXPECT_EQ(options.linkNumber, 7);
  EXPECT_EQ(options.logFile, "/tmp/l");
  EXPECT_EQ(options.stateFile, "/tmp/s");
  EXPECT_EQ(options.exitAfterSeconds, 1.5);
}

TEST(RadioSimOptions, BadOptionsGiveOneReadableLine) {
  const std::vector<std::vector<std::string>> bad = {
      {"--server-speed", "115200"},
      {"--server-speed", "9600x"},
      {"--client-channel", "65536"},
      {"--client-channel", "-1"},
      {"--client-channel"},
      {"--server-role", "master"},
      {"--client-colour", "red"},
      {"--bogus"},
      {"--link", "COM0"},
      {"--link", "LPT1"},
      {"--exit-after-seconds", "0"},
      {"--client-off=1"},
      {"--client-write-reply", "bad \\q escape"},
      {"--log", ""},
      {"--server-signal-cycle", "80,,90"},
      {"--server-signal-cycle", "80,65536"},
      {"--server-signal-cycle", ""},
      {"--client-signal-step", "0"},
      {"--client-signal-step", "often"},
  };
  for (const auto& args : bad) {
    RadioSimOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, &options, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(RadioSimOptions, SignalCycleAndItsStep) {
  RadioSimOptions options;
  ASSERT_TRUE(Parse({"--server-signal-cycle", "80,75,90", "--client-signal-cycle=5",
                     "--client-signal-step", "query", "--server-signal-step", "250"},
                    &options));
  EXPECT_EQ(options.pair.server.signalCycle, (std::vector<std::uint16_t>{80, 75, 90}));
  EXPECT_EQ(options.pair.server.signalStepMs, 250u);
  EXPECT_EQ(options.pair.client.signalCycle, (std::vector<std::uint16_t>{5}));
  EXPECT_EQ(options.pair.client.signalStepMs, 0u);
}

TEST(RadioSimOptions, ReplyTextEscapes) {
  EXPECT_EQ(UnescapeReplyText("a\\r\\n\\t\\\\\\x00\\xfF"), std::string("a\r\n\t\\\0\xff", 7));
  EXPECT_FALSE(UnescapeReplyText("\\x4"));
  EXPECT_FALSE(UnescapeReplyText("trailing\\"));
}

TEST(RadioSimOptions, HelpNamesEveryOption) {
  std::string help = RadioSimHelp();
  for (const char* name : {"--link",
                           "--log",
                           "--state",
                           "--hang-up-after",
                           "--exit-after-seconds",
                           "--help",
                           "--version",
                           "--server-",
                           "--client-",
                           "speed N",
                           "channel N",
                           "packet-length N",
                           "system-id N",
                           "broadcast-attempts N",
                           "signal N",
                           "signal-cycle LIST",
                           "signal-step MS|query",
                           "revision N",
                           "role server|client",
                           "off",
                           "reply-delay MS",
                           "no-prompt",
                           "partial-prompt",
                           "no-echo",
                           "no-query-replies",
                           "write-reply TEXT",
                           "query-reply TEXT",
                           "no-exit-confirmation"}) {
    EXPECT_NE(help.find(name), std::string::npos) << name;
  }
}

TEST(LogFormat, LinesCarryEveryFieldInOrder) {
  LogEntry in;
  in.timeUs = 1234;
  in.speed = 19200;
  in.heardBy = 3;
  in.byte = '+';
  EXPECT_EQ(FormatLogLine(in), "1234 in 19200 3 0x2b + SC");
  LogEntry out = in;
  out.fromTool = false;
  out.heardBy = kClientSlotBit;
  out.byte = '\r';
  out.roles = {Role::Client, Role::Client};
  EXPECT_EQ(FormatLogLine(out), "1234 out 19200 2 0x0d \\r CC");
  out.delivered = false;
  out.byte = 0xff;
  EXPECT_EQ(FormatLogLine(out), "1234 lost 19200 2 0xff . CC");
}

TEST(LogFormat, StateListsBothRadios) {
  PairConfig pair = DefaultPairConfig();
  pair.client.speed = 4800;
  pair.client.role = Role::Server;
  std::string state = FormatPairState(pair);
  EXPECT_NE(state.find("server.channel = 67\n"), std::string::npos);
  EXPECT_NE(state.find("client.speed = 4800\n"), std::string::npos);
  EXPECT_NE(state.find("client.role = server\n"), std::string::npos);
  EXPECT_NE(state.find("server.powered = 1\n"), std::string::npos);
}

}  // namespace
}  // namespace zorveth::sim
