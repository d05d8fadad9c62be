// Runs the built zorveth-cli in a scratch working directory with its own
// configuration directory, as a script would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tuple>

#include "platform/port_map.h"
#include "tests/settings/temp_dir.h"
#include "tests/support/cli_runner.h"

namespace zorveth {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::ReadFile;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteFile;

class CliTest : public ::testing::Test {
 protected:
  TempDir dir;
  fs::path config = dir.path() / "config";

  CliResult Cli(const std::string& args) {
    return RunProgram(ZORVETH_CLI_PATH, args, dir.path(), config);
  }
  std::string SettingsFile() { return ReadFile(dir.path() / "SkelvarRadio.ini"); }
};

TEST_F(CliTest, SettingsShowsDefaultsAndCreatesTheFile) {
  CliResult run = Cli("settings");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Fixed packet length: 262\nNumber of retries: 4\nSystem ID: 111\n");
  EXPECT_TRUE(fs::exists(dir.path() / "SkelvarRadio.ini"));
}

TEST_F(CliTest, SettingsChangesOnlyTheGivenValues) {
  WriteFile(dir.path() / "SkelvarRadio.ini", "[System]\r\nRetryNumber = 9\r\n");
  CliResult run = Cli("settings --system-id 65535 --packet-length=0");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SettingsFile(),
            "[System]\r\nSystemIdentification = 65535\r\nRetryNumber = 9\r\n"
            "FixedPacketLength = 0\r\n");
}

TEST_F(CliTest, SettingsRefusesOutOfRangeValuesInDialogOrderAndSavesNothing) {
  // A value given out of range is a usage error; one stored out of range
  // stops the save unless it is replaced, with the dialog's message.
  const std::string file = (dir.path() / "SkelvarRadio.ini").string();
  WriteFile(dir.path() / "SkelvarRadio.ini", "[System]\r\nRetryNumber = 999\r\n");
  const std::tuple<const char*, int, std::string> cases[] = {
      {"--retries 255 --packet-length 2048", 2,
       "zorveth-cli settings: --packet-length '2048' is not allowed: give a whole number from 0 "
       "to 2047 (see 'zorveth-cli settings --help')\n"},
      {"--system-id 65535", 1,
       "Retry Number has to be between 0 - 255\n  " + file +
           " holds RetryNumber = '999', not within 0 to 255; give --retries too to replace it; "
           "nothing was saved\n"},
      {"--retries 0 --system-id -1", 2,
       "zorveth-cli settings: --system-id '-1' is not allowed: give a whole number from 0 to "
       "65535 (see 'zorveth-cli settings --help')\n"},
  };
  for (const auto& [args, status, message] : cases) {
    CliResult run = Cli(std::string("settings ") + args);
    EXPECT_EQ(run.status, status) << args;
    EXPECT_EQ(run.err, message) << args;
    EXPECT_EQ(SettingsFile(), "[System]\r\nRetryNumber = 999\r\n") << args;
  }
}

TEST_F(CliTest, SettingsUsageErrorsAndSaveFailure) {
  for (const char* args : {"--retries abc", "--retries 1.5", "--retries 99999999999", "--retries",
                           "--colour 3", "extra"}) {
    CliResult run = Cli(std::string("settings ") + args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  fs::create_directory(dir.path() / "SkelvarRadio.ini");
  CliResult run = Cli("settings --retries 3");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Unable to Save Settings\n  " + (dir.path() / "SkelvarRadio.ini").string() +
                         ": Is a directory; nothing was saved\n");
  EXPECT_EQ(Cli("settings --help").status, 0);
}

TEST_F(CliTest, PortsListsTheMapAndMarksTheSavedPort) {
  std::vector<int> masters;
  std::vector<std::string> slaves;
  for (int i = 0; i < 2; ++i) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    masters.push_back(master);
    slaves.push_back(ptsname(master));
  }
  fs::create_directories(config / "zorveth" / "ports");
  fs::create_symlink(slaves[0], config / "zorveth" / "ports" / "COM91");
  fs::create_symlink(slaves[1], config / "zorveth" / "ports" / "COM92");
  WriteFile(config / "zorveth" / "registry.ini",
            "[HKEY_LOCAL_MACHINE\\Software\\Pellucor\\Vorlith\\V2\\Settings]\nSerial Port = 92\n");

  CliResult run = Cli("ports");
  EXPECT_EQ(run.status, 0) << run.err;
  auto name = [](const std::string& slave) { return slave.substr(5); };  // without "/dev/"
  EXPECT_NE(run.out.find("  COM91 (" + name(slaves[0]) + ")\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("* COM92 (" + name(slaves[1]) + ")\n"), std::string::npos) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '*'), 1);
  for (int master : masters) close(master);
}

TEST_F(CliTest, PortsWithoutAnyPortFails) {
  PortMapRoots roots = DefaultPortMapRoots();
  roots.configDir = config / "zorveth";
  if (!ReadPortMap(roots).empty()) GTEST_SKIP() << "this machine has serial ports";
  CliResult run = Cli("ports");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "No serial ports found\n");
}

}  // namespace
}  // namespace zorveth
