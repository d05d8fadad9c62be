// zorveth-cli profile and apply against the simulated pair: what goes on
// the wire for a pair that matches, is split, or differs in both radios.
#include <fstream>

#include "tests/integration/simulated_link.h"
#include "tests/support/cli_runner.h"

namespace zorveth::testing {
namespace {

constexpr char kQueries[] = "ATC\rATFP\rATM\rATID\rATBA\rATS\rATREV\rATE\r";

class CliApply : public SimulatedLink {
 protected:
  CliResult Cli(const std::string& args) {
    return RunProgram(ZORVETH_CLI_PATH, args, dir.path(), dir.path() / "config");
  }
  void WriteProfile(int channel, int baud, const std::string& extra = "") {
    std::ofstream(dir.path() / "link.profile")
        << "[profile]\nformat = 1\n[link]\nchannel = " << channel
        << "\npacket-length = 262\nsystem-id = 111\nretries = 4\nbaud-rate = " << baud << "\n"
        << extra;
  }
  // The bytes a poll of a radio sends from 38400 down to where it answers.
  static std::string PollAt(const std::string& escape, std::uint32_t speed) {
    std::string bytes;
    for (std::uint32_t s : {38400u, 19200u, 9600u, 4800u, 2400u}) {
      // The Client is given three escapes at each speed where it is silent.
      const int attempts = escape == "+C\r" && s != speed ? 3 : 1;
      for (int i = 0; i < attempts; ++i) bytes += escape;
      if (s == speed) return bytes + kQueries;
    }
    return bytes;
  }
};

TEST_F(CliApply, CheckSendsOnlyThePollsAndSaysWhatDiffers) {
  pair.client.channel = 70;
  Serve();
  WriteProfile(67, 19200);
  CliResult run = Cli("apply link.profile --port COM12 --check --diff");
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_EQ(run.out,
            "Server  matches the profile\nClient  channel 70 -> 67\n"
            "The radios differ from the profile\n");
  EXPECT_EQ(ToolBytes(), PollAt("+S\r", 19200) + PollAt("+C\r", 19200));
}

// What a half-done configure leaves: the Client on a new channel and speed.
// One apply writes only the Client, at its speed, and reads both back.
TEST_F(CliApply, ASplitPairIsHealedAndVerified) {
  pair.server.speed = 19200;
  pair.client.speed = 9600;
  pair.client.channel = 70;
  Serve();
  WriteProfile(67, 19200);
  CliResult run = Cli("apply link.profile --port COM12");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Both radios hold the profile now\n");
  const std::string line = "ATC67FP262ID111BA4BR19200\r";
  const std::string before = PollAt("+S\r", 19200) + PollAt("+C\r", 9600);
  ASSERT_TRUE(ToolBytes().starts_with(before)) << ToolBytes();
  EXPECT_TRUE(ToolBytes(9600).ends_with("+C\r" + line + "ATE\r")) << ToolBytes(9600);
  EXPECT_EQ(ToolBytes().find("+S\r" + line), std::string::npos);
  for (int slot : {sim::kServerSlot, sim::kClientSlot}) {
    EXPECT_EQ(server->Radio(slot).channel, 67);
    EXPECT_EQ(server->Radio(slot).speed, 19200u);
  }
  // Nothing left to do: a second apply sends only the polls.
  server->ClearLog();
  EXPECT_EQ(Cli("apply link.profile --port COM12").out, "Both radios hold the profile\n");
  EXPECT_EQ(ToolBytes(), PollAt("+S\r", 19200) + PollAt("+C\r", 19200));
}

TEST_F(CliApply, BothRadiosAreWrittenClientFirstThenReadBackAtTheNewSpeed) {
  Serve();
  WriteProfile(72, 9600);
  CliResult run = Cli("apply link.profile --port COM12 --format json");
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string line = "ATC72FP262ID111BA4BR9600\r";
  const std::string at19200 = ToolBytes(19200);
  const std::string halves = "+C\r" + line + "ATE\r+S\r" + line + "ATE\r";
  EXPECT_NE(at19200.find(halves), std::string::npos) << at19200;
  EXPECT_EQ(ToolBytes(9600), "+S\r" + std::string(kQueries) + "+C\r" + kQueries);
  EXPECT_NE(run.out.find("\"verified\": true"), std::string::npos) << run.out;
}

TEST_F(CliApply, ProfilesAreSavedShownAndRefusedBeforeAnythingIsSent) {
  Serve();
  CliResult saved = Cli("profile save saved.profile --port COM12");
  EXPECT_EQ(saved.status, 0) << saved.err;
  CliResult shown = Cli("profile show saved.profile");
  EXPECT_NE(shown.out.find("  channel        67\n  packet length  262\n"), std::string::npos)
      << shown.out;
  EXPECT_NE(shown.out.find("  Server at 19200 baud, signal strength 87"), std::string::npos);
  server->ClearLog();
  const std::pair<std::string, std::string> bad[] = {
      {"colour = red\n", "link.profile:9: unknown key 'colour' in [link]"},
      {"retries = 999\n", "link.profile:9: retries is given twice"},
  };
  for (const auto& [extra, why] : bad) {
    WriteProfile(67, 19200, extra);
    CliResult run = Cli("apply link.profile --port COM12");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zorveth-cli apply: " + why + " (see 'zorveth-cli apply --help')\n");
  }
  EXPECT_EQ(ToolBytes(), "");
}

}  // namespace
}  // namespace zorveth::testing
