#include "cli/option_table.h"

#include <algorithm>
#include <iostream>

namespace zorveth::cli {
namespace {

constexpr std::size_t kLineWidth = 79;

std::string Label(const OptionSpec& option) {
  std::string label(option.name);
  if (!option.valueName.empty()) label += " " + std::string(option.valueName);
  return label;
}

std::string UsageItem(const OptionSpec& option) {
  std::string item(option.name);
  if (!option.valueName.empty()) {
    item += " ";
    item += option.usageValue.empty() ? option.valueName : option.usageValue;
  }
  return option.required ? item : "[" + item + "]";
}

// The usage line, wrapped under the command's name.
std::string UsageLines(const CommandSpec& command) {
  std::string head = "Usage: zorveth-cli " + std::string(command.name);
  const std::string indent(head.size() + 1, ' ');
  std::vector<std::string> items;
  if (!command.positionals.empty()) items.emplace_back(command.positionals);
  for (const OptionSpec& option : command.options) {
    if (option.name != kHelpOption.name) items.push_back(UsageItem(option));
  }
  std::string text = head;
  std::size_t lineLength = head.size();
  for (const std::string& item : items) {
    if (lineLength + 1 + item.size() > kLineWidth && lineLength > indent.size()) {
      text += "\n" + indent.substr(1);
      lineLength = indent.size() - 1;
    }
    text += " " + item;
    lineLength += 1 + item.size();
  }
  return text + "\n";
}

}  // namespace

const OptionSpec kPortOption = {"--port", "PORT",
                                "the serial port: COM<n>, a device 'zorveth-cli ports'\n"
                                "lists by its path or name (/dev/ttyUSB0, ttyUSB0), or\n"
                                "rfc2217://HOST:PORT",
                                "--port needs a value such as COM3", true};
const OptionSpec kTraceOption = {"--trace", "FILE",
                                 "write every byte sent and received to FILE ('-': stderr)",
                                 "--trace needs a file name, or - for stderr"};
const OptionSpec kFormatOption = {"--format",
                                  "FORMAT",
                                  "text (default) or json: one JSON document on stdout",
                                  "--format needs text or json",
                                  false,
                                  "text|json"};
const OptionSpec kHelpOption = {"-h, --help", "", "this text"};

std::string HelpText(const CommandSpec& command) {
  std::string text = UsageLines(command) + "\n" + std::string(command.about);
  if (!command.options.empty()) {
    text += "\nOptions:\n";
    std::size_t width = 0;
    for (const OptionSpec& option : command.options) width = std::max(width, Label(option).size());
    const std::string indent(2 + width + 2, ' ');
    for (const OptionSpec& option : command.options) {
      const std::string label = Label(option);
      text += "  " + label + std::string(width - label.size() + 2, ' ');
      std::string_view help = option.help;
      for (bool first = true; !help.empty(); first = false) {
        const std::size_t end = help.find('\n');
        if (!first) text += indent;
        text += std::string(help.substr(0, end)) + "\n";
        help = end == std::string_view::npos ? std::string_view() : help.substr(end + 1);
      }
    }
  }
  if (!command.epilogue.empty()) text += "\n" + std::string(command.epilogue);
  return text;
}

std::string ParseOptions(const CommandSpec& command, const Arguments& args,
                         const OptionHandler& take, const PositionalHandler& positional) {
  OptionReader reader(args);
  while (!reader.Done()) {
    const std::string name = reader.Next();
    if (name.rfind("-", 0) != 0) {
      if (!positional) return "unexpected argument '" + name + "'";
      if (std::string refusal = positional(name); !refusal.empty()) return refusal;
      continue;
    }
    const auto option = std::find_if(command.options.begin(), command.options.end(),
                                     [&](const OptionSpec& spec) { return spec.name == name; });
    if (option == command.options.end()) return "unknown option '" + name + "'";
    if (reader.Repeated()) return name + " given twice";
    std::string value;
    if (!option->valueName.empty()) {
      auto given = reader.Value();
      if (!given) {
        return option->missing.empty() ? name + " needs a value" : std::string(option->missing);
      }
      value = *given;
    }
    if (std::string refusal = take(*option, value); !refusal.empty()) return refusal;
  }
  return "";
}

bool PrintHelpIfAsked(const CommandSpec& command, const Arguments& args) {
  if (!WantsHelp(args)) return false;
  std::cout << HelpText(command);
  return true;
}

}  // namespace zorveth::cli
