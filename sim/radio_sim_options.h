#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/radio_config.h"

namespace zorveth::sim {

// What the radio-sim command was asked to do.
struct RadioSimOptions {
  PairConfig pair = DefaultPairConfig();
  std::optional<int> linkNumber;  // --link COM<n>
  std::optional<std::string> logFile;
  std::optional<std::string> stateFile;
  std::optional<double> exitAfterSeconds;
  bool help = false;
  bool version = false;  // --version
};

// Parses the arguments after the program name. On a bad option returns false with one line
// describing it in *error.
bool ParseRadioSimOptions(const std::vector<std::string>& args, RadioSimOptions* options,
                          std::string* error);

std::string RadioSimHelp();

// Turns the escapes \r, \n, \t, \\ and \xHH of a reply text into the bytes they stand for.
std::optional<std::string> UnescapeReplyText(const std::string& text);

}  // namespace zorveth::sim
