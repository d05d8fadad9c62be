// Polls through the real serial port on a pty served by the simulator.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "link/settings_poll.h"
#include "port/serial_port.h"
#include "tests/integration/simulated_link.h"
#include "tests/support/expected_reports.h"
#include "tests/support/recording_feedback.h"

namespace zorveth::testing {
namespace {

// Descriptors of this process open on the given device.
int DescriptorsOn(const std::string& device) {
  int count = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    count += std::filesystem::read_symlink(entry.path(), ec) == device;
  }
  return count;
}

class PollOnPty : public SimulatedLink {
 protected:
  void Run(OperationOutcome (SettingsPoll::*operation)(), std::string text = "COM12") {
    portText = std::move(text);
    SettingsPoll poll(portText, port, SystemClock(), feedback, feedback);
    (poll.*operation)();
  }
  CSerialPort port;
  RecordingFeedback feedback;
  std::string portText;
};

TEST_F(PollOnPty, ServerAt9600IsFoundAfterTwoSilentSpeeds) {
  pair.server.speed = 9600;
  pair.client.speed = 9600;
  Serve();
  Run(&SettingsPoll::PollServer);
  EXPECT_EQ(feedback.lines, kServerReportAt9600);
  EXPECT_TRUE(feedback.messages.empty());
  EXPECT_EQ(ToolBytes(38400), "+S\r");
  EXPECT_EQ(ToolBytes(19200), "+S\r");
  EXPECT_EQ(ToolBytes(9600), "+S\rATC\rATFP\rATM\rATID\rATBA\rATS\rATREV\rATE\r");
  EXPECT_FALSE(server->InCommandMode(sim::kServerSlot));
}

TEST_F(PollOnPty, ClientAt4800IsFoundAfterThreeEscapesAtEachFasterSpeed) {
  pair.server.powered = false;
  pair.client.speed = 4800;
  Serve();
  Run(&SettingsPoll::PollClient);
  ASSERT_EQ(feedback.lines.size(), 11u);
  EXPECT_EQ(feedback.lines[0], "Settings polled from: Client");
  EXPECT_EQ(feedback.lines[6], "Baud Rate:                     4800");
  for (std::uint32_t speed : {38400u, 19200u, 9600u}) {
    EXPECT_EQ(ToolBytes(speed), "+C\r+C\r+C\r") << speed;
  }
}

TEST_F(PollOnPty, BothReportsServerThenClientAt2400) {
  pair.server.speed = pair.client.speed = 2400;
  Serve();
  Run(&SettingsPoll::PollBoth);
  ASSERT_EQ(feedback.lines.size(), 22u);
  EXPECT_EQ(feedback.lines[0], "Settings polled from: Server");
  EXPECT_EQ(feedback.lines[11], "Settings polled from: Client");
  EXPECT_TRUE(feedback.messages.empty());
}

TEST_F(PollOnPty, BothAsksTheClientOnlyAtTheServersSpeed) {
  pair.server.speed = 19200;
  pair.client.speed = 38400;
  Serve();
  Run(&SettingsPoll::PollBoth);
  EXPECT_EQ(feedback.lines.size(), 11u);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Polling Client Failed"});
  EXPECT_EQ(ToolBytes(38400), "+S\r");
}

TEST_F(PollOnPty, PromptWithoutRepliesIsAReadErrorAtThatSpeedOnly) {
  pair.server.speed = 38400;
  pair.server.faults.noQueryReplies = true;
  Serve();
  Run(&SettingsPoll::PollServer);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Error During Read"});
  EXPECT_TRUE(feedback.lines.empty());
  std::string sent = ToolBytes();
  EXPECT_EQ(sent.substr(sent.size() - 4), "ATE\r");
  EXPECT_EQ(ToolBytes(19200), "");
}

TEST_F(PollOnPty, RepliesWithoutTheirLineFeedAreAReadErrorNotNumbers) {
  pair.server.speed = 38400;
  pair.server.faults.queryReply = "67\r";
  Serve();
  Run(&SettingsPoll::PollServer);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Error During Read"});
  EXPECT_TRUE(feedback.lines.empty());
}

TEST_F(PollOnPty, SystemIdOf65535IsAReadError) {
  pair.server.systemId = 65535;
  Serve();
  Run(&SettingsPoll::PollServer);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Error During Read"});
}

TEST_F(PollOnPty, EmptyPortTextAndUnmappedPortFailEverySpeedWithOneMessage) {
  Serve();
  for (const char* text : {"", "COM13"}) {
    feedback.messages.clear();
    Run(&SettingsPoll::PollServer, text);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{"Polling Server Failed"}) << text;
    EXPECT_EQ(feedback.cursorDepth, 0);
  }
  EXPECT_EQ(ToolBytes(), "");
}

TEST_F(PollOnPty, PortHeldByAnotherProcessDoesNotOpen) {
  Serve();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    CSerialPort holder;
    holder.SetParams(kComNumber, 9600);
    char status = holder.Open() == kPortOk ? 'y' : 'n';
    (void)!write(ready[1], &status, 1);
    pause();
    _exit(0);
  }
  char status = 0;
  ASSERT_EQ(read(ready[0], &status, 1), 1);
  ASSERT_EQ(status, 'y');
  port.SetParams(kComNumber, 9600);
  EXPECT_EQ(port.Open(), kPortOpenFailed);
  EXPECT_NE(port.LastOpenError().find("COM12"), std::string::npos);
  port.Close();
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  // Once the holder is gone the port opens again.
  EXPECT_EQ(port.Open(), kPortOk);
  EXPECT_EQ(port.Close(), kPortOk);
}

TEST_F(PollOnPty, HangUpMidPollEndsWithAMessageAndLeaksNothing) {
  pair.server.faults.hangUpAfterBytes = 12;  // escape and a few queries
  Serve();
  Run(&SettingsPoll::PollServer);
  EXPECT_TRUE(server->HungUp());
  ASSERT_EQ(feedback.messages.size(), 1u);
  EXPECT_EQ(feedback.messages[0], "Error During Read");
  // The simulator has dropped its own end too, so nothing may be left open.
  EXPECT_EQ(DescriptorsOn(server->SlavePath()), 0);
}

TEST_F(PollOnPty, ReadByteOnAHungUpLineKeepsItsPaceWithoutSpinning) {
  pair.server.faults.hangUpAfterBytes = 1;
  Serve();
  port.SetParams(kComNumber, 19200);
  ASSERT_EQ(port.Open(), kPortOk);
  port.Write("+", 1);
  while (!server->HungUp()) usleep(1000);

  auto cpu = [] {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec + usage.ru_stime.tv_sec * 1e6 +
           usage.ru_stime.tv_usec;
  };
  double cpuBefore = cpu();
  auto start = std::chrono::steady_clock::now();
  std::uint8_t byte = 0x55;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(port.ReadByte(&byte), 0);
  auto wallUs = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count();
  EXPECT_EQ(byte, 0x55);
  EXPECT_GE(wallUs, 10 * 49000);
  // A spinning loop would burn the whole interval; sleeping costs next to
  // nothing.
  EXPECT_LT(cpu() - cpuBefore, wallUs / 4.0);
  port.Close();
}

}  // namespace
}  // namespace zorveth::testing
