#include "sim/at_command.h"

#include <gtest/gtest.h>

namespace zorveth::sim {
namespace {

TEST(AtCommandParse, QueriesAndExit) {
  for (const char* name : {"C", "FP", "M", "ID", "BA", "S", "REV"}) {
    AtCommand command = ParseAtCommand(std::string("AT") + name);
    EXPECT_EQ(command.kind, AtCommand::Kind::Query) << name;
    EXPECT_EQ(command.registerName, name);
  }
  EXPECT_EQ(ParseAtCommand("ATE").kind, AtCommand::Kind::Exit);
  EXPECT_EQ(ParseAtCommand("ATBR").kind, AtCommand::Kind::Invalid);  // not a queryable register
  EXPECT_EQ(ParseAtCommand("AT").kind, AtCommand::Kind::Invalid);
  EXPECT_EQ(ParseAtCommand("ATE ").kind, AtCommand::Kind::Invalid);
}

TEST(AtCommandParse, ConfigurationLineInAnyKeyOrder) {
  for (const char* text : {"ATC67FP262ID111BA4BR19200", "ATBR19200BA4ID111FP262C67"}) {
    AtCommand command = ParseAtCommand(text);
    ASSERT_EQ(command.kind, AtCommand::Kind::Write) << text;
    EXPECT_EQ(command.values.channel, 67);
    EXPECT_EQ(command.values.packetLength, 262);
    EXPECT_EQ(command.values.systemId, 111);
    EXPECT_EQ(command.values.broadcastAttempts, 4);
    EXPECT_EQ(command.values.speed, 19200u);
    EXPECT_FALSE(command.values.role);
  }
}

TEST(AtCommandParse, InitializationLinesCarryTheRole) {
  AtCommand longForm = ParseAtCommand("ATC67FP262M2ID111BA4DA1TD1RF3IT0BR19200");
  ASSERT_EQ(longForm.kind, AtCommand::Kind::Write);
  EXPECT_EQ(longForm.values.role, Role::Client);
  AtCommand shortForm = ParseAtCommand("ATC53FP262M1ID111BA4DA1TD1BR19200");
  ASSERT_EQ(shortForm.kind, AtCommand::Kind::Write);
  EXPECT_EQ(shortForm.values.role, Role::Server);
  EXPECT_EQ(shortForm.values.channel, 53);
}

TEST(AtCommandParse, MalformedWriteLinesAreInvalid) {
  for (const char* text : {
           "ATC67FP262ID111BA4",                          // no speed
           "ATC67FP262ID111BA4BR19200BR9600",             // key twice
           "ATC67FP262ID111BA4BR57600",                   // not a radio speed
           "ATC-5FP262ID111BA4BR19200",                   // negative channel
           "ATC65536FP262ID111BA4BR19200",                // beyond 16 bits
           "ATC99999999999999999999FP262ID111BA4BR9600",  // would overflow a 64-bit parse
           "ATC67FP262ID111BA4XX1BR19200",                // unknown key
           "ATC67FPID111BA4BR19200",                      // key without value
           "ATc67FP262ID111BA4BR19200",                   // lower-case key
           "ATC67FP262M2ID111BA4BR19200",                 // M without DA and TD
           "ATC67FP262M3ID111BA4DA1TD1BR19200",           // role 3
           "ATC67FP262ID111BA4RF3BR19200",                // RF outside an initialization line
           "ATC67FP262ID111BA4BR19200 ",                  // trailing blank
       }) {
    EXPECT_EQ(ParseAtCommand(text).kind, AtCommand::Kind::Invalid) << text;
  }
}

}  // namespace
}  // namespace zorveth::sim
