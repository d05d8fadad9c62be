#pragma once

// Each command's options as one table, which gives both the parsing and the
// command's --help: its usage line and its list of options.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_common.h"

namespace zorveth::cli {

struct OptionSpec {
  std::string_view name;       // "--port"
  std::string_view valueName;  // "PORT"; empty for an option without a value
  std::string_view help;       // one or more lines ("\n" between them)
  // The refusal when the value is missing ("--port needs a value such as COM3").
  std::string_view missing = {};
  bool required = false;  // shown without brackets in the usage line
  // How the usage line shows the value, when it says more than valueName
  // ("text|json").
  std::string_view usageValue = {};
};

// The options every radio command shares, and help.
extern const OptionSpec kPortOption;
extern const OptionSpec kTraceOption;
extern const OptionSpec kFormatOption;
extern const OptionSpec kHelpOption;

struct CommandSpec {
  std::string_view name;         // "poll"
  std::string_view positionals;  // "server|client|both", or empty
  std::string_view about;        // what the command does, before "Options:"
  std::vector<OptionSpec> options;
  std::string_view epilogue;  // after the options (outputs, exit status)
};

// "Usage: zorveth-cli poll server|client|both --port PORT [--trace FILE] ...",
// the about text, the options with their help, the epilogue.
std::string HelpText(const CommandSpec& command);

// Called for each option in the table that was given, with its value (empty
// for an option without one); returns the refusal, or empty.
using OptionHandler =
    std::function<std::string(const OptionSpec& option, const std::string& value)>;
// Called for each argument that is not an option; returns the refusal, or
// empty.
using PositionalHandler = std::function<std::string(const std::string& argument)>;

// Walks the arguments: unknown options, options given twice and missing
// values are refused in the table's own words. Returns the first refusal,
// or empty.
std::string ParseOptions(const CommandSpec& command, const Arguments& args,
                         const OptionHandler& take, const PositionalHandler& positional = {});

// Prints the help when asked for (-h or --help anywhere); true when it did.
bool PrintHelpIfAsked(const CommandSpec& command, const Arguments& args);

}  // namespace zorveth::cli
