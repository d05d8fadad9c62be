#include "sim/radio_pair.h"

#include <gtest/gtest.h>

#include "tests/sim/model_test_util.h"

namespace zorveth::sim {
namespace {

using testing::kPrompt;
using testing::ModelLine;

// --- Addressing a radio -------------------------------------------------------------------

TEST(RadioPairEscape, EachRadioAnswersOnlyItsOwnEscape) {
  ModelLine line;
  EXPECT_EQ(line.Send("+S\r"), kPrompt);
  EXPECT_TRUE(line.pair.InCommandMode(kServerSlot));
  EXPECT_FALSE(line.pair.InCommandMode(kClientSlot));
  EXPECT_EQ(line.Send("ATE\r"), "ATE\n\r");

  EXPECT_EQ(line.Send("+C\r"), kPrompt);
  EXPECT_TRUE(line.pair.InCommandMode(kClientSlot));
  EXPECT_FALSE(line.pair.InCommandMode(kServerSlot));
}

TEST(RadioPairEscape, PromptIsDueAfterTheReplyDelayFromTheCarriageReturn) {
  PairConfig config = DefaultPairConfig();
  config.server.replyDelayMs = 7;
  RadioPair pair(config);
  pair.Receive("+S", 19200, 1000);
  EXPECT_FALSE(pair.NextDueUs());
  pair.Receive("\r", 19200, 5000);
  ASSERT_TRUE(pair.NextDueUs());
  EXPECT_EQ(*pair.NextDueUs(), 12000u);
  EXPECT_TRUE(pair.TakeDue(11999).empty());
  auto due = pair.TakeDue(12000);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].slot, kServerSlot);
  EXPECT_EQ(due[0].speed, 19200u);
  EXPECT_EQ(due[0].bytes, kPrompt);
}

TEST(RadioPairEscape, EscapeInsideOtherBytesStillCounts) {
  ModelLine line;
  EXPECT_EQ(line.Send("xx++S\r"), kPrompt);
}

TEST(RadioPairEscape, RepeatedEscapeInCommandModePromptsAgainWithoutEcho) {
  ModelLine line;
  line.Send("+C\r");
  EXPECT_EQ(line.Send("+C\r"), kPrompt);
}

TEST(RadioPairEscape, OtherRadiosEscapeInCommandModeIsIgnoredByThisOne) {
  ModelLine line;
  line.Send("+C\r");
  // The Server answers its escape; the Client, still in command mode, says nothing to it.
  EXPECT_EQ(line.Send("+S\r"), kPrompt);
  EXPECT_EQ(line.Send("+X\r"), "");
  EXPECT_TRUE(line.pair.InCommandMode(kClientSlot));
}

// --- Speeds and power ------------------------------------------------------------------------

TEST(RadioPairSpeed, BytesAtAnotherSpeedAreNotHeard) {
  PairConfig config = DefaultPairConfig();
  config.client.speed = 9600;
  ModelLine line(config);
  EXPECT_EQ(line.pair.Receive('+', 38400, 1), 0);
  EXPECT_EQ(line.pair.Receive('+', 19200, 2), kServerSlotBit);
  EXPECT_EQ(line.pair.Receive('+', 9600, 3), kClientSlotBit);
  EXPECT_EQ(line.Send("+C\r", 19200), "");
  EXPECT_EQ(line.Send("+C\r", 9600), kPrompt);
}

TEST(RadioPairSpeed, BothRadiosHearTheLineButOnlyTheAddressedOneAnswers) {
  ModelLine line;
  EXPECT_EQ(line.pair.Receive("+C\r", 19200, 1), kServerSlotBit | kClientSlotBit);
  auto due = line.pair.TakeDue(1000000);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].slot, kClientSlot);
}

TEST(RadioPairSpeed, NoiseInsideTheEscapeSpoilsIt) {
  ModelLine line;
  line.pair.Receive("+S", 19200, 1);
  line.pair.Receive('x', 9600, 2);  // noise to both radios
  line.pair.Receive('\r', 19200, 3);
  EXPECT_TRUE(line.pair.TakeDue(10000000).empty());
  EXPECT_FALSE(line.pair.InCommandMode(kServerSlot));
}

TEST(RadioPairSpeed, NoiseInsideACommandLineDiscardsTheLine) {
  ModelLine line;
  line.Send("+S\r");
  line.pair.Receive("ATC", 19200, line.now + 1);
  line.pair.Receive('x', 4800, line.now + 2);
  EXPECT_EQ(line.Send("\r"), "\n\rInvalid command\n\r");
}

