#include <gtest/gtest.h>

#include "sim/radio_pair.h"
#include "tests/sim/model_test_util.h"

namespace zorveth::sim {
namespace {

using testing::kPrompt;
using testing::ModelLine;

template <typename Change>
PairConfig WithClientFaults(Change change) {
  PairConfig config = DefaultPairConfig();
  change(config.client.faults);
  return config;
}

TEST(RadioFaultsPrompt, NoPromptEntersCommandModeSilently) {
  ModelLine line(WithClientFaults([&](RadioFaults& f) { f.noPrompt = true; }));
  EXPECT_EQ(line.Send("+C\r"), "");
  EXPECT_TRUE(line.pair.InCommandMode(kClientSlot));
  EXPECT_EQ(line.Send("+C\r"), "");
  EXPECT_EQ(line.Send("ATC\r"), "ATC\n\r67\n\r");
}

TEST(RadioFaultsPrompt, PartialPromptHasOnlyThreeCarriageReturns) {
  ModelLine line(WithClientFaults([&](RadioFaults& f) { f.partialPrompt = true; }));
  std::string prompt = line.Send("+C\r");
  EXPECT_EQ(prompt.front(), '-');
  EXPECT_EQ(std::count(prompt.begin(), prompt.end(), '\r'), 3);
  EXPECT_EQ(line.Send("+S\r"), kPrompt);  // the Server is unaffected
}

TEST(RadioFaultsReplies, NoEchoLeavesOnlyTheAnswers) {
  ModelLine line(WithClientFaults([&](RadioFaults& f) { f.noEcho = true; }));
  line.Send("+C\r");
  EXPECT_EQ(line.Send("ATC\r"), "67\n\r");
  EXPECT_EQ(line.Send("ATC1FP2ID3BA4BR9600\r"), "Write successful\n\r");
  EXPECT_EQ(line.Send("ATX\r"), "Invalid command\n\r");
  // Leaving command mode has its own switch, so a test can still end the exchange cleanly.
  EXPECT_EQ(line.Send("ATE\r"), "ATE\n\r");
}

TEST(RadioFaultsReplies, NoQueryRepliesEchoesOnly) {
  ModelLine line(WithClientFaults([&](RadioFaults& f) { f.noQueryReplies = true; }));
  line.Send("+C\r");
  EXPECT_EQ(line.Send("ATFP\r"), "ATFP\n\r");
  EXPECT_EQ(line.Send("ATC1FP2ID3BA4BR9600\r"), "ATC1FP2ID3BA4BR9600\n\rWrite successful\n\r");
}

TEST(RadioFaultsReplies, QueryReplyTextReplacesTheValue) {
  ModelLine line(WithClientFaults([&](RadioFaults& f) { f.queryReply = "1x7\n\r"; }));
  line.Send("+C\r");
  EXPECT_EQ(line.Send("ATS\r"), "ATS\n\r1x7\n\r");
}

TEST(RadioFaultsReplies, WriteReplyTextIsSentAndTheSettingsAreKept) {
  const std::string replies[] = {"Timed out\n\r", "Write failed\n\r", "Invalid command\n\r",
                                 std::string("\x01\xff garbage\n\r", 12)};
  for (const std::string& reply : replies) {
    ModelLine line(WithClientFaults([&](RadioFaults& f) { f.writeReply = reply; }));
    line.Send("+C\r");
    EXPECT_EQ(line.Send("ATC1FP2ID3BA4BR9600\r"), "ATC1FP2ID3BA4BR9600\n\r" + reply);
    line.Send("ATE\r");
    EXPECT_EQ(line.pair.Radio(kClientSlot).channel, 67);
    EXPECT_EQ(line.pair.Radio(kClientSlot).speed, 19200u);
  }
}

TEST(RadioFaultsReplies, WriteReplyOfSuccessStillApplies) {
  ModelLine line(WithClientFaults([&](RadioFaults& f) { f.writeReply = "Write successful\n\r"; }));
  line.Send("+C\r");
  line.Send("ATC1FP2ID3BA4BR9600\r");
  EXPECT_EQ(line.pair.Radio(kClientSlot).channel, 1);
}

TEST(RadioFaultsReplies, InvalidLineIsRefusedEvenWithAWriteReply) {
  ModelLine line(WithClientFaults([&](RadioFaults& f) { f.writeReply = "Timed out\n\r"; }));
  line.Send("+C\r");
  EXPECT_EQ(line.Send("ATC1BR9600\r"), "ATC1BR9600\n\rInvalid command\n\r");
}

TEST(RadioFaultsExit, NoExitConfirmationStillLeavesAndSwitchesSpeed) {
  ModelLine line(WithClientFaults([&](RadioFaults& f) { f.noExitConfirmation = true; }));
  line.Send("+C\r");
  line.Send("ATC1FP2ID3BA4BR4800\r");
  EXPECT_EQ(line.Send("ATE\r"), "");
  EXPECT_FALSE(line.pair.InCommandMode(kClientSlot));
  EXPECT_EQ(line.pair.Radio(kClientSlot).speed, 4800u);
}

TEST(RadioFaultsTiming, SlowRadioAnswersAfterItsOwnDelay) {
  PairConfig config = DefaultPairConfig();
  config.client.replyDelayMs = 300;
  RadioPair pair(config);
  pair.Receive("+C\r+S\r", 19200, 1000);
  auto due = pair.TakeDue(1000000);
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(due[0].slot, kServerSlot);
  EXPECT_EQ(due[0].dueUs, 3000u);
  EXPECT_EQ(due[1].slot, kClientSlot);
  EXPECT_EQ(due[1].dueUs, 301000u);
}

TEST(RadioFaultsHangUp, SmallestThresholdOfEitherRadioWins) {
  PairConfig config = DefaultPairConfig();
  EXPECT_FALSE(RadioPair(config).HangUpAfterBytes());
  config.server.faults.hangUpAfterBytes = 10;
  config.client.faults.hangUpAfterBytes = 4;
  EXPECT_EQ(RadioPair(config).HangUpAfterBytes(), 4u);
}

}  // namespace
}  // namespace zorveth::sim
