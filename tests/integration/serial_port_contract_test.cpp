// What every caller relies on from CSerialPort, checked on a pty served by
// the simulator.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/port_map.h"
#include "port/serial_port.h"
#include "tests/integration/simulated_link.h"

namespace zorveth::testing {
namespace {

using Clock = std::chrono::steady_clock;

class SerialPortContract : public SimulatedLink {
 protected:
  void SetUp() override {
    SimulatedLink::SetUp();
    Serve();
  }
  // Waits (bounded) until the simulator has received, or answered, n bytes.
  void AwaitToolBytes(std::size_t n) {
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (ToolBytes().size() < n && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  void AwaitRadioBytes(std::size_t n) {
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (server->SentBy(sim::kServerSlot).size() < n && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // The pty hands the bytes over right after the simulator wrote them.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  CSerialPort port;
};

TEST_F(SerialPortContract, UnmappedPortFailsToOpenAndCloseSaysSo) {
  port.SetParams(kComNumber + 1, 19200);
  EXPECT_EQ(port.Open(), kPortOpenFailed);
  EXPECT_NE(port.LastOpenError().find("COM13"), std::string::npos);
  EXPECT_EQ(port.Close(), kPortCloseFailed);
  EXPECT_EQ(port.Close(), kPortCloseFailed);
}

TEST_F(SerialPortContract, UnsupportedSpeedFailsButTheDeviceIsHeldUntilClose) {
  port.SetParams(kComNumber, 12345);
  EXPECT_EQ(port.Open(), kPortOpenFailed);
  EXPECT_NE(port.LastOpenError().find("12345"), std::string::npos);
  EXPECT_EQ(port.Close(), kPortOk);
  // Closing twice must not close a descriptor that may belong to someone else.
  EXPECT_EQ(port.Close(), kPortCloseFailed);
}

TEST_F(SerialPortContract, FirstWriteAfterEveryOpenAppliesTheReadTimeOut) {
  port.SetParams(kComNumber, 19200);
  ASSERT_EQ(port.Open(), kPortOk);
  EXPECT_TRUE(port.TimeoutsPending());
  EXPECT_EQ(port.Write("x", 1), kPortOk);
  EXPECT_FALSE(port.TimeoutsPending());
  port.Close();
  port.m_speed = 9600;
  ASSERT_EQ(port.Open(), kPortOk);
  EXPECT_TRUE(port.TimeoutsPending());
  port.Write("y", 1);
  EXPECT_FALSE(port.TimeoutsPending());
  port.Close();
}

TEST_F(SerialPortContract, SpeedReachesTheLineAndLinesAreRaw) {
  port.SetParams(kComNumber, 9600);
  ASSERT_EQ(port.Open(), kPortOk);
  // A CR must go out as a CR (no output processing), at the speed set.
  port.Write("+S\r", 3);
  AwaitToolBytes(3);
  port.Close();
  ASSERT_FALSE(server->Log().empty());
  EXPECT_EQ(server->Log().front().speed, 9600u);
  EXPECT_EQ(ToolBytes(), "+S\r");
}

TEST_F(SerialPortContract, ReadByteReturnsABufferedByteAtOnceAndTimesOutOtherwise) {
  pair.server.speed = 19200;
  port.SetParams(kComNumber, 19200);
  ASSERT_EQ(port.Open(), kPortOk);
  port.Write("+S\r", 3);
  AwaitRadioBytes(9);  // the whole prompt

  std::uint8_t byte = 0;
  auto start = Clock::now();
  EXPECT_EQ(port.ReadByte(&byte), 1);
  EXPECT_EQ(byte, '-');
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(40));

  // Purge drops the rest of the prompt: the next read waits out its 50 ms.
  port.Purge();
  byte = 0x55;
  start = Clock::now();
  EXPECT_EQ(port.ReadByte(&byte), 0);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(49));
  EXPECT_EQ(byte, 0x55);
  port.Close();
}

TEST_F(SerialPortContract, OpeningAnOpenPortReleasesTheFirstHold) {
  // Exclusive mode does not stop root, so the opens run as an ordinary user.
  auto device = ResolveComPort(kComNumber);
  ASSERT_TRUE(device.has_value());
  bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(device->c_str(), 65534, 65534), 0);
  }
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (root && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
    CSerialPort twice;
    twice.SetParams(kComNumber, 19200);
    int faults = 0;
    if (twice.Open() != kPortOk) faults |= 1;
    if (twice.Open() != kPortOk) faults |= 2;
    if (twice.Close() != kPortOk) faults |= 4;
    if (twice.Open() != kPortOk) faults |= 8;
    twice.Close();
    _exit(faults);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "bit 1: first open, 2: second open, 4: close, 8: reopen";
}

TEST_F(SerialPortContract, DestroyingAPortLeavesTheDeviceOpen) {
  CSerialPort::NativeHandle handle;
  {
    CSerialPort scoped;
    scoped.SetParams(kComNumber, 19200);
    ASSERT_EQ(scoped.Open(), kPortOk);
    handle = scoped.Handle();
  }
  int lines = 0;
  // Still a valid terminal descriptor: only Close releases it.
  EXPECT_NE(ioctl(static_cast<int>(handle), TCGETS, &lines), -1);
  close(static_cast<int>(handle));
}

}  // namespace
}  // namespace zorveth::testing
