// zorveth-cli.exe poll, configure and init under Wine against the simulated
// pair, run as its own process the way a script runs it.
#include <algorithm>

#include "tests/windows/simulated_com_port.h"

namespace zorveth::testing {
namespace {

struct CliResult {
  DWORD status = 0xFFFFFFFF;
  std::string out;
  std::string err;
};

// Console output on Windows ends lines with CR LF; compare the texts.
std::string WithUnixLineEnds(std::string text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result.push_back(text[i]);
  }
  return result;
}

class CliOnWine : public SimulatedComPort {
 protected:
  static constexpr const char* kPort = "COM" ZORVETH_TEST_COM_TEXT;

  // Runs the program in the scratch directory with no standard input and
  // its output captured.
  CliResult Cli(const std::string& args) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    std::string outPath = (dir.Path() / "out.txt").string();
    std::string errPath = (dir.Path() / "err.txt").string();
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::string command = WindowsPathOf(ZORVETH_CLI_PATH);
    command.insert(0, 1, '"');
    command.append("\" ").append(args);
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    std::string workDir = dir.Path().string();
    PROCESS_INFORMATION process{};
    CliResult run;
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  workDir.c_str(), &startup, &process);
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    EXPECT_TRUE(started) << command << ": error " << GetLastError();
    if (!started) return run;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    run.out = WithUnixLineEnds(ReadWholeFile(dir.Path() / "out.txt"));
    run.err = WithUnixLineEnds(ReadWholeFile(dir.Path() / "err.txt"));
    return run;
  }
  std::string Args(const std::string& before, const std::string& after = "") {
    return before + " " + kPort + (after.empty() ? "" : " " + after);
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

TEST_F(CliOnWine, PollPrintsReportsAndExitsZero) {
  Serve();
  CliResult server = Cli(Args("poll server --port"));
  EXPECT_EQ(server.status, 0u) << server.err;
  EXPECT_EQ(server.out, kServerReport);
  EXPECT_EQ(server.err, "");  // no progress chatter when stderr is a file

  CliResult both = Cli("poll both --port=" + std::string(kPort));
  EXPECT_EQ(both.status, 0u) << both.err;
  EXPECT_EQ(both.out.substr(0, sizeof(kServerReport) - 1), kServerReport);
  EXPECT_NE(both.out.find("Settings polled from: Client\n"), std::string::npos);
}

TEST_F(CliOnWine, PollFailuresGoToStderrWithExitOne) {
  Serve({"--client-speed", "9600"});
  CliResult run = Cli(Args("poll both --port"));
  EXPECT_EQ(run.status, 1u);
  EXPECT_EQ(run.out, kServerReport);
  // The dialog's message first, then what happened.
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), "Polling Client Failed\n");
  EXPECT_NE(run.err.find("\n  the Client did not answer at the Server's speed (19200 baud)\n"),
            std::string::npos)
      << run.err;

  CliResult missing = Cli("poll server --port COM40");
  EXPECT_EQ(missing.status, 1u);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err.substr(0, 22), "Polling Server Failed\n");
  EXPECT_NE(missing.err.find("COM40"), std::string::npos) << missing.err;
}

TEST_F(CliOnWine, ScanFindsBothRadiosOnTheirPortAndNoneOnAMissingOne) {
  Serve({"--server-speed", "4800", "--client-speed", "4800", "--server-channel", "42"});
  CliResult run = Cli(std::string("scan --ports ") + kPort + ",COM40");
  EXPECT_EQ(run.status, 0u) << run.err;
  const std::string port = kPort;
  const std::string radios = port + "  Server  4800 baud  channel 42  system ID 111\n" + port +
                             "  Client  4800 baud  channel 67  system ID 111\n";
  EXPECT_EQ(run.out.substr(0, radios.size()), radios) << run.out;
  // Whatever Windows calls the failure, the port is named with its reason.
  EXPECT_EQ(run.out.substr(radios.size(), 7), "COM40  ") << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3) << run.out;
}

TEST_F(CliOnWine, UsageErrorsExitTwoWithOneLine) {
  for (const char* args : {"poll", "poll server", "poll server --port COM12 --speed 9600",
                           "configure", "init --port COM12 --yes", "frobnicate"}) {
    CliResult run = Cli(args);
    EXPECT_EQ(run.status, 2u) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
  }
  for (const char* args : {"--help", "poll --help", "configure --help", "init --help"}) {
    CliResult run = Cli(args);
    EXPECT_EQ(run.status, 0u) << args;
    EXPECT_NE(run.out.find("Usage: zorveth-cli"), std::string::npos) << args;
  }
}

TEST_F(CliOnWine, ConfigureUsesTheSettingsFileAndReportsOnStdout) {
  WriteWholeFile(dir.Path() / "SkelvarRadio.ini",
                 "[System]\r\nSystemIdentification = 500\r\nRetryNumber = 2\r\n"
                 "FixedPacketLength = 100\r\n");
  Serve();
  CliResult run = Cli(Args("configure --port", "--channel 70 --baud 9600"));
  EXPECT_EQ(run.status, 0u) << run.err;
  EXPECT_EQ(run.out, "Configuration is Set\n");
  EXPECT_NE(HeardBy(kServerSlot).find("+S\rATC70FP100ID500BA2BR9600\r"), std::string::npos);
  Stop();
  EXPECT_EQ(State()["client.speed"], "9600");
}

TEST_F(CliOnWine, ConfigureFailureExitsOne) {
  Serve({"--client-write-reply", "Write failed\\n\\r"});
  CliResult run = Cli(Args("configure --port"));
  EXPECT_EQ(run.status, 1u);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), "Unable to Configure EEPROM\n");
  EXPECT_NE(run.err.find("\n  the Server was not contacted\n"), std::string::npos) << run.err;
}

TEST_F(CliOnWine, InitNeedsYesAndThenInitializesTheOneRadio) {
  Serve({"--client-off"});
  CliResult refused = Cli(Args("init --role client --port"));
  EXPECT_EQ(refused.status, 2u);
  EXPECT_NE(refused.err.find("--yes"), std::string::npos);
  EXPECT_EQ(ToolBytes(), "");

  CliResult run = Cli(Args("init --role client --port", "--technology Other --yes"));
  EXPECT_EQ(run.status, 0u) << run.err;
  EXPECT_EQ(run.out, "Client Initialized\n");
  EXPECT_EQ(HeardBy(kServerSlot), "+C\r+S\rATC25FP262M2ID111BA4DA1TD1BR19200\rATE\r");
  Stop();
  EXPECT_EQ(State()["server.role"], "client");
}

}  // namespace
}  // namespace zorveth::testing
