// zorveth-cli poll, configure and init against a simulated pair, run as a
// separate process the way a script runs it.
#include "tests/integration/simulated_link.h"
#include "tests/support/cli_runner.h"

namespace zorveth::testing {
namespace {

class CliOnPty : public SimulatedLink {
 protected:
  CliResult Cli(const std::string& args) {
    return RunProgram(ZORVETH_CLI_PATH, args, dir.path(), dir.path() / "config");
  }
};

constexpr char kServerReport[] =
    "Settings polled from: Server\n"
    "============================================\n"
    "Channel Number:            67\n"
    "Packet Length:               262\n"
    "System ID:                      111\n"
    "Broadcast Attempts:        4\n"
    "Baud Rate:                     19200\n"
    "Signal Strength:               87\n"
    "Firmware Revision:          204\n"
    " \n"
    " \n";

TEST_F(CliOnPty, PollPrintsReportsAndExitsZero) {
  Serve();
  CliResult server = Cli("poll server --port COM12");
  EXPECT_EQ(server.status, 0) << server.err;
  EXPECT_EQ(server.out, kServerReport);
  EXPECT_EQ(server.err, "");  // no progress chatter when stderr is not a terminal

  CliResult both = Cli("poll both --port=COM12");
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_EQ(both.out.substr(0, sizeof(kServerReport) - 1), kServerReport);
  EXPECT_NE(both.out.find("Settings polled from: Client\n"), std::string::npos);
}

TEST_F(CliOnPty, PollFailuresGoToStderrWithExitOne) {
  pair.client.speed = 9600;
  Serve();
  CliResult run = Cli("poll both --port COM12");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, kServerReport);
  EXPECT_EQ(run.err,
            "Polling Client Failed\n"
            "  the Client did not answer at the Server's speed (19200 baud)\n"
            "  'zorveth-cli poll client' tries every speed\n");

  CliResult missing = Cli("poll server --port COM40");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err.substr(0, 22), "Polling Server Failed\n");
  EXPECT_NE(missing.err.find("COM40"), std::string::npos);
}

TEST_F(CliOnPty, UsageErrorsExitTwoWithOneLine) {
  for (const char* args : {"poll", "poll radio --port COM12", "poll server", "poll server --port",
                           "poll server --port COM12 --speed 9600", "configure",
                           "init --port COM12 --yes", "frobnicate"}) {
    CliResult run = Cli(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
  }
  for (const char* args : {"--help", "poll --help", "configure --help", "init --help"}) {
    CliResult run = Cli(args);
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_NE(run.out.find("Usage: zorveth-cli"), std::string::npos) << args;
  }
}

TEST_F(CliOnPty, ConfigureUsesTheSettingsFileAndReportsOnStdout) {
  WriteFile(
      dir.path() / "SkelvarRadio.ini",
      "[System]\r\nSystemIdentification = 500\r\nRetryNumber = 2\r\nFixedPacketLength = 100\r\n");
  Serve();
  CliResult run = Cli("configure --port COM12 --channel 70 --baud 9600");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Configuration is Set\n");
  EXPECT_NE(server->HeardBy(sim::kServerSlot).find("+S\rATC70FP100ID500BA2BR9600\r"),
            std::string::npos);
  EXPECT_EQ(server->Radio(sim::kClientSlot).speed, 9600u);
}

TEST_F(CliOnPty, ConfigureFailureExitsOne) {
  pair.client.faults.writeReply = "Write failed\n\r";
  Serve();
  CliResult run = Cli("configure --port COM12");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "Unable to Configure EEPROM\n"
            "  the Client answered \"Write failed\\n\\r\" at 19200 baud and keeps its settings\n"
            "  the Server was not contacted\n");
}

TEST_F(CliOnPty, InitNeedsYesAndThenInitializesTheOneRadio) {
  pair.client.powered = false;
  Serve();
  CliResult refused = Cli("init --role client --port COM12");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("--yes"), std::string::npos);
  EXPECT_EQ(ToolBytes(), "");

  CliResult run = Cli("init --role client --port COM12 --technology Other --yes");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Client Initialized\n");
  EXPECT_EQ(server->HeardBy(sim::kServerSlot), "+C\r+S\rATC25FP262M2ID111BA4DA1TD1BR19200\rATE\r");
  EXPECT_EQ(server->Radio(sim::kServerSlot).role, sim::Role::Client);
}

}  // namespace
}  // namespace zorveth::testing
