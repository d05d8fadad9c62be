#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/fake_serial_port.h"

namespace zorveth::testing {

// A minimal radio for protocol tests on the fake port: answers its escape
// with the prompt at its own speed, echoes command lines, answers register
// queries, "ATE" and configuration/initialization lines.
struct FakeRadio {
  std::string escape = "+S\r";
  std::uint32_t speed = 9600;
  bool powered = true;
  bool echo = true;
  bool answersQueries = true;
  bool confirmsExit = true;
  std::string prompt = "-\n\r\n\r\n\r\n\r";
  std::string writeReply = "Write successful\n\r";
  std::map<std::string, std::string> registers = {{"C", "67"},   {"FP", "262"}, {"M", "1"},
                                                  {"ID", "111"}, {"BA", "4"},   {"S", "87"},
                                                  {"REV", "204"}};
  std::uint64_t replyDelayMs = 2;
  // When set, the prompt, and the reply to a configuration line (counted
  // from the line's end, the echo still coming after replyDelayMs), come
  // after their own delays.
  std::optional<std::uint64_t> promptDelayMs;
  std::optional<std::uint64_t> lineReplyDelayMs;
  std::optional<std::uint64_t> exitDelayMs;
  // When set, the prompt's first character comes on time and the rest after
  // this delay.
  std::optional<std::uint64_t> promptRestDelayMs;
  // Escapes heard but not answered before the radio answers one.
  int escapesIgnored = 0;
  // Takes the values of a configuration line it accepted into its
  // registers, and its new speed once it leaves command mode.
  bool appliesWrites = false;
  std::optional<std::uint32_t> pendingSpeed;

  bool inCommandMode = false;
  std::string pendingLine;
  std::vector<std::string> linesHeard;  // complete command lines, without CR
  int promptsGiven = 0;

  void Hear(FakeSerialPort& port, const std::string& bytes, std::uint32_t lineSpeed);
  void SendPrompt(FakeSerialPort& port) const;
  void TakeValues(const std::string& line);
};

// Routes every write to each radio of the pair.
void ConnectRadios(FakeSerialPort& port, std::vector<FakeRadio*> radios);

}  // namespace zorveth::testing
