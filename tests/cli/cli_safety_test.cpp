// zorveth-cli around the happy path: options refused before anything is
// sent, detail lines that say where the radios stand, and interrupts that
// leave the radios out of command mode.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/integration/simulated_link.h"
#include "tests/support/cli_runner.h"

namespace zorveth::testing {
namespace {

using namespace std::chrono_literals;

struct InterruptCase;

class CliSafety : public SimulatedLink {
 protected:
  void ExpectCleanInterrupt(const InterruptCase& c);
  CliResult Cli(const std::string& args) {
    return RunProgram(ZORVETH_CLI_PATH, args, dir.path(), dir.path() / "config");
  }
  // The radios' lines as they heard them, one string per write of the tool.
  std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }
  // Waits (up to 10 s) until the radios have heard the text; true when they
  // did.
  bool WaitUntilSent(const std::string& text) {
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (ToolBytes().find(text) == std::string::npos &&
           std::chrono::steady_clock::now() < limit) {
      std::this_thread::sleep_for(1ms);
    }
    return ToolBytes().find(text) != std::string::npos;
  }
};

TEST_F(CliSafety, MalformedOptionsAreRefusedBeforeAnythingIsSent) {
  Serve();
  struct Case {
    std::string args;
    std::string named;  // what the refusal line must name
  };
  const std::string longValue(100, 'x');
  const Case cases[] = {
      {"configure --port COM12 --channel 12x", "--channel '12x'"},
      {"configure --port COM12 --channel abc", "--channel 'abc'"},
      {"configure --port COM12 --channel -1", "--channel '-1'"},
      {"configure --port COM12 --channel ''", "--channel ''"},
      {"configure --port COM12 --channel 65536", "--channel '65536'"},
      {"configure --port COM12 --channel '\xd9\xa3'", "--channel"},
      {"configure --port COM12 --channel " + longValue, "'" + longValue.substr(0, 40) + "...'"},
      {"configure --port COM12 --baud 1200", "--baud '1200'"},
      {"configure --port COM12 --baud 19200x", "--baud '19200x'"},
      {"init --role client --port COM12 --technology Foo --yes", "\"Dunmere Radio Control\""},
      {"init --role master --port COM12 --yes", "--role 'master'"},
      {"poll server --port nowhere", "COM12 ("},
      {"poll server --port /dev/null", "--port '/dev/null'"},
      {"configure --port COM12 --port COM12", "--port given twice"},
      {"configure --port COM12 --colour 3", "--colour"},
      {"configure --port COM12 --channel", "--channel needs a value"},
      {"poll server --port COM12 --port COM12", "given twice"},
      {"settings --retries " + longValue, "'" + longValue.substr(0, 40) + "...'"},
  };
  for (const auto& c : cases) {
    CliResult run = Cli(c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_EQ(run.out, "") << c.args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.args << ": " << run.err;
    EXPECT_NE(run.err.find(c.named), std::string::npos) << c.args << ": " << run.err;
    EXPECT_EQ(run.err.find(longValue.substr(0, 41)), std::string::npos) << c.args;
  }
  EXPECT_EQ(ToolBytes(), "");
}

TEST_F(CliSafety, AcceptedSpellingsGoOnTheWireAsTheCanonicalOnes) {
  Serve();
  const std::string device = server->SlavePath();
  const std::pair<std::string, std::string> spellings[] = {
      {"configure --port com12 --channel ' 070 ' --baud 19200",
       "configure --port COM12 --channel 70 --baud 19200"},
      {"configure --port " + device + " --baud ' 19200'", "configure --port COM12"},
      {"configure --port " + device.substr(5) + " --channel 67", "configure --port COM12"},
  };
  for (const auto& [spelled, canonical] : spellings) {
    server->ClearLog();
    CliResult a = Cli(spelled);
    const std::string bytesA = ToolBytes();
    server->ClearLog();
    CliResult b = Cli(canonical);
    EXPECT_EQ(a.status, 0) << spelled << ": " << a.err;
    EXPECT_EQ(a.out, b.out) << spelled;
    EXPECT_EQ(bytesA, ToolBytes()) << spelled;
  }
  pair.client.powered = false;
  const std::pair<std::string, std::string> initSpellings[] = {
      {"init --role CLIENT --technology vorlith --port COM12 --yes",
       "init --role client --port COM12 --yes"},
      {"init --role Server --technology 'OTHER' --port COM12 --yes",
       "init --role server --technology Other --port COM12 --yes"},
  };
  for (const auto& [spelled, canonical] : initSpellings) {
    server->Stop();
    Serve();
    CliResult a = Cli(spelled);
    const std::string bytesA = ToolBytes();
    server->Stop();
    Serve();
    CliResult b = Cli(canonical);
    EXPECT_EQ(a.out, b.out) << spelled << ": " << a.err;
    EXPECT_EQ(bytesA, ToolBytes()) << spelled;
  }
}

TEST_F(CliSafety, FailuresSayWhereTheRadiosStand) {
  pair.server.powered = false;
  Serve();
  CliResult run = Cli("configure --port COM12 --channel 70");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "No Server Communication\n"
            "  the Client now holds the new settings (channel 70, packet length 262, system ID "
            "111, retries 4, baud 19200)\n"
            "  the Server did not answer at 19200 baud: it may be switched off, or at another "
            "speed ('zorveth-cli poll server --port COM12' finds it)\n"
            "  run configure again once the Server answers, or set the Client back: 'zorveth-cli "
            "configure --port COM12 --channel N --baud 19200' with N the Server's channel\n");

  server->Stop();
  pair = sim::DefaultPairConfig();
  pair.server.speed = pair.client.speed = 2400;
  Serve();
  CliResult slow = Cli("configure --port COM12 --baud 2400 --yes");
  EXPECT_EQ(slow.status, 1);
  EXPECT_EQ(FirstLine(slow.err), "Unable to Connect to Radios");
  EXPECT_NE(slow.err.find("  no Client answered at 38400, 19200, 9600 or 4800 baud"),
            std::string::npos);
  EXPECT_NE(slow.err.find("  radios at 2400 baud answer only a poll"), std::string::npos);
  // The note about 2400 comes last, after the outcome.
  EXPECT_NE(slow.err.find("\nnote: radios at 2400 baud can still be polled"), std::string::npos);

  CliResult init = Cli("init --role client --port COM12 --yes");
  EXPECT_EQ(FirstLine(init.err), "Could not Connect");
  EXPECT_NE(init.err.find("  no radio answered as Client or Server at 38400, 19200, 9600 or "
                          "4800 baud"),
            std::string::npos);
}

// zorveth-cli in the background, with its streams in files of the test's
// folder, so a test can interrupt it at a moment of its choosing.
class Background {
 public:
  Background(const std::filesystem::path& dir, std::vector<std::string> args) : m_dir(dir) {
    m_pid = fork();
    if (m_pid == 0) {
      if (chdir(dir.c_str()) != 0) _exit(127);
      setenv("HOME", dir.c_str(), 1);
      setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
      int in = open("/dev/null", O_RDONLY);
      int out = open("bg-out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int err = open("bg-err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      std::vector<char*> argv = {const_cast<char*>(ZORVETH_CLI_PATH)};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(ZORVETH_CLI_PATH, argv.data());
      _exit(127);
    }
  }
  ~Background() {
    if (m_pid > 0 && !m_reaped) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
  }
  void Signal(int signal) { kill(m_pid, signal); }
  // The exit status, or -1 when it did not end within the time.
  int Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int raw = 0;
      if (waitpid(m_pid, &raw, WNOHANG) == m_pid) {
        m_reaped = true;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      }
      std::this_thread::sleep_for(5ms);
    }
    return -1;
  }
  std::string Err() const { return ReadFile(m_dir / "bg-err.txt"); }
  std::string Out() const { return ReadFile(m_dir / "bg-out.txt"); }

