// What zorveth-cli says is what happened, and it sends nothing a pair could
// not be reached again with: exact messages, exit codes and the wire, run as
// a separate process against a simulated pair.
#include <nlohmann/json.hpp>

#include "tests/integration/simulated_link.h"
#include "tests/support/cli_runner.h"

namespace zorveth::testing {
namespace {

namespace fs = std::filesystem;

class CliMessages : public SimulatedLink {
 protected:
  CliResult Cli(const std::string& args) {
    return RunProgram(ZORVETH_CLI_PATH, args, dir.path(), dir.path() / "config");
  }
  std::string SettingsPath() const { return (dir.path() / "SkelvarRadio.ini").string(); }
};

struct MessageCase {
  std::string args;
  int status;
  std::string out;
  std::string err;
};

void ExpectCases(const std::vector<MessageCase>& cases,
                 const std::function<CliResult(const std::string&)>& cli) {
  for (const MessageCase& c : cases) {
    CliResult run = cli(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_EQ(run.out, c.out) << c.args;
    EXPECT_EQ(run.err, c.err) << c.args;
  }
}

// A port that would not open is one failure, said once, naming no speed.
TEST_F(CliMessages, PortsThatDoNotOpenAreOneFailureInTheirOwnWords) {
  Serve();
  fs::create_symlink("/dev/null", portsDir / "COM20");
  WriteFile(dir.path() / "plain", "");
  fs::create_symlink(dir.path() / "plain", portsDir / "COM22");
  const fs::path unplugged = dir.path() / "ttyUSB9";
  fs::create_symlink(unplugged, portsDir / "COM21");
  const std::string missing =
      "COM21 (" + unplugged.string() + "): no such device; is the adapter unplugged?\n";
  const std::string plain =
      "COM22 (" + (dir.path() / "plain").string() + "): not a serial device\n";
  ExpectCases(
      {
          {"poll server --port COM99", 1, "",
           "Polling Server Failed\n  COM99: no such serial port\n"},
          {"poll both --port COM20", 1, "",
           "Polling Failed\n  COM20 (/dev/null): not a serial device\n"},
          {"configure --port COM22", 1, "", "Unable to Connect to Port\n  " + plain},
          {"init --role client --port COM21 --yes", 1, "", "No Port Connection!\n  " + missing},
          {"poll client --port COM21", 1, "", "Polling Client Failed\n  " + missing},
      },
      [&](const std::string& args) { return Cli(args); });
  EXPECT_EQ(ToolBytes(), "");
}

TEST_F(CliMessages, HalfDoneConfigureAndInitSayWhatIsKnown) {
  pair.server.faults.writeReply = "Write failed\n\r";
  Serve();
  ExpectCases(
      {{"configure --port COM12 --channel 70 --baud 9600", 1, "",
        "Server not Configured\n"
        "  the Client now holds the new settings (channel 70, packet length 262, system ID 111, "
        "retries 4, baud 9600)\n"
        "  the Server answered \"Write failed\\n\\r\" at 19200 baud and keeps its settings\n"
        "  set the Client back: 'zorveth-cli configure --port COM12 --channel N --baud 19200' "
        "with N the Server's channel\n"}},
      [&](const std::string& args) { return Cli(args); });

  // init on the one radio switched on: the role it answered as, when it is
  // not the role it now has, on stderr under the success message.
  struct InitCase {
    bool clientOn;
    std::string role;
    std::string out;
    std::string err;
  };
  const InitCase inits[] = {
      {false, "client", "Client Initialized\n",
       "  the radio answered as Server and is now the Client\n"
       "  if the pair's other radio is switched on, two radios may now share the Client role\n"},
      {true, "server", "Server Initialized\n",
       "  the radio answered as Client and is now the Server\n"
       "  if the pair's other radio is switched on, two radios may now share the Server role\n"},
      {true, "client", "Client Initialized\n", ""},
  };
  for (const InitCase& c : inits) {
    server->Stop();
    pair = sim::DefaultPairConfig();
    pair.client.powered = c.clientOn;
    pair.server.powered = !c.clientOn;
    Serve();
    CliResult run = Cli("init --role " + c.role + " --port COM12 --yes");
    EXPECT_EQ(run.status, 0) << c.role;
    EXPECT_EQ(run.out, c.out) << c.role;
    EXPECT_EQ(run.err, c.err) << c.role;
  }
}

// Stored values the dialog would not have saved never reach a radio.
TEST_F(CliMessages, StoredValuesTheRadiosMustNotGetAreRefusedBeforeAnythingIsSent) {
  Serve();
  const std::string file = SettingsPath();
  struct StoredCase {
    std::string line;  // in [System]
    std::string problem;
  };
  const StoredCase cases[] = {
      {"RetryNumber = 999",
       file + " holds RetryNumber = '999', not within 0 to 255; correct it with 'zorveth-cli "
              "settings --retries N'"},
      {"SystemIdentification = abc",
       file + " holds SystemIdentification = 'abc', not a number; correct it with 'zorveth-cli "
              "settings --system-id N'"},
      {"FixedPacketLength = 2048",
       file + " holds FixedPacketLength = '2048', not within 0 to 2047; correct it with "
              "'zorveth-cli settings --packet-length N'"},
      {"FixedPacketLength = -1",
       file + " holds FixedPacketLength = '-1', not within 0 to 2047; correct it with "
              "'zorveth-cli settings --packet-length N'"},
      {"RetryNumber = 12abc",
       file + " holds RetryNumber = '12abc', not a number; correct it with 'zorveth-cli settings "
              "--retries N'"},
      {"SystemIdentification = ",
       file + " holds SystemIdentification = '', not a number; correct it with 'zorveth-cli "
              "settings --system-id N'"},
  };
  for (const StoredCase& c : cases) {
    WriteFile(dir.path() / "SkelvarRadio.ini", "[System]\r\n" + c.line + "\r\n");
    for (const std::string command : {"configure", "init"}) {
      CliResult run = Cli(command == "init" ? "init --role client --port COM12 --yes"
                                            : "configure --port COM12");
      EXPECT_EQ(run.status, 2) << c.line;
      EXPECT_EQ(run.out, "") << c.line;
      EXPECT_EQ(run.err, "zorveth-cli " + command + ": " + c.problem + " (nothing was sent)\n")
          << c.line;
    }
  }
  // Blanks around a number are no reason to refuse it.
  WriteFile(dir.path() / "SkelvarRadio.ini", "[System]\r\nRetryNumber =  7 \r\n");
  EXPECT_EQ(Cli("settings").err, "");

  // --baud 2400 leaves a pair that configure and init do not look for.
  fs::remove(dir.path() / "SkelvarRadio.ini");
  ExpectCases({{"configure --port COM12 --baud 2400", 2, "",
                "zorveth-cli configure: after --baud 2400 configure and init no longer find the "
                "radios, only a poll does; add --yes to go ahead (nothing was sent)\n"}},
              [&](const std::string& args) { return Cli(args); });
  EXPECT_EQ(ToolBytes(), "");
}

TEST_F(CliMessages, SettingsWarnsAboutStoredValuesAndSaysWhichStopsTheSave) {
  const std::string stored = "[System]\r\nRetryNumber = 999\r\nSystemIdentification = abc\r\n";
  WriteFile(dir.path() / "SkelvarRadio.ini", stored);
  const std::string file = SettingsPath();
  ExpectCases(
      {
          {"settings", 0, "Fixed packet length: 262\nNumber of retries: 999\nSystem ID: 0\n",
           "warning: " + file +
               " holds RetryNumber = '999', not within 0 to 255; configure and init refuse to "
               "send it\n"
               "warning: " +
               file +
               " holds SystemIdentification = 'abc', not a number; configure and init refuse to "
               "send it\n"},
          {"settings --retries 3", 1, "",
           "Unable to Save Settings\n  " + file +
               " holds SystemIdentification = 'abc', not a number; give --system-id too to "
               "replace it; nothing was saved\n"},
          {"settings --system-id 3", 1, "",
           "Retry Number has to be between 0 - 255\n  " + file +
               " holds RetryNumber = '999', not within 0 to 255; give --retries too to replace "
               "it; nothing was saved\n"},
      },
      [&](const std::string& args) { return Cli(args); });
  EXPECT_EQ(ReadFile(dir.path() / "SkelvarRadio.ini"), stored);
  const auto document = nlohmann::json::parse(Cli("settings --format json").out);
  EXPECT_EQ(document["warnings"].size(), 2u);
  EXPECT_EQ(document["warnings"][0]["option"], "--retries");
  CliResult replaced = Cli("settings --retries 3 --system-id 5");
  EXPECT_EQ(replaced.status, 0) << replaced.err;
}

TEST_F(CliMessages, HelpUsageLinesAndFormatWords) {
  const std::string pollHelp = Cli("poll --help").out;
  EXPECT_EQ(Cli("help poll").out, pollHelp);
  EXPECT_EQ(Cli("--help poll").out, pollHelp);
  // Every option a command's help lists is in its usage line too.
  for (const std::string command : {"ports", "poll", "scan", "configure", "init", "settings"}) {
    const std::string help = Cli(command + " --help").out;
    const std::string usage = help.substr(0, help.find("\n\n"));
    std::istringstream lines(help.substr(help.find("Options:\n")));
    for (std::string line; std::getline(lines, line);) {
      if (!line.starts_with("  --")) continue;
      const std::string option = line.substr(2, line.find(' ', 2) - 2);
      EXPECT_NE(usage.find(option), std::string::npos) << command << ": " << option;
    }
  }
  for (const std::string word : {"JSON", "Json", "TEXT"}) {
    CliResult run = Cli("settings --format " + word);
    EXPECT_EQ(run.status, 0) << word << ": " << run.err;
    EXPECT_EQ(run.out.starts_with("{"), word != "TEXT") << word;
  }
}

}  // namespace
}  // namespace zorveth::testing
