#include "sim/pty_radio_server.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "tests/sim/pty_test_util.h"

namespace zorveth::sim {
namespace {

using testing::PtyClient;
using testing::WaitUntil;
namespace fs = std::filesystem;

constexpr std::string_view kPrompt = "-\n\r\n\r\n\r\n\r";

class PtyRadioServerTest : public ::testing::Test {
 protected:
  void StartServer(PairConfig config = DefaultPairConfig()) {
    server_ = std::make_unique<PtyRadioServer>(std::move(config));
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
  }
  std::size_t BytesFromTool() const {
    auto log = server_->Log();
    return static_cast<std::size_t>(
        std::count_if(log.begin(), log.end(), [](const LogEntry& e) { return e.fromTool; }));
  }
  std::unique_ptr<PtyRadioServer> server_;
};

TEST_F(PtyRadioServerTest, MasterReportsTheSpeedTheToolSetOnTheSlave) {
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  PtyClient tool(ptsname(master), 4800);
  ASSERT_TRUE(tool.IsOpen());
  EXPECT_EQ(LineSpeedOf(master), 4800u);
  tool.SetSpeed(38400);
  EXPECT_EQ(LineSpeedOf(master), 38400u);
  tool.Close();
  close(master);
}

TEST_F(PtyRadioServerTest, ServerAnswersItsEscapeWithThePrompt) {
  StartServer();
  EXPECT_TRUE(fs::path(server_->SlavePath()).string().starts_with("/dev/pts/"));
  PtyClient tool(server_->SlavePath(), 19200);
  ASSERT_TRUE(tool.IsOpen());
  ASSERT_TRUE(tool.Write("+S\r"));
  EXPECT_EQ(tool.Read(kPrompt.size()), kPrompt);
  ASSERT_TRUE(tool.Write("ATC\r"));
  EXPECT_EQ(tool.Read(9), "ATC\n\r67\n\r");
  EXPECT_TRUE(server_->InCommandMode(kServerSlot));
}

TEST_F(PtyRadioServerTest, BytesAtAWrongSpeedGetNoAnswerAndAreLoggedAsUnheard) {
  StartServer();
  PtyClient tool(server_->SlavePath(), 9600);
  ASSERT_TRUE(tool.Write("+S\r+C\r"));
  ASSERT_TRUE(WaitUntil([&] { return BytesFromTool() == 6; }));
  EXPECT_EQ(tool.Read(1, std::chrono::milliseconds(200)), "");
  for (const LogEntry& entry : server_->Log()) {
    EXPECT_EQ(entry.speed, 9600u);
    EXPECT_EQ(entry.heardBy, 0);
  }
  EXPECT_EQ(server_->HeardBy(kServerSlot), "");
}

TEST_F(PtyRadioServerTest, LogRecordsSpeedHearersRolesAndReplies) {
  PairConfig config = DefaultPairConfig();
  config.client.speed = 9600;
  StartServer(config);
  PtyClient tool(server_->SlavePath(), 9600);
  ASSERT_TRUE(tool.Write("+C\r"));
  ASSERT_EQ(tool.Read(kPrompt.size()), kPrompt);
  tool.SetSpeed(19200);
  ASSERT_TRUE(tool.Write("+S\r"));
  ASSERT_EQ(tool.Read(kPrompt.size()), kPrompt);

  std::vector<LogEntry> log = server_->Log();
  ASSERT_EQ(log.size(), 3 + kPrompt.size() + 3 + kPrompt.size());
  for (std::size_t i = 0; i < log.size(); ++i) {
    const LogEntry& entry = log[i];
    bool firstExchange = i < 3 + kPrompt.size();
    EXPECT_EQ(entry.speed, firstExchange ? 9600u : 19200u) << i;
    EXPECT_EQ(entry.fromTool, i < 3 || (i >= 3 + kPrompt.size() && i < 6 + kPrompt.size())) << i;
    EXPECT_EQ(entry.heardBy, firstExchange ? kClientSlotBit : kServerSlotBit) << i;
    EXPECT_EQ(entry.roles[kClientSlot], Role::Client);
    EXPECT_TRUE(entry.delivered);
    if (i > 0) {
      EXPECT_GE(entry.timeUs, log[i - 1].timeUs);
    }
  }
  EXPECT_EQ(server_->HeardBy(kClientSlot), "+C\r");
  EXPECT_EQ(server_->SentBy(kServerSlot), kPrompt);
  server_->ClearLog();
  EXPECT_TRUE(server_->Log().empty());
}

TEST_F(PtyRadioServerTest, SettingsAppliedOverTheLineShowInRadio) {
  StartServer();
  PtyClient tool(server_->SlavePath(), 19200);
  ASSERT_TRUE(tool.Write("+C\r"));
  ASSERT_EQ(tool.Read(kPrompt.size()), kPrompt);
  std::string line = "ATC53FP262M1ID111BA4DA1TD1BR4800\r";
  for (char c : line) ASSERT_TRUE(tool.Write(std::string_view(&c, 1)));
  std::string expected = line.substr(0, line.size() - 1) + "\n\rWrite successful\n\r";
  EXPECT_EQ(tool.Read(expected.size()), expected);
  ASSERT_TRUE(tool.Write("ATE\r"));
  EXPECT_EQ(tool.Read(5), "ATE\n\r");
  RadioConfig radio = server_->Radio(kClientSlot);
  EXPECT_EQ(radio.channel, 53);
  EXPECT_EQ(radio.role, Role::Server);
  EXPECT_EQ(radio.speed, 4800u);
}

TEST_F(PtyRadioServerTest, ReplyDueAfterTheToolChangedSpeedIsLost) {
  PairConfig config = DefaultPairConfig();
  config.server.replyDelayMs = 1000;
  StartServer(config);
  PtyClient tool(server_->SlavePath(), 19200);
  ASSERT_TRUE(tool.Write("+S\r"));
  ASSERT_TRUE(WaitUntil([&] { return BytesFromTool() == 3; }));
  tool.SetSpeed(9600);
  ASSERT_TRUE(WaitUntil([&] { return server_->Log().size() == 3 + kPrompt.size(); }));
  EXPECT_EQ(tool.Read(1, std::chrono::milliseconds(100)), "");
  for (const LogEntry& entry : server_->Log()) {
    if (!entry.fromTool) {
      EXPECT_FALSE(entry.delivered);
    }
  }
}

TEST_F(PtyRadioServerTest, SetRadioWhileRunningTakesEffect) {
  StartServer();
  RadioConfig server = server_->Radio(kServerSlot);
  server.faults.queryReply = "1x7\n\r";
  server.channel = 5;
  server_->SetRadio(kServerSlot, server);
  PtyClient tool(server_->SlavePath(), 19200);
  ASSERT_TRUE(tool.Write("+S\rATC\r"));
  std::string expected = std::string(kPrompt) + "ATC\n\r1x7\n\r";
  EXPECT_EQ(tool.Read(expected.size()), expected);
  EXPECT_EQ(server_->Radio(kServerSlot).channel, 5);
}

TEST_F(PtyRadioServerTest, ToolCanCloseAndReopenWithoutLosingItsSettings) {
  StartServer();
  {
    PtyClient tool(server_->SlavePath(), 4800);
    ASSERT_TRUE(tool.IsOpen());
    ASSERT_EQ(ioctl(tool.fd(), TIOCEXCL), 0);
  }
  // The exclusive mode the tool set must not outlive its close, or a tool that is not root could
  // never open the port again. Reopening here also needs the flag gone when not running as root.
  bool released = WaitUntil([&] {
    int fd = open(server_->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    int exclusive = 1;
    ioctl(fd, TIOCGEXCL, &exclusive);
    close(fd);
    return exclusive == 0;
  });
  EXPECT_TRUE(released);
  int fd = open(server_->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(LineSpeedOf(fd), 4800u);
  close(fd);
  EXPECT_FALSE(server_->HungUp());
}

TEST_F(PtyRadioServerTest, HangUpClosesTheLineAfterTheGivenByteCount) {
  PairConfig config = DefaultPairConfig();
  config.client.faults.hangUpAfterBytes = 5;
  StartServer(config);
  PtyClient tool(server_->SlavePath(), 19200);
  ASSERT_TRUE(tool.Write("+S\rATC\r"));
  ASSERT_TRUE(WaitUntil([&] { return server_->HungUp(); }));
  EXPECT_EQ(BytesFromTool(), 5u);
  EXPECT_EQ(server_->HeardBy(kServerSlot), "+S\rAT");
  // The prompt never comes; the tool sees the device go away instead.
  char byte = 0;
  pollfd pfd{tool.fd(), POLLIN, 0};
  ASSERT_EQ(poll(&pfd, 1, static_cast<int>(testing::kPatience.count())), 1);
  EXPECT_NE(pfd.revents & (POLLHUP | POLLERR), 0);
  EXPECT_LE(read(tool.fd(), &byte, 1), 0);
  EXPECT_LT(write(tool.fd(), "x", 1), 0);
}

TEST_F(PtyRadioServerTest, LinkAsCreatesAndStopRemovesTheLink) {
  StartServer();
  fs::path dir = fs::path(::testing::TempDir()) / ("sim-links-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::path ports = dir / "zorveth" / "ports";
  fs::create_directories(ports);
  fs::create_symlink("/dev/null", ports / "COM4");  // stale link from an earlier run
  std::string error;
  ASSERT_TRUE(server_->LinkAs(ports, 4, &error)) << error;
  EXPECT_EQ(fs::read_symlink(ports / "COM4"), fs::path(server_->SlavePath()));
  PtyClient tool((ports / "COM4").string(), 19200);
  EXPECT_TRUE(tool.IsOpen());
  tool.Close();

  server_->Stop();
  EXPECT_FALSE(fs::exists(fs::symlink_status(ports / "COM4")));
  fs::remove_all(dir);
}

TEST_F(PtyRadioServerTest, LinkAsLeavesARegularFileAlone) {
  StartServer();
  fs::path ports = fs::path(::testing::TempDir()) / ("sim-file-" + std::to_string(getpid()));
  fs::create_directories(ports);
  std::ofstream(ports / "COM2") << "keep me";
  std::string error;
  EXPECT_FALSE(server_->LinkAs(ports, 2, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(server_->LinkAs(ports, 0, &error));
  EXPECT_TRUE(fs::is_regular_file(ports / "COM2"));
  fs::remove_all(ports);
}

TEST_F(PtyRadioServerTest, DescriptorsAreNotInheritedAndStopIsRepeatable) {
  StartServer();
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    int fd = std::stoi(entry.path().filename().string());
    std::error_code ec;
    fs::path target = fs::read_symlink(entry.path(), ec);
    if (target.string().starts_with("/dev/pts/") || target == "/dev/ptmx") {
      if (fd > 2) {
        EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << target;
      }
    }
  }
  server_->Stop();
  server_->Stop();
  EXPECT_FALSE(server_->Start());
}

}  // namespace
}  // namespace zorveth::sim
