// zorveth-cli scan against simulated pairs, run as a script runs it, and
// the report it prints.
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/scan_progress.h"
#include "cli/scan_report.h"
#include "tests/integration/simulated_link.h"
#include "tests/support/cli_runner.h"
#include "tests/support/scan_summary.h"

namespace zorveth::testing {
namespace {

class CliScan : public SimulatedLink {
 protected:
  void TearDown() override {
    for (auto& server : servers) server->Stop();
    SimulatedLink::TearDown();
  }
  void ServeAt(int number, std::uint32_t speed, bool powered = true) {
    sim::PairConfig config = sim::DefaultPairConfig();
    config.server.speed = config.client.speed = speed;
    config.server.powered = config.client.powered = powered;
    servers.push_back(std::make_unique<sim::PtyRadioServer>(config));
    std::string error;
    ASSERT_TRUE(servers.back()->Start(&error)) << error;
    ASSERT_TRUE(servers.back()->LinkAs(portsDir, number, &error)) << error;
  }
  // The port as `zorveth-cli ports` lists it: "COM31 (pts/4)".
  std::string Listed(int number, std::size_t server) const {
    return "COM" + std::to_string(number) + " (" +
           std::filesystem::path(servers[server]->SlavePath()).lexically_relative("/dev").string() +
           ")";
  }
  CliResult Cli(const std::string& args) {
    return RunProgram(ZORVETH_CLI_PATH, args, dir.path(), dir.path() / "config");
  }
  std::vector<std::unique_ptr<sim::PtyRadioServer>> servers;
};

TEST_F(CliScan, ListsTheRadiosThenThePortsWithoutAndExitsZero) {
  ServeAt(31, 38400);
  ServeAt(32, 2400);
  ServeAt(33, 9600, false);
  CliResult run = Cli("scan --ports COM31,COM32,COM33,COM40,com31");
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string a = Listed(31, 0), b = Listed(32, 1), c = Listed(33, 2);
  EXPECT_EQ(run.out, a + "  Server  38400 baud  channel 67  system ID 111\n" + a +
                         "  Client  38400 baud  channel 67  system ID 111\n" + b +
                         "  Server  2400 baud  channel 67  system ID 111\n" + b +
                         "  Client  2400 baud  channel 67  system ID 111\n" + c +
                         "  no answer\n"
                         "COM40  no such port\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(CliScan, JsonIsOneDocumentWithEveryPort) {
  ServeAt(34, 19200);
  CliResult run = Cli("scan --ports=COM34,COM41 --format json");
  EXPECT_EQ(run.status, 0) << run.err;
  auto document = nlohmann::json::parse(run.out);
  EXPECT_EQ(document["radiosFound"], 2);
  ASSERT_EQ(document["ports"].size(), 2u);
  const auto& port = document["ports"][0];
  EXPECT_EQ(document["command"], "scan");
  EXPECT_EQ(document["success"], true);
  EXPECT_EQ(port["port"].get<std::string>() + " (" + port["device"].get<std::string>() + ")",
            Listed(34, 0));
  EXPECT_EQ(port["status"], "found");
  const auto& client = port["radios"][1];
  EXPECT_EQ(client["role"], "Client");
  EXPECT_EQ(client["speed"], 19200);
  EXPECT_EQ(client["registers"],
            nlohmann::json({{"channel", 67}, {"roleCode", 2}, {"systemId", 111}}));
  EXPECT_EQ(document["ports"][1]["status"], "no such port");
  EXPECT_EQ(document["ports"][1]["openError"], "COM41: no such serial port");
}

TEST_F(CliScan, NoRadioAnywhereExitsOne) {
  CliResult run = Cli("scan --ports COM42");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "COM42  no such port\n");
  EXPECT_EQ(run.err, "No radios found\n");
}

TEST_F(CliScan, UsageErrorsExitTwoBeforeAnyPortIsTouched) {
  ServeAt(35, 19200);
  for (const char* args :
       {"scan --ports", "scan --ports COM35,", "scan --ports COM0", "scan --ports 35",
        "scan --ports COM35x", "scan --format xml", "scan --format", "scan COM35",
        "scan --port COM35", "scan --ports COM35 --ports COM36"}) {
    CliResult run = Cli(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
  }
  EXPECT_TRUE(servers[0]->Log().empty());
  CliResult help = Cli("scan --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: zorveth-cli scan"), std::string::npos);
}

TEST(ScanReport, UnreadRegistersAndOtherOpenFailuresAreShownAsSuch) {
  PortScanResult found;
  found.port = "COM3";
  found.outcome = PortScanOutcome::Found;
  found.radios.push_back(FoundRadio(RadioRole::Client, 4800, 0, 2, 7));
  found.radios.back().registers[0].value.reset();  // "C" gave no answer
  PortScanResult odd;
  odd.port = "COM4";
  odd.outcome = PortScanOutcome::OpenFailed;
  odd.openError = "COM4 (/dev/ttyS3): Input/output error";
  PortScanResult busy;
  busy.port = "COM5";
  busy.outcome = PortScanOutcome::Busy;
  busy.openError = "COM5 (/dev/ttyS4): Device or resource busy (another program holds it)";
  PortScanResult partly;  // opened at some speeds, nobody answered there
  partly.port = "COM6";
  partly.outcome = PortScanOutcome::NoAnswer;
  for (std::uint32_t speed : {19200u, 2400u}) {
    SpeedTried tried{speed};
    tried.opened = false;
    tried.openFailure = OpenFailure::Busy;
    tried.openError = "COM6: busy";
    partly.speedsNotOpened.push_back(tried);
  }
  const std::vector<PortScanResult> results = {odd, found, busy, partly};

  EXPECT_EQ(
      cli::ScanReportLines(results),
      (std::vector<std::string>{"COM3  Client  4800 baud  channel ?  system ID 7",
                                "COM4  cannot be opened: COM4 (/dev/ttyS3): Input/output error",
                                "COM5  busy", "COM6  no answer (not opened at 19200, 2400 baud)"}));
  const cli::Json document = cli::ScanDocument(results, false);
  EXPECT_TRUE(document["ports"][1]["radios"][0]["registers"]["channel"].is_null());
  EXPECT_EQ(document["ports"][2]["status"], "busy");
  EXPECT_EQ(document["ports"][2]["openError"], busy.openError);
  EXPECT_EQ(document["ports"][3]["speedsNotOpened"][1]["speed"], 2400);
  EXPECT_EQ(document["ports"][3]["speedsNotOpened"][1]["reason"], "busy");
  EXPECT_EQ(document["radiosFound"], 1);
  EXPECT_EQ(document["command"], "scan");
  EXPECT_EQ(document["success"], true);
}

// The board a terminal shows while the scan runs: each update redraws the
// ports' lines in place, and the board is gone when the scan ends. In a
// pipe nothing is written at all.
TEST(ScanProgressBoardTest, RedrawsInPlaceAndLeavesNothingBehind) {
  std::ostringstream terminal;
  {
    cli::ScanProgressBoard board({"COM5", "COM6"}, terminal, true);
    board.Update(1, "searching 9600 baud...");
    board.Update(1, "searching 9600 baud...");  // unchanged: no redraw
    board.Update(0, std::string(100, 'x'));
  }
  const std::string first = "\r\033[KCOM5  waiting...\n\r\033[KCOM6  waiting...\n";
  const std::string second =
      "\033[2A\r\033[KCOM5  waiting...\n\r\033[KCOM6  searching 9600 baud...\n";
  const std::string third =
      "\033[2A\r\033[KCOM5  " + std::string(73, 'x') + "\n\r\033[KCOM6  searching 9600 baud...\n";
  EXPECT_EQ(terminal.str(), first + second + third + "\033[2A\r\033[J");

  std::ostringstream pipe;
  {
    cli::ScanProgressBoard board({"COM5"}, pipe, false);
    board.Update(0, "searching 9600 baud...");
  }
  EXPECT_EQ(pipe.str(), "");
}

}  // namespace
}  // namespace zorveth::testing
