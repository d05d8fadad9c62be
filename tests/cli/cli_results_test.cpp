// zorveth-cli's --trace and --format json against a simulated pair, run as
// a separate process the way a script runs it.
#include <nlohmann/json.hpp>

#include "tests/integration/simulated_link.h"
#include "tests/support/cli_runner.h"
#include "trace/wire_trace_format.h"

namespace zorveth::testing {
namespace {

using nlohmann::json;
using ByteAtSpeed = std::pair<char, std::uint32_t>;

class CliResults : public SimulatedLink {
 protected:
  CliResult Cli(const std::string& args) {
    return RunProgram(ZORVETH_CLI_PATH, args, dir.path(), dir.path() / "config");
  }
  // The lines of a trace, each of which must parse.
  static std::vector<ParsedWireTraceLine> TraceLines(const std::string& text) {
    std::vector<ParsedWireTraceLine> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find('\n', start);
      auto line = ParseWireTraceLine(std::string_view(text).substr(start, end - start));
      EXPECT_TRUE(line) << text.substr(start, end - start);
      if (line) lines.push_back(*line);
      start = end + 1;
    }
    return lines;
  }
  static std::vector<ByteAtSpeed> SentBytes(const std::vector<ParsedWireTraceLine>& lines) {
    std::vector<ByteAtSpeed> bytes;
    for (const auto& line : lines) {
      if (line.direction != WireDirection::Sent) continue;
      for (char c : line.bytes) bytes.emplace_back(c, line.speed);
    }
    return bytes;
  }
  std::vector<ByteAtSpeed> SimulatorHeard() const {
    std::vector<ByteAtSpeed> bytes;
    for (const auto& entry : server->Log()) {
      if (entry.fromTool) bytes.emplace_back(static_cast<char>(entry.byte), entry.speed);
    }
    return bytes;
  }
  // The values of an eleven-line report, by label.
  static std::map<std::string, std::string> ReportValues(const std::string& report) {
    std::map<std::string, std::string> values;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      const std::size_t value = line.find_first_not_of(' ', colon + 1);
      values[line.substr(0, colon)] = value == std::string::npos ? "" : line.substr(value);
    }
    return values;
  }
};

TEST_F(CliResults, TraceFileHoldsWhatTheSimulatorHeardAtItsSpeeds) {
  pair.server.speed = pair.client.speed = 9600;
  Serve();
  CliResult plain = Cli("poll both --port COM12");
  server->ClearLog();
  CliResult traced = Cli("poll both --port COM12 --trace t.log");
  EXPECT_EQ(traced.status, 0) << traced.err;
  EXPECT_EQ(traced.out, plain.out);  // the report is untouched
  EXPECT_EQ(traced.err, "");
  const auto lines = TraceLines(ReadFile(dir.path() / "t.log"));
  EXPECT_EQ(SentBytes(lines), SimulatorHeard());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().step, "poll both: escape Server");
  EXPECT_EQ(lines.front().speed, 38400u);
}

TEST_F(CliResults, ConfigureAndInitTracesHoldTheirLines) {
  Serve();
  CliResult configure = Cli("configure --port COM12 --trace=c.log");
  EXPECT_EQ(configure.status, 0) << configure.err;
  const auto configureLines = TraceLines(ReadFile(dir.path() / "c.log"));
  EXPECT_EQ(SentBytes(configureLines), SimulatorHeard());
  EXPECT_EQ(std::count_if(configureLines.begin(), configureLines.end(),
                          [](const auto& line) {
                            return line.step == "configure: configuration line" &&
                                   line.bytes == "ATC67FP262ID111BA4BR19200\r";
                          }),
            2);

  server->Stop();
  pair.client.powered = false;
  Serve();
  CliResult init = Cli("init --role client --port COM12 --yes --trace i.log");
  EXPECT_EQ(init.status, 0) << init.err;
  EXPECT_EQ(SentBytes(TraceLines(ReadFile(dir.path() / "i.log"))), SimulatorHeard());
}

TEST_F(CliResults, TraceOnStderrComesAfterTheMessages) {
  pair.client.speed = 9600;
  Serve();
  CliResult run = Cli("poll both --port COM12 --trace -");
  EXPECT_EQ(run.status, 1);
  // The message and its detail lines (indented), then the trace.
  const std::string message =
      "Polling Client Failed\n"
      "  the Client did not answer at the Server's speed (19200 baud)\n"
      "  'zorveth-cli poll client' tries every speed\n";
  ASSERT_EQ(run.err.substr(0, message.size()), message);
  const auto lines = TraceLines(run.err.substr(message.size()));
  EXPECT_EQ(SentBytes(lines), SimulatorHeard());
}

