// The Win32 serial port against a simulated radio pair on a pty that Wine
// maps as a COM port.
#include <chrono>

#include "link/command_mode.h"
#include "port/serial_port.h"
#include "tests/windows/simulated_com_port.h"

namespace zorveth::testing {
namespace {

constexpr char kPrompt[] = "-\n\r\n\r\n\r\n\r";
constexpr std::uint32_t kServerSpeed = 19200;  // radio-sim's default

class SerialPortOnWine : public SimulatedComPort {
 protected:
  HANDLE Handle() const { return reinterpret_cast<HANDLE>(port.Handle()); }

  std::string ReadUntilQuiet() {
    std::string text;
    std::uint8_t byte = 0;
    while (port.ReadByte(&byte) == 1) text.push_back(static_cast<char>(byte));
    return text;
  }
  // Waits (by reading nothing) until the simulator has sent count bytes.
  bool SimulatorSent(std::size_t count) {
    for (int i = 0; i < 200; ++i) {
      if (RadioBytesSent() >= count) return true;
      Sleep(20);
    }
    return false;
  }

  CSerialPort port;
};

TEST_F(SerialPortOnWine, MissingPortFailsWithTheSystemReasonAndCloseIsHarmless) {
  port.SetParams(41, kServerSpeed);  // never mapped in the prefix
  EXPECT_EQ(port.Open(), kPortOpenFailed);
  EXPECT_TRUE(port.TimeoutsPending());
  EXPECT_EQ(port.Handle(), CSerialPort::kInvalidHandle);
  const std::string& reason = port.LastOpenError();
  EXPECT_EQ(reason.substr(0, 7), "COM41: ") << reason;
  EXPECT_GT(reason.size(), 8u) << "no system text";
  EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
  EXPECT_EQ(port.Close(), kPortCloseFailed);
  EXPECT_EQ(port.Close(), kPortCloseFailed);
}

TEST_F(SerialPortOnWine, OpensAt8N1DespiteTheDriverRefusingRtsToggle) {
  Serve();
  port.SetParams(kComNumber, 9600);
  ASSERT_EQ(port.Open(), kPortOk) << port.LastOpenError();
  EXPECT_EQ(port.LastOpenError(), "");
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ASSERT_TRUE(GetCommState(Handle(), &dcb));
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  // Wine refuses RTS_CONTROL_TOGGLE; the port then keeps RTS raised. (The
  // DTR setting does not survive the round trip on a pty, which has no modem
  // lines: Wine reports DTR enabled whatever it was given.)
  EXPECT_TRUE(dcb.fRtsControl == RTS_CONTROL_TOGGLE || dcb.fRtsControl == RTS_CONTROL_ENABLE);
  EXPECT_FALSE(dcb.fOutX);
  EXPECT_FALSE(dcb.fInX);
  EXPECT_EQ(port.Close(), kPortOk);
}

TEST_F(SerialPortOnWine, TheSimulatorHearsTheSpeedSetAtOpen) {
  Serve({"--server-speed", "9600"});
  port.SetParams(kComNumber, 38400);
  ASSERT_EQ(port.Open(), kPortOk);
  port.Write("+S\r", 3);
  EXPECT_EQ(ReadUntilQuiet(), "");  // wrong speed: noise to the radio
  port.Close();

  port.m_speed = 9600;
  ASSERT_EQ(port.Open(), kPortOk);
  port.Write("+S\r", 3);
  EXPECT_EQ(ReadUntilQuiet(), kPrompt);
  port.Close();
  EXPECT_EQ(ToolBytes(38400), "+S\r");
  EXPECT_EQ(ToolBytes(9600), "+S\r");
}

// The first Write after each Open sets the 50 ms read time-out and a write
// time-out of the bytes' wire time (rounded up to a millisecond a byte) and
// a second more, so a device that takes no data fails the write.
TEST_F(SerialPortOnWine, FirstWriteAfterEachOpenSetsTheReadAndWriteTimeouts) {
  Serve();
  port.SetParams(kComNumber, kServerSpeed);
  ASSERT_EQ(port.Open(), kPortOk);
  COMMTIMEOUTS mine{7, 8, 9, 11, 13};
  ASSERT_TRUE(SetCommTimeouts(Handle(), &mine));
  ASSERT_EQ(port.Write("+S\r", 3), kPortOk);
  EXPECT_FALSE(port.TimeoutsPending());
  COMMTIMEOUTS now{};
  ASSERT_TRUE(GetCommTimeouts(Handle(), &now));
  EXPECT_EQ(now.ReadIntervalTimeout, 0u);
  EXPECT_EQ(now.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(now.ReadTotalTimeoutConstant, 50u);
  EXPECT_EQ(now.WriteTotalTimeoutMultiplier, 1u);  // 10 bits at 19200 baud
  EXPECT_EQ(now.WriteTotalTimeoutConstant, 1000u);

  // The second Write leaves them alone.
  ASSERT_TRUE(SetCommTimeouts(Handle(), &mine));
  ASSERT_EQ(port.Write("ATE\r", 4), kPortOk);
  ASSERT_TRUE(GetCommTimeouts(Handle(), &now));
  EXPECT_EQ(now.ReadTotalTimeoutConstant, 9u);

  // A new speed means Close and Open; the first Write applies them anew.
  ASSERT_EQ(port.Close(), kPortOk);
  port.m_speed = 9600;
  ASSERT_EQ(port.Open(), kPortOk);
  EXPECT_TRUE(port.TimeoutsPending());
  ASSERT_TRUE(SetCommTimeouts(Handle(), &mine));
  ASSERT_EQ(port.Write("x", 1), kPortOk);
  ASSERT_TRUE(GetCommTimeouts(Handle(), &now));
  EXPECT_EQ(now.ReadTotalTimeoutConstant, 50u);
  EXPECT_EQ(now.WriteTotalTimeoutMultiplier, 2u);  // 10 bits at 9600 baud, rounded up
  EXPECT_EQ(now.WriteTotalTimeoutConstant, 1000u);
  port.Close();
}

TEST_F(SerialPortOnWine, ReadGivesOneByteAtATimeAndNothingAfterTheTimeout) {
  Serve();
  port.SetParams(kComNumber, kServerSpeed);
  ASSERT_EQ(port.Open(), kPortOk);
  ASSERT_EQ(port.Write("+S\r", 3), kPortOk);
  std::string prompt;
  std::uint8_t byte = 0;
  // The first byte may take the radio's reply delay; each read waits 50 ms.
  for (int reads = 0; reads < 100 && prompt.size() < sizeof(kPrompt) - 1; ++reads) {
    if (port.ReadByte(&byte) == 1) prompt.push_back(static_cast<char>(byte));
  }
  EXPECT_EQ(prompt, kPrompt);

  byte = 0xA5;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadByte(&byte), 0);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(byte, 0xA5) << "a time-out must leave the byte alone";
  // Only a lower bound: a loaded machine may take longer, never shorter.
  EXPECT_GE(waited, std::chrono::milliseconds(40));
  port.Close();
}

TEST_F(SerialPortOnWine, PurgeDiscardsWhatHasArrived) {
  Serve();
  port.SetParams(kComNumber, kServerSpeed);
  ASSERT_EQ(port.Open(), kPortOk);
  ASSERT_EQ(port.Write("+S\r", 3), kPortOk);
  ASSERT_TRUE(SimulatorSent(sizeof(kPrompt) - 1));
  Sleep(100);  // let the bytes cross the pty into the driver's buffer
  EXPECT_TRUE(port.Purge());
  std::uint8_t byte = 0;
  EXPECT_EQ(port.ReadByte(&byte), 0);
  port.Close();
}

TEST_F(SerialPortOnWine, CommandModeQueriesARegisterAndLeaves) {
  Serve({"--client-channel", "91"});
  port.SetParams(kComNumber, kServerSpeed);
  ASSERT_EQ(port.Open(), kPortOk);
  ASSERT_TRUE(EnterCommandMode(port, SystemClock(), RadioRole::Client, 2000));
  EXPECT_EQ(QueryValue(port, SystemClock(), "C"), 91);
  EXPECT_TRUE(LeaveCommandMode(port, SystemClock(), 2000));
  EXPECT_EQ(port.Close(), kPortOk);
  EXPECT_EQ(HeardBy(kClientSlot), "+C\rATC\rATE\r");
}

TEST_F(SerialPortOnWine, CloseForgetsTheHandleSoASecondCloseClosesNothing) {
  Serve();
  port.SetParams(kComNumber, kServerSpeed);
  ASSERT_EQ(port.Open(), kPortOk);
  EXPECT_EQ(port.Close(), kPortOk);
  EXPECT_EQ(port.Handle(), CSerialPort::kInvalidHandle);
  // A handle this process opens next may get the old value; a second Close
  // must not take it away.
  HANDLE other = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(port.Close(), kPortCloseFailed);
  EXPECT_NE(WaitForSingleObject(other, 0), WAIT_FAILED);
  CloseHandle(other);

  // And the port opens again once released.
  ASSERT_EQ(port.Open(), kPortOk);
  EXPECT_EQ(port.Close(), kPortOk);
}

}  // namespace
}  // namespace zorveth::testing
