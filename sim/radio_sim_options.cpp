#include "sim/radio_sim_options.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>

namespace zorveth::sim {
namespace {

std::optional<std::uint64_t> ParseUnsigned(const std::string& text, std::uint64_t max) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

using Setter = std::function<bool(RadioConfig&, const std::string&)>;

Setter Register(std::uint16_t RadioConfig::*field) {
  return [field](RadioConfig& radio, const std::string& value) {
    std::optional<std::uint64_t> number = ParseUnsigned(value, 0xFFFF);
    if (number) radio.*field = static_cast<std::uint16_t>(*number);
    return number.has_value();
  };
}

Setter Flag(bool RadioFaults::*field) {
  return [field](RadioConfig& radio, const std::string&) { return radio.faults.*field = true; };
}

Setter Text(std::optional<std::string> RadioFaults::*field) {
  return [field](RadioConfig& radio, const std::string& value) {
    std::optional<std::string> text = UnescapeReplyText(value);
    if (text) radio.faults.*field = *text;
    return text.has_value();
  };
}

// "80,75,90": the values register S cycles through.
bool SignalCycle(RadioConfig& radio, const std::string& value) {
  std::vector<std::uint16_t> cycle;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    std::optional<std::uint64_t> number = ParseUnsigned(value.substr(start, comma - start), 0xFFFF);
    if (!number || cycle.size() == 10000) return false;
    cycle.push_back(static_cast<std::uint16_t>(*number));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  radio.signalCycle = std::move(cycle);
  return true;
}

// "250" (milliseconds), or "query": how often the cycle moves on.
bool SignalStep(RadioConfig& radio, const std::string& value) {
  std::optional<std::uint64_t> step =
      value == "query" ? std::optional<std::uint64_t>(0) : ParseUnsigned(value, 3600000);
  if (!step || (*step == 0 && value != "query")) return false;
  radio.signalStepMs = static_cast<std::uint32_t>(*step);
  return true;
}

struct RadioOption {
  bool takesValue;
  Setter set;
  const char* valueHint;  // what a bad value should have been, for the error line
};

const std::map<std::string, RadioOption>& RadioOptions() {
  static const std::map<std::string, RadioOption> options = {
      {"speed",
       {true,
        [](RadioConfig& radio, const std::string& value) {
          std::optional<std::uint64_t> speed = ParseUnsigned(value, 38400);
          if (!speed || !IsRadioSpeed(static_cast<std::uint32_t>(*speed))) return false;
          radio.speed = static_cast<std::uint32_t>(*speed);
          return true;
        },
        "2400, 4800, 9600, 19200 or 38400"}},
      {"channel", {true, Register(&RadioConfig::channel), "a number from 0 to 65535"}},
      {"packet-length", {true, Register(&RadioConfig::packetLength), "a number from 0 to 65535"}},
      {"system-id", {true, Register(&RadioConfig::systemId), "a number from 0 to 65535"}},
      {"broadcast-attempts",
       {true, Register(&RadioConfig::broadcastAttempts), "a number from 0 to 65535"}},
      {"signal", {true, Register(&RadioConfig::signalStrength), "a number from 0 to 65535"}},
      {"signal-cycle", {true, SignalCycle, "numbers from 0 to 65535 separated by commas"}},
      {"signal-step", {true, SignalStep, "milliseconds from 1 to 3600000, or query"}},
      {"revision", {true, Register(&RadioConfig::firmwareRevision), "a number from 0 to 65535"}},
      {"role",
       {true,
        [](RadioConfig& radio, const std::string& value) {
          if (value != "server" && value != "client") return false;
          radio.role = value == "server" ? Role::Server : Role::Client;
          return true;
        },
        "server or client"}},
      {"off",
       {false, [](RadioConfig& radio, const std::string&) { return !(radio.powered = false); },
        ""}},
      {"reply-delay",
       {true,
        [](RadioConfig& radio, const std::string& value) {
          std::optional<std::uint64_t> delay = ParseUnsigned(value, 600000);
          if (delay) radio.replyDelayMs = static_cast<std::uint32_t>(*delay);
          return delay.has_value();
        },
        "milliseconds from 0 to 600000"}},
      {"no-prompt", {false, Flag(&RadioFaults::noPrompt), ""}},
      {"partial-prompt", {false, Flag(&RadioFaults::partialPrompt), ""}},
      {"no-echo", {false, Flag(&RadioFaults::noEcho), ""}},
      {"no-query-replies", {false, Flag(&RadioFaults::noQueryReplies), ""}},
      {"write-reply",
       {true, Text(&RadioFaults::writeReply), "a text (escapes \\r \\n \\t \\\\ \\xHH)"}},
      {"query-reply",
       {true, Text(&RadioFaults::queryReply), "a text (escapes \\r \\n \\t \\\\ \\xHH)"}},
      {"no-exit-confirmation", {false, Flag(&RadioFaults::noExitConfirmation), ""}},
  };
  return options;
}

std::optional<int> ParseComNumber(const std::string& value) {
  std::string digits = value.rfind("COM", 0) == 0 ? value.substr(3) : value;
  std::optional<std::uint64_t> number = ParseUnsigned(digits, 9999);
  if (!number || *number == 0) return std::nullopt;
  return static_cast<int>(*number);
}

}  // namespace

std::optional<std::string> UnescapeReplyText(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes.push_back(text[i]);
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case 'r':
        bytes.push_back('\r');
        break;
      case 'n':
        bytes.push_back('\n');
        break;
      case 't':
        bytes.push_back('\t');
        break;
      case '\\':
        bytes.push_back('\\');
        break;
      case 'x': {
        int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return bytes;
}

bool ParseRadioSimOptions(const std::vector<std::string>& args, RadioSimOptions* options,
                          std::string* error) {
  auto fail = [error](const std::string& message) {
    if (error != nullptr) *error = message;
    return false;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> inlineValue;
    if (std::size_t equals = name.find('=');
        name.rfind("--", 0) == 0 && equals != std::string::npos) {
      inlineValue = name.substr(equals + 1);
      name.erase(equals);
    }
    auto takeValue = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };

    if (name == "--help" || name == "-h") {
      options->help = true;
      continue;
    }
    if (name == "--version") {
      options->version = true;
      continue;
    }
    RadioConfig* radio = nullptr;
    std::string radioOption;
    if (name.rfind("--server-", 0) == 0) {
      radio = &options->pair.server;
      radioOption = name.substr(9);
    } else if (name.rfind("--client-", 0) == 0) {
      radio = &options->pair.client;
      radioOption = name.substr(9);
    }
    if (radio != nullptr) {
      auto found = RadioOptions().find(radioOption);
      if (found == RadioOptions().end()) return fail("unknown option " + name);
      const RadioOption& option = found->second;
      std::string value;
      if (option.takesValue) {
        std::optional<std::string> given = takeValue();
        if (!given) return fail(name + " needs a value: " + option.valueHint);
        value = *given;
      } else if (inlineValue) {
        return fail(name + " takes no value");
      }
      if (!option.set(*radio, value)) {
        return fail("bad value '" + value + "' for " + name + ": expected " + option.valueHint);
      }
      continue;
    }

    if (name != "--link" && name != "--log" && name != "--state" && name != "--hang-up-after" &&
        name != "--exit-after-seconds") {
      return fail("unknown option " + name + " (see --help)");
    }
    std::optional<std::string> value = takeValue();
    if (!value) return fail(name + " needs a value");
    if (name == "--link") {
      options->linkNumber = ParseComNumber(*value);
      if (!options->linkNumber)
        return fail("bad value '" + *value + "' for --link: expected COM<n>");
    } else if (name == "--log" || name == "--state") {
      if (value->empty()) return fail(name + " needs a file name");
      (name == "--log" ? options->logFile : options->stateFile) = *value;
    } else if (name == "--hang-up-after") {
      std::optional<std::uint64_t> count = ParseUnsigned(*value, 1ULL << 40);
      if (!count) return fail("bad value '" + *value + "' for --hang-up-after: expected a count");
      options->pair.server.faults.hangUpAfterBytes = static_cast<std::size_t>(*count);
    } else {
      char* end = nullptr;
      double seconds = std::strtod(value->c_str(), &end);
      if (value->empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0) {
        return fail("bad value '" + *value + "' for --exit-after-seconds: expected seconds > 0");
      }
      options->exitAfterSeconds = seconds;
    }
  }
  return true;
}

}  // namespace zorveth::sim