TEST_F(CliResults, BadTraceAndFormatOptionsSendNothing) {
  Serve();
  for (const char* args :
       {"poll both --port COM12 --trace missing/dir/t.log", "poll both --port COM12 --trace",
        "poll both --port COM12 --format xml", "configure --port COM12 --format",
        "init --role client --port COM12 --yes --trace missing/t.log", "ports --format yaml"}) {
    CliResult run = Cli(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
  }
  EXPECT_TRUE(server->Log().empty());
}

TEST_F(CliResults, PollJsonHoldsTheValuesOfTheTextReport) {
  pair.server.channel = 70;
  pair.server.signalStrength = 41;
  pair.client.systemId = 500;
  pair.client.firmwareRevision = 65534;
  Serve();
  CliResult text = Cli("poll both --port COM12");
  CliResult run = Cli("poll both --port COM12 --format json");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  const json document = json::parse(run.out);
  EXPECT_EQ(document["command"], "poll");
  EXPECT_EQ(document["success"], true);
  EXPECT_EQ(document["message"], nullptr);
  ASSERT_EQ(document["radios"].size(), 2u);

  const std::size_t split = text.out.find("Settings polled from: Client");
  const std::string reports[] = {text.out.substr(0, split), text.out.substr(split)};
  const char* labels[][2] = {{"Channel Number", "channel"},
                             {"Packet Length", "packetLength"},
                             {"System ID", "systemId"},
                             {"Broadcast Attempts", "broadcastAttempts"},
                             {"Signal Strength", "signalStrength"},
                             {"Firmware Revision", "firmwareRevision"}};
  for (std::size_t i = 0; i < 2; ++i) {
    const json& radio = document["radios"][i];
    auto values = ReportValues(reports[i]);
    EXPECT_EQ(radio["role"], i == 0 ? "Server" : "Client");
    EXPECT_EQ(radio["answered"], true);
    EXPECT_EQ(radio["reportRole"], values["Settings polled from"]);
    EXPECT_EQ(std::to_string(radio["speed"].get<int>()), values["Baud Rate"]);
    for (const auto& [label, key] : labels) {
      EXPECT_EQ(std::to_string(radio["registers"][key].get<int>()), values[label]) << key;
    }
    EXPECT_EQ(radio["registers"]["roleCode"], i == 0 ? 1 : 2);
    EXPECT_EQ(radio["message"], nullptr);
  }
  EXPECT_EQ(document["radios"][0]["registers"]["channel"], 70);
  EXPECT_EQ(document["radios"][1]["registers"]["firmwareRevision"], 65534);
}

TEST_F(CliResults, FailedPollsGiveValidJsonWithTheMessage) {
  pair.client.speed = 9600;
  pair.server.faults.noQueryReplies = true;
  Serve();
  CliResult run = Cli("poll both --port COM12 --format json");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), "Error During Read\n");
  EXPECT_NE(run.err.find("\nPolling Client Failed\n"), std::string::npos) << run.err;
  json document = json::parse(run.out);
  EXPECT_EQ(document["success"], false);
  EXPECT_EQ(document["message"], "Polling Client Failed");
  const json& serverRadio = document["radios"][0];
  EXPECT_EQ(serverRadio["answered"], true);
  EXPECT_EQ(serverRadio["message"], "Error During Read");
  EXPECT_EQ(serverRadio["reportRole"], nullptr);
  for (const auto& value : serverRadio["registers"]) EXPECT_EQ(value, nullptr);
  const json& clientRadio = document["radios"][1];
  EXPECT_EQ(clientRadio["answered"], false);
  EXPECT_EQ(clientRadio["speed"], nullptr);
  EXPECT_EQ(clientRadio["registers"], nullptr);
  EXPECT_EQ(clientRadio["message"], "Polling Client Failed");

  CliResult missing = Cli("poll server --port COM40 --format json");
  EXPECT_EQ(missing.status, 1);
  document = json::parse(missing.out);
  EXPECT_EQ(document["message"], "Polling Server Failed");
  EXPECT_EQ(document["radios"][0]["answered"], false);
}

TEST_F(CliResults, ConfigureJsonSaysWhatEachRadioHolds) {
  pair.server.faults.writeReply = "Write failed\n\r";
  Serve();
  CliResult run = Cli("configure --port COM12 --channel 70 --baud 9600 --format json");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), "Server not Configured\n");
  const json document = json::parse(run.out);
  EXPECT_EQ(document["success"], false);
  EXPECT_EQ(document["message"], "Server not Configured");
  EXPECT_EQ(document["intended"]["line"], "ATC70FP262ID111BA4BR9600\r");
  EXPECT_EQ(document["intended"]["channel"], 70);
  EXPECT_EQ(document["intended"]["speed"], 9600);
  const json& client = document["radios"][0];
  EXPECT_EQ(client["role"], "Client");
  EXPECT_EQ(client["lineSent"], "ATC70FP262ID111BA4BR9600\r");
  EXPECT_EQ(client["reply"], "Write successful\n\r");
  EXPECT_EQ(client["settingsHeld"], "new");
  EXPECT_EQ(server->Radio(sim::kClientSlot).channel, 70);
  const json& serverRadio = document["radios"][1];
  EXPECT_EQ(serverRadio["reply"], "Write failed\n\r");
  EXPECT_EQ(serverRadio["settingsHeld"], "unchanged");
}

TEST_F(CliResults, SuccessesGoIntoTheDocumentOnly) {
  pair.server.powered = false;
  Serve();
  CliResult init = Cli("init --role server --port COM12 --yes --format json");
  EXPECT_EQ(init.status, 0) << init.err;
  EXPECT_EQ(init.err, "");
  json document = json::parse(init.out);
  EXPECT_EQ(document["message"], "Server Initialized");
  EXPECT_EQ(document["success"], true);
  EXPECT_EQ(document["role"], "Server");

  // The one radio is a Server now: nobody answers the Client's escape.
  CliResult configure = Cli("configure --port COM12 --format json");
  EXPECT_EQ(configure.status, 1);
  document = json::parse(configure.out);
  EXPECT_EQ(document["message"], "Unable to Connect to Radios");
  EXPECT_EQ(document["radios"][0]["answered"], false);
  EXPECT_EQ(document["radios"][0]["lineSent"], nullptr);
  EXPECT_EQ(document["radios"][0]["settingsHeld"], "unchanged");

  CliResult ports = Cli("ports --format json");
  EXPECT_EQ(ports.status, 0);
  document = json::parse(ports.out);
  const std::string device = server->SlavePath().substr(5);  // "pts/N"
  bool listed = false;
  for (const auto& port : document["ports"]) {
    listed = listed || (port["port"] == "COM12" && port["device"] == device);
  }
  EXPECT_TRUE(listed) << ports.out;
}

}  // namespace
}  // namespace zorveth::testing