TEST(RadioPairSpeed, SwitchedOffRadioHearsAndSaysNothing) {
  PairConfig config = DefaultPairConfig();
  config.server.powered = false;
  ModelLine line(config);
  EXPECT_EQ(line.pair.Receive("+S\r", 19200, 1), kClientSlotBit);
  EXPECT_TRUE(line.pair.TakeDue(10000000).empty());
}

TEST(RadioPairSpeed, SwitchingARadioOffDropsItsPendingReplyAndCommandMode) {
  PairConfig config = DefaultPairConfig();
  config.server.replyDelayMs = 300;
  RadioPair pair(config);
  pair.Receive("+S\r", 19200, 0);
  RadioConfig off = pair.Radio(kServerSlot);
  off.powered = false;
  pair.SetRadio(kServerSlot, off);
  EXPECT_FALSE(pair.NextDueUs());
  EXPECT_FALSE(pair.InCommandMode(kServerSlot));
}

// --- Queries and leaving command mode ------------------------------------------------------

TEST(RadioPairQuery, EveryRegisterIsEchoedAndAnsweredInDecimal) {
  PairConfig config = DefaultPairConfig();
  config.server.channel = 53;
  config.server.packetLength = 2047;
  config.server.systemId = 65535;
  config.server.broadcastAttempts = 0;
  config.server.signalStrength = 91;
  config.server.firmwareRevision = 310;
  ModelLine line(config);
  line.Send("+S\r");
  EXPECT_EQ(line.Send("ATC\r"), "ATC\n\r53\n\r");
  EXPECT_EQ(line.Send("ATFP\r"), "ATFP\n\r2047\n\r");
  EXPECT_EQ(line.Send("ATM\r"), "ATM\n\r1\n\r");
  EXPECT_EQ(line.Send("ATID\r"), "ATID\n\r65535\n\r");
  EXPECT_EQ(line.Send("ATBA\r"), "ATBA\n\r0\n\r");
  EXPECT_EQ(line.Send("ATS\r"), "ATS\n\r91\n\r");
  EXPECT_EQ(line.Send("ATREV\r"), "ATREV\n\r310\n\r");
  line.Send("ATE\r");
  line.Send("+C\r");
  EXPECT_EQ(line.Send("ATM\r"), "ATM\n\r2\n\r");
}

TEST(RadioPairQuery, ASignalCycleGoesRoundByTimeOrByQuery) {
  struct Case {
    std::uint32_t stepMs;
    std::vector<std::string> replies;  // one query a second (ModelLine's pace)
  };
  const std::vector<Case> cases = {
      {1000, {"90", "80", "75", "90"}},  // the queries come at 2 s, 3 s, 4 s, 5 s
      {2000, {"75", "75", "90", "90"}},
      {0, {"80", "75", "90", "80"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stepMs);
    PairConfig config = DefaultPairConfig();
    config.server.signalCycle = {80, 75, 90};
    config.server.signalStepMs = c.stepMs;
    ModelLine line(config);
    line.Send("+S\r");
    for (const std::string& value : c.replies) {
      EXPECT_EQ(line.Send("ATS\r"), "ATS\n\r" + value + "\n\r");
    }
    // Only S cycles.
    EXPECT_EQ(line.Send("ATC\r"), "ATC\n\r67\n\r");
  }
}

TEST(RadioPairQuery, UnknownCommandsAreEchoedAndRefused) {
  ModelLine line;
  line.Send("+S\r");
  EXPECT_EQ(line.Send("ATX\r"), "ATX\n\rInvalid command\n\r");
  EXPECT_EQ(line.Send("atc\r"), "atc\n\rInvalid command\n\r");
  EXPECT_EQ(line.Send("\r"), "\n\rInvalid command\n\r");
  EXPECT_EQ(line.Send(std::string(1000, 'A') + "\r"),
            std::string(256, 'A') + "\n\rInvalid command\n\r");
  EXPECT_TRUE(line.pair.InCommandMode(kServerSlot));
}

TEST(RadioPairQuery, AfterExitTheRadioIgnoresCommandsUntilAddressedAgain) {
  ModelLine line;
  line.Send("+S\r");
  EXPECT_EQ(line.Send("ATE\r"), "ATE\n\r");
  EXPECT_FALSE(line.pair.InCommandMode(kServerSlot));
  EXPECT_EQ(line.Send("ATC\r"), "");
  EXPECT_EQ(line.Send("ATE\r"), "");
}

TEST(RadioPairQuery, RepliesOfOneRadioKeepTheirOrderWhenItsDelayShrinks) {
  PairConfig config = DefaultPairConfig();
  config.server.replyDelayMs = 300;
  RadioPair pair(config);
  pair.Receive("+S\r", 19200, 0);
  RadioConfig fast = pair.Radio(kServerSlot);
  fast.replyDelayMs = 1;
  pair.SetRadio(kServerSlot, fast);
  pair.Receive("ATC\r", 19200, 1000);
  auto due = pair.TakeDue(1000000);
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(due[0].bytes, kPrompt);
  EXPECT_EQ(due[1].bytes, "ATC\n\r67\n\r");
}

// --- Writing settings ------------------------------------------------------------------------

TEST(RadioPairWrite, ConfigurationLineIsAppliedAndTheSpeedWaitsForExit) {
  ModelLine line;
  line.Send("+C\r");
  EXPECT_EQ(line.Send("ATC12FP100ID7BA3BR9600\r"),
            "ATC12FP100ID7BA3BR9600\n\rWrite successful\n\r");
  RadioConfig client = line.pair.Radio(kClientSlot);
  EXPECT_EQ(client.channel, 12);
  EXPECT_EQ(client.packetLength, 100);
  EXPECT_EQ(client.systemId, 7);
  EXPECT_EQ(client.broadcastAttempts, 3);
  EXPECT_EQ(client.speed, 19200u);
  EXPECT_EQ(line.pair.PendingSpeed(kClientSlot), 9600u);
  // Still talking at the old speed until it leaves command mode...
  EXPECT_EQ(line.Send("ATC\r"), "ATC\n\r12\n\r");

  line.now += 1000000;
  line.pair.Receive("ATE\r", 19200, line.now);
  auto due = line.pair.TakeDue(line.now + 1000000);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].bytes, "ATE\n\r");
  EXPECT_EQ(due[0].speed, 19200u);  // ...and confirming the exit at it.

  EXPECT_EQ(line.pair.Radio(kClientSlot).speed, 9600u);
  EXPECT_EQ(line.Send("+C\r", 19200), "");
  EXPECT_EQ(line.Send("+C\r", 9600), kPrompt);
  // The Server was not addressed and keeps its settings.
  EXPECT_EQ(line.pair.Radio(kServerSlot).channel, 67);
  EXPECT_EQ(line.pair.Radio(kServerSlot).speed, 19200u);
}

