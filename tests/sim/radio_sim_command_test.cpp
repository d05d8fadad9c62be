// Runs radio-sim as its own process, the way the demo and the tool's end-to-end tests use it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/sim/pty_test_util.h"

namespace zorveth::sim {
namespace {

namespace fs = std::filesystem;
using testing::kPatience;
using testing::PtyClient;
using testing::WaitUntil;

// A running radio-sim with its stdout and stderr on pipes.
class SimProcess {
 public:
  SimProcess(std::vector<std::string> args, const std::string& configHome = "") {
    args.insert(args.begin(), RADIO_SIM_PATH);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
      if (!std::string_view(*variable).starts_with("XDG_CONFIG_HOME=")) {
        environment.emplace_back(*variable);
      }
    }
    if (!configHome.empty()) environment.push_back("XDG_CONFIG_HOME=" + configHome);
    std::vector<char*> envp;
    for (auto& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);

    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      dup2(err[1], 2);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~SimProcess() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }

  // First line on stdout, without its newline.
  std::string ReadLine() {
    std::string line;
    char c = 0;
    while (WaitReadable(out_) && read(out_, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
  }
  std::string Stderr() {
    std::string text;
    char buffer[512];
    ssize_t count = 0;
    while (WaitReadable(err_) && (count = read(err_, buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
  }
  void Signal(int number) { kill(pid_, number); }
  // Exit status, or -1 if it did not end within the patience bound.
  int Wait() {
    bool ended = WaitUntil([&] {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return true;
    });
    return ended ? status_ : -1;
  }
  pid_t pid() const { return pid_; }

 private:
  static bool WaitReadable(int fd) {
    pollfd pfd{fd, POLLIN, 0};
    return poll(&pfd, 1, static_cast<int>(kPatience.count())) == 1;
  }
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  int status_ = -1;
};

fs::path ScratchDir(const std::string& name) {
  fs::path dir = fs::path(::testing::TempDir()) / (name + "-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(RadioSimCommand, ServesOnThePrintedPathUntilTerminated) {
  SimProcess sim({"--server-channel", "42"});
  std::string path = sim.ReadLine();
  ASSERT_TRUE(path.starts_with("/dev/pts/")) << path;
  PtyClient tool(path, 19200);
  ASSERT_TRUE(tool.Write("+S\rATC\r"));
  EXPECT_EQ(tool.Read(17), "-\n\r\n\r\n\r\n\rATC\n\r42\n\r");
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(RadioSimCommand, LinksIntoThePortMapAndRemovesTheLinkOnInterrupt) {
  fs::path home = ScratchDir("sim-config");
  SimProcess sim({"--link", "COM7"}, home.string());
  std::string line = sim.ReadLine();
  ASSERT_TRUE(line.starts_with("COM7 -> /dev/pts/")) << line;
  fs::path link = home / "zorveth" / "ports" / "COM7";
  EXPECT_EQ(fs::read_symlink(link).string(), line.substr(8));
  sim.Signal(SIGINT);
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  fs::remove_all(home);
}

TEST(RadioSimCommand, BadOptionExitsWithStatusTwoAndOneLine) {
  SimProcess sim({"--client-speed", "1200"});
  EXPECT_EQ(sim.Wait(), 2);
  std::string error = sim.Stderr();
  EXPECT_NE(error.find("--client-speed"), std::string::npos) << error;
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
}

TEST(RadioSimCommand, HelpExitsCleanly) {
  SimProcess sim({"--help"});
  EXPECT_TRUE(sim.ReadLine().starts_with("Usage: radio-sim"));
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(RadioSimCommand, LogIsReadableWhileRunningAndStateIsWrittenOnExit) {
  fs::path dir = ScratchDir("sim-files");
  SimProcess sim({"--log", (dir / "line.log").string(), "--state", (dir / "radios.state").string(),
                  "--client-speed", "9600", "--exit-after-seconds", "600"});
  std::string path = sim.ReadLine();
  PtyClient tool(path, 9600);
  ASSERT_TRUE(tool.Write("+C\r"));
  ASSERT_EQ(tool.Read(9).size(), 9u);
  ASSERT_TRUE(tool.Write("ATC12FP262ID111BA4BR4800\r"));
  ASSERT_EQ(tool.Read(44).size(), 44u);
  ASSERT_TRUE(tool.Write("ATE\r"));
  ASSERT_EQ(tool.Read(5), "ATE\n\r");

  // Flushed as it goes: the whole exchange is in the file before the simulator ends.
  std::string log;
  ASSERT_TRUE(WaitUntil([&] {
    log = ReadFile(dir / "line.log");
    return log.find(" out 9600 2 0x0d \\r SC\n") != std::string::npos &&
           std::count(log.begin(), log.end(), '\n') == 3 + 9 + 25 + 44 + 4 + 5;
  })) << log;
  EXPECT_NE(log.find(" in 9600 2 0x2b + SC\n"), std::string::npos) << log;

  sim.Signal(SIGTERM);
  ASSERT_EQ(sim.Wait(), 0);
  std::string state = ReadFile(dir / "radios.state");
  EXPECT_NE(state.find("client.channel = 12\n"), std::string::npos) << state;
  EXPECT_NE(state.find("client.speed = 4800\n"), std::string::npos) << state;
  EXPECT_NE(state.find("server.speed = 19200\n"), std::string::npos) << state;
  fs::remove_all(dir);
}

TEST(RadioSimCommand, ExitsByItselfAfterTheGivenTime) {
  SimProcess sim({"--exit-after-seconds", "0.2"});
  EXPECT_TRUE(sim.ReadLine().starts_with("/dev/pts/"));
  EXPECT_EQ(sim.Wait(), 0);
}

// Idle means blocked in the kernel: a polling loop would burn a whole CPU second per second,
// so this bound only trips on busy waiting, never on a slow machine.
TEST(RadioSimCommand, IdleServerDoesNotSpin) {
  SimProcess sim({});
  std::string path = sim.ReadLine();
  PtyClient tool(path, 19200);  // an open, silent tool
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  std::string stat = ReadFile("/proc/" + std::to_string(sim.pid()) + "/stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stol(field);  // utime, stime
  }
  EXPECT_LT(ticks, 30) << stat;
}

}  // namespace
}  // namespace zorveth::sim