 private:
  std::filesystem::path m_dir;
  pid_t m_pid = -1;
  bool m_reaped = false;
};

struct InterruptCase {
  const char* what;
  std::vector<std::string> args;
  std::function<void(sim::PairConfig&)> setUp;
  // True once the operation is at the moment to interrupt.
  std::function<bool(const std::string& toolBytes)> ready;
  int signal;
  int status;
  const char* detail;
  // A line that must have gone out whole, however the interrupt cut it.
  const char* heardWhole = nullptr;
};

void CliSafety::ExpectCleanInterrupt(const InterruptCase& c) {
  pair = sim::DefaultPairConfig();
  c.setUp(pair);
  if (server) server->Stop();
  Serve();
  Background cli(dir.path(), c.args);
  const auto limit = std::chrono::steady_clock::now() + 10s;
  while (!c.ready(ToolBytes()) && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_TRUE(c.ready(ToolBytes())) << c.what;
  const std::size_t sentBefore = ToolBytes().size();
  cli.Signal(c.signal);
  EXPECT_EQ(cli.Wait(1500ms), c.status) << c.what;
  const std::string after = ToolBytes().substr(sentBefore);
  // The one exit command, and nothing after it.
  EXPECT_TRUE(after.ends_with("ATE\r")) << c.what << ": " << after;
  EXPECT_EQ(after.find("ATE\r"), after.size() - 4) << c.what << ": " << after;
  EXPECT_FALSE(server->InCommandMode(sim::kServerSlot)) << c.what;
  EXPECT_FALSE(server->InCommandMode(sim::kClientSlot)) << c.what;
  const std::string err = cli.Err();
  EXPECT_EQ(FirstLine(err), "Interrupted") << c.what << ": " << err;
  EXPECT_NE(err.find(c.detail), std::string::npos) << c.what << ": " << err;
  if (c.heardWhole) {
    EXPECT_NE(ToolBytes().find(c.heardWhole), std::string::npos) << c.what << ": " << ToolBytes();
  }
  // The port is free again at once.
  server->Stop();
  pair = sim::DefaultPairConfig();
  Serve();
  EXPECT_EQ(Cli("poll both --port COM12").status, 0) << c.what;
}

TEST_F(CliSafety, InterruptLeavesTheRadiosOutOfCommandModeAndThePortFree) {
  const InterruptCase cases[] = {
      {"poll server after the prompt",
       {"poll", "server", "--port", "COM12"},
       [](sim::PairConfig& p) { p.server.faults.noQueryReplies = true; },
       [](const std::string& sent) { return sent.find("ATC\r") != std::string::npos; },
       SIGINT,
       130,
       "  the Server was sent ATE to leave command mode and confirmed it"},
      {"poll both in the Client's queries",
       {"poll", "both", "--port", "COM12"},
       [](sim::PairConfig& p) { p.client.faults.noQueryReplies = true; },
       [](const std::string& sent) {
         auto escape = sent.find("+C\r");
         return escape != std::string::npos && sent.find("ATC\r", escape) != std::string::npos;
       },
       SIGTERM,
       143,
       "  the Client was sent ATE to leave command mode and confirmed it"},
      {"poll server while no radio answers",
       {"poll", "server", "--port", "COM12"},
       [](sim::PairConfig& p) { p.server.powered = p.client.powered = false; },
       [](const std::string& sent) { return sent.find("+S\r") != std::string::npos; },
       SIGINT,
       130,
       // A radio that never answered needs no switching off and on.
       "  the Server had not answered its escape; it was sent ATE in case it heard it\n"
       "  a poll changes nothing"},
      {"configure between the radios",
       {"configure", "--port", "COM12", "--channel", "70"},
       [](sim::PairConfig& p) { p.server.replyDelayMs = 250; },
       [](const std::string& sent) { return sent.find("+S\r") != std::string::npos; },
       SIGHUP,
       129,
       "  the Client now holds the new settings (channel 70"},
      // The long line goes one byte per write, at the slowest speed init
      // tries: the interrupt comes while it goes out, and it still goes out
      // whole before the exit.
      {"init at 4800 baud in its line",
       {"init", "--role", "server", "--port", "COM12", "--yes"},
       [](sim::PairConfig& p) {
         p.server.speed = 4800;
         p.client.powered = false;
       },
       [](const std::string& sent) { return sent.find("ATC67FP") != std::string::npos; },
       SIGINT,
       130,
       "",
       "ATC67FP262M1ID111BA4DA1TD1RF3IT0BR19200\r"},
  };
  for (const auto& c : cases) ExpectCleanInterrupt(c);
}

TEST_F(CliSafety, InterruptedScanLeavesTheRadioOutOfCommandModeAndSaysSo) {
  // The Server answers its escape but never a query: it stays in command
  // mode until the scan is interrupted.
  pair.server.faults.noQueryReplies = true;
  Serve();
  Background cli(dir.path(), {"scan", "--ports", "COM12"});
  ASSERT_TRUE(WaitUntilSent("ATC\r"));
  const std::size_t sentBefore = ToolBytes().size();
  cli.Signal(SIGINT);
  EXPECT_EQ(cli.Wait(10s), 130);
  const std::string after = ToolBytes().substr(sentBefore);
  EXPECT_EQ(after.find("ATE\r"), after.size() - 4) << after;
  EXPECT_FALSE(server->InCommandMode(sim::kServerSlot));
  const std::string out = cli.Out();  // "COM12 (pts/N)  interrupted"
  EXPECT_TRUE(out.starts_with("COM12 ") && out.ends_with("  interrupted\n")) << out;
  EXPECT_EQ(cli.Err(), "Interrupted\n");
}

TEST_F(CliSafety, InterruptedMonitorLeavesBothRadiosOutOfCommandModeWithASummary) {
  // The Client answers its escape but not ATS: the monitor is interrupted
  // while the Client is in command mode, between its query attempts.
  pair.client.faults.noQueryReplies = true;
  Serve();
  Background cli(dir.path(), {"monitor", "--port", "COM12"});
  ASSERT_TRUE(WaitUntilSent("+C\rATS\r"));
  const std::size_t sentBefore = ToolBytes().size();
  cli.Signal(SIGINT);
  EXPECT_EQ(cli.Wait(10s), 130);
  const std::string after = ToolBytes().substr(sentBefore);
  EXPECT_EQ(after.find("ATE\r"), after.size() - 4) << after;
  EXPECT_FALSE(server->InCommandMode(sim::kServerSlot));
  EXPECT_FALSE(server->InCommandMode(sim::kClientSlot));
  const std::string err = cli.Err();
  EXPECT_EQ(FirstLine(err), "Interrupted") << err;
  EXPECT_NE(err.find("  the Client was sent ATE to leave command mode and confirmed it\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("\nServer: 1 sample, 0 lost, min 87, mean 87.0, max 87\n"), std::string::npos)
      << err;
  EXPECT_NE(err.find("\nClient: 0 samples, 0 lost\n"), std::string::npos) << err;
  EXPECT_TRUE(cli.Out().starts_with("time,role,signalStrength\n")) << cli.Out();
  EXPECT_NE(cli.Out().find(",Server,87\n"), std::string::npos) << cli.Out();
}

}  // namespace
}  // namespace zorveth::testing