TEST(RadioPairWrite, InitializationLineSentByteByByteChangesTheRole) {
  ModelLine line;
  line.Send("+S\r");
  std::string text = "ATC74FP262M2ID111BA4DA1TD1RF3IT0BR38400\r";
  for (char c : text) line.pair.Receive(static_cast<std::uint8_t>(c), 19200, ++line.now);
  auto due = line.pair.TakeDue(line.now + 1000000);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].bytes, "ATC74FP262M2ID111BA4DA1TD1RF3IT0BR38400\n\rWrite successful\n\r");
  EXPECT_EQ(line.pair.Radio(kServerSlot).role, Role::Client);
  EXPECT_EQ(line.pair.Radio(kServerSlot).channel, 74);
  EXPECT_EQ(line.Send("ATM\r"), "ATM\n\r2\n\r");
  EXPECT_EQ(line.Send("ATE\r"), "ATE\n\r");

  // Now both radios are Clients at their speeds: the old Server answers "+C\r" at 38400 only.
  EXPECT_EQ(line.Send("+S\r", 38400), "");
  EXPECT_EQ(line.Send("+C\r", 38400), kPrompt);
  EXPECT_EQ(line.pair.Roles()[kServerSlot], Role::Client);
}

TEST(RadioPairWrite, ShortInitializationLineMakesAServer) {
  ModelLine line;
  line.Send("+C\r");
  EXPECT_EQ(line.Send("ATC53FP262M1ID111BA4DA1TD1BR19200\r"),
            "ATC53FP262M1ID111BA4DA1TD1BR19200\n\rWrite successful\n\r");
  EXPECT_EQ(line.pair.Radio(kClientSlot).role, Role::Server);
  line.Send("ATE\r");
  EXPECT_EQ(line.Send("+C\r"), "");
}

TEST(RadioPairWrite, RefusedLineChangesNothing) {
  ModelLine line;
  line.Send("+C\r");
  RadioConfig before = line.pair.Radio(kClientSlot);
  for (const char* bad : {"ATC12FP100ID7BA3BR115200\r", "ATC12FP100ID7BA3BR2401\r",
                          "ATC12FP100ID7BA3\r", "ATC12FP100ID7BA3BR9600M3DA1TD1\r"}) {
    std::string text = bad;
    EXPECT_EQ(line.Send(text), text.substr(0, text.size() - 1) + "\n\rInvalid command\n\r");
  }
  line.Send("ATE\r");
  RadioConfig after = line.pair.Radio(kClientSlot);
  EXPECT_EQ(after.channel, before.channel);
  EXPECT_EQ(after.role, before.role);
  EXPECT_EQ(after.speed, before.speed);
  EXPECT_FALSE(line.pair.PendingSpeed(kClientSlot));
}

}  // namespace
}  // namespace zorveth::sim
