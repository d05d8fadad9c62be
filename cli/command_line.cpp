// zorveth-cli's command line: the subcommand's name picks what runs.
#include <cstring>
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "zorveth/version.h"

namespace {

struct Command {
  const char* name;
  const char* summary;
  int (*run)(const zorveth::cli::Arguments&);
};

const Command kCommands[] = {
    {"ports", "list the serial ports as the dialog lists them", zorveth::cli::RunPorts},
    {"poll", "read the settings of the Server, the Client or both", zorveth::cli::RunPoll},
    {"scan", "look for radios on every port at every speed at once", zorveth::cli::RunScan},
    {"monitor", "show both radios' signal strength live, to aim the antennas",
     zorveth::cli::RunMonitor},
    {"configure", "write new link settings to the Client and then the Server",
     zorveth::cli::RunConfigure},
    {"init", "give the one radio switched on a role and the link settings", zorveth::cli::RunInit},
    {"settings", "show or change the advanced settings (SkelvarRadio.ini)",
     zorveth::cli::RunSettings},
    {"profile", "save a pair's link settings to a file, or show one", zorveth::cli::RunProfile},
    {"apply", "bring a pair to a profile, writing only what differs", zorveth::cli::RunApply},
};

void PrintHelp(std::ostream& out) {
  out << "Usage: zorveth-cli <command> [options]\n\n"
         "Configures a Server/Client radio modem pair through one serial port.\n\n"
         "Commands:\n";
  for (const auto& command : kCommands) {
    out << "  " << command.name << std::string(12 - std::strlen(command.name), ' ')
        << command.summary << '\n';
  }
  out << "\nOptions:\n"
         "  -h, --help  this text\n"
         "  --version   print the program's name and version\n"
         "\nRun 'zorveth-cli <command> --help' for the options of a command.\n"
         "Exit status: 0 success, 1 a failure message was shown, 2 usage error.\n";
}

}  // namespace

namespace zorveth::cli {

int RunCommandLine(const Arguments& args) {
  if (args.empty()) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  const std::string& name = args.front();
  if (name == "-h" || name == "--help" || name == "help") {
    // "help poll" and "--help poll" are poll's own help.
    if (args.size() > 1) {
      for (const auto& command : kCommands) {
        if (args[1] == command.name) return command.run({"--help"});
      }
      std::cerr << "zorveth-cli: unknown command '" << args[1] << "' (see 'zorveth-cli --help')\n";
      return kExitUsage;
    }
    PrintHelp(std::cout);
    return kExitOk;
  }
  if (name == "--version") {
    std::cout << "zorveth-cli " << kVersion << '\n';
    return kExitOk;
  }
  Arguments rest(args.begin() + 1, args.end());
  for (const auto& command : kCommands) {
    if (name == command.name) return command.run(rest);
  }
  std::cerr << "zorveth-cli: unknown command '" << name << "' (see 'zorveth-cli --help')\n";
  return kExitUsage;
}

}  // namespace zorveth::cli
