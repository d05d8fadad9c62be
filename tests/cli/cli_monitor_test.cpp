// zorveth-cli monitor against a simulated pair whose signal changes, run as
// a script runs it.
#include <sstream>

#include "tests/integration/simulated_link.h"
#include "tests/support/cli_runner.h"

namespace zorveth::testing {
namespace {

class CliMonitor : public SimulatedLink {
 protected:
  CliResult Cli(const std::string& args) {
    return RunProgram(ZORVETH_CLI_PATH, args, dir.path(), dir.path() / "config");
  }
};

// The CSV lines without their times: "Server,80".
std::vector<std::string> RolesAndValues(const std::string& csv) {
  std::vector<std::string> lines;
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "time,role,signalStrength");
  while (std::getline(in, line)) lines.push_back(line.substr(line.find(',') + 1));
  return lines;
}

std::string Repeat(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

TEST_F(CliMonitor, TenRoundsPrintTheSimulatorsValuesInOrderAndOnlySampleOnTheWire) {
  pair.server.signalCycle = {80, 75, 90, 60};
  pair.client.signalCycle = {50, 55};
  pair.server.signalStepMs = pair.client.signalStepMs = 0;  // a new value per query
  Serve();
  CliResult run = Cli("monitor --port COM12 --count 10 --format csv");
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> expected;
  for (int i = 0; i < 10; ++i) {
    expected.push_back("Server," + std::to_string(pair.server.signalCycle[i % 4]));
    expected.push_back("Client," + std::to_string(pair.client.signalCycle[i % 2]));
  }
  EXPECT_EQ(RolesAndValues(run.out), expected);
  EXPECT_EQ(ToolBytes(38400), "+S\r");
  EXPECT_EQ(ToolBytes(19200), Repeat("+S\rATS\rATE\r+C\rATS\rATE\r", 10));
  EXPECT_EQ(run.err,
            "Server: 10 samples, 0 lost, min 60, mean 76.5, max 90\n"
            "Client: 10 samples, 0 lost, min 50, mean 52.5, max 55\n");
}

TEST_F(CliMonitor, ASwitchedOffClientIsMarkedWhileTheServersValuesGoOn) {
  pair.server.signalCycle = {80, 75};
  pair.server.signalStepMs = 0;
  pair.client.powered = false;
  Serve();
  // Two rounds, some 4 s: well inside the 10 s a silent radio is given.
  CliResult run = Cli("monitor --port COM12 --count 2");  // a pipe: lines as with csv
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(RolesAndValues(run.out),
            (std::vector<std::string>{"Server,80", "Client,", "Server,75", "Client,"}));
  EXPECT_NE(run.err.find("Client: 2 samples, 2 lost\n"), std::string::npos) << run.err;
  // Looked for at every speed once, then at the Server's: three escapes each.
  EXPECT_EQ(ToolBytes(9600), "+C\r+C\r+C\r");
  EXPECT_EQ(ToolBytes(19200), Repeat("+S\rATS\rATE\r+C\r+C\r+C\r", 2));
}

TEST_F(CliMonitor, NoRadioOrABadOptionSaysSo) {
  pair.server.powered = pair.client.powered = false;
  Serve();
  CliResult none = Cli("monitor --port COM12 --format json");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err.substr(0, 15), "Polling Failed\n");
  EXPECT_NE(none.out.find("\"ending\":\"no radio\""), std::string::npos) << none.out;
  for (const char* args :
       {"monitor", "monitor --port COM12 --interval 0", "monitor --port COM12 --interval 1.2345",
        "monitor --port COM12 --interval 3601", "monitor --port COM12 --interval .5",
        "monitor --port COM12 --count 0", "monitor --port COM12 --format xml",
        "monitor --port COM12 --count 2 --count 3"}) {
    CliResult run = Cli(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
  }
  // Only the first run sent anything: the Server's escape at five speeds,
  // the Client's three at each.
  EXPECT_EQ(ToolBytes(), Repeat("+S\r", 5) + Repeat("+C\r", 15));
}

}  // namespace
}  // namespace zorveth::testing
