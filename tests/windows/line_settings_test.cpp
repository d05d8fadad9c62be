// The DCB the serial port applies, and how it treats a driver's refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "port/serial_line_flags.h"
#include "port/serial_port_win32.h"

namespace zorveth {
namespace {

using Error = unsigned long;

DCB DeviceDcbWithFlags(std::uint32_t flags) {
  DCB dcb;
  std::memset(&dcb, 0x5A, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  std::memcpy(reinterpret_cast<unsigned char*>(&dcb) + 8, &flags, sizeof flags);
  return dcb;
}

TEST(LineFlags, EveryFlagSetComesOutAsTheRadiosLine) {
  DCB dcb = DeviceDcbWithFlags(SerialLineFlags(0xFFFFFFFFu));
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fRtsControl, unsigned{RTS_CONTROL_TOGGLE});
  EXPECT_EQ(dcb.fDtrControl, unsigned{DTR_CONTROL_DISABLE});
  EXPECT_EQ(dcb.fOutxCtsFlow, 1u) << "the CTS handshake is the device's";
  EXPECT_EQ(dcb.fParity, 0u);
  EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
  EXPECT_EQ(dcb.fDsrSensitivity, 0u);
  EXPECT_EQ(dcb.fTXContinueOnXoff, 0u);
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fInX, 0u);
  EXPECT_EQ(dcb.fErrorChar, 0u);
  EXPECT_EQ(dcb.fNull, 0u);
  EXPECT_EQ(dcb.fAbortOnError, 0u);
  EXPECT_EQ(dcb.fDummy2, 0x1FFFFu) << "reserved bits stay as the device had them";
}

TEST(LineFlags, NoFlagSetStillGivesBinaryModeAndRtsToggle) {
  DCB dcb = DeviceDcbWithFlags(SerialLineFlags(0));
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fRtsControl, unsigned{RTS_CONTROL_TOGGLE});
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(dcb.fDtrControl, 0u);
  EXPECT_EQ(dcb.fDummy2, 0u);
}

TEST(LineSettings, SpeedAnd8N1ReplaceTheDevicesAndTheRestStays) {
  DCB dcb = DeviceDcbWithFlags(0xFFFFFFFFu);
  dcb.Parity = EVENPARITY;
  dcb.StopBits = TWOSTOPBITS;
  dcb.ByteSize = 7;
  DCB before = dcb;
  PrepareLineSettings(dcb, 4800);
  EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
  EXPECT_EQ(dcb.BaudRate, 4800u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.EofChar, 0);
  EXPECT_EQ(dcb.EvtChar, 0);
  EXPECT_EQ(dcb.fRtsControl, unsigned{RTS_CONTROL_TOGGLE});
  EXPECT_EQ(dcb.fOutxCtsFlow, 1u);
  EXPECT_EQ(dcb.XonLim, before.XonLim);
  EXPECT_EQ(dcb.XoffLim, before.XoffLim);
  EXPECT_EQ(dcb.XonChar, before.XonChar);
  EXPECT_EQ(dcb.XoffChar, before.XoffChar);
  EXPECT_EQ(dcb.ErrorChar, before.ErrorChar);
  EXPECT_EQ(dcb.wReserved, before.wReserved);
  EXPECT_EQ(dcb.wReserved1, before.wReserved1);
}

// A driver whose SetCommState answers from a script, recording what it got.
struct ScriptedDriver {
  explicit ScriptedDriver(std::vector<std::pair<bool, Error>> script)
      : answers(std::move(script)) {}

  std::vector<std::pair<bool, Error>> answers;  // result, last error
  std::vector<DCB> received;
  unsigned long lastError = 0;

  unsigned long Apply(DCB& dcb, bool& rtsToggled) {
    return ApplyLineSettings(
        dcb,
        [this](DCB& settings) {
          received.push_back(settings);
          auto [ok, error] = answers.at(received.size() - 1);
          lastError = error;
          return ok;
        },
        [this] { return lastError; }, rtsToggled);
  }
};

DCB PreparedDcb() {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  PrepareLineSettings(dcb, 19200);
  return dcb;
}

TEST(LineSettings, AcceptedAtOnceKeepsRtsToggling) {
  ScriptedDriver driver({{true, 0}});
  DCB dcb = PreparedDcb();
  bool toggled = false;
  EXPECT_EQ(driver.Apply(dcb, toggled), 0u);
  EXPECT_TRUE(toggled);
  EXPECT_EQ(driver.received.size(), 1u);
}

TEST(LineSettings, FailureWithoutAReasonCountsAsSuccess) {
  ScriptedDriver driver({{false, 0}});
  DCB dcb = PreparedDcb();
  bool toggled = false;
  EXPECT_EQ(driver.Apply(dcb, toggled), 0u);
  EXPECT_EQ(driver.received.size(), 1u);
}

TEST(LineSettings, RefusedRtsToggleIsRetriedOnceWithRtsRaised) {
  for (unsigned long refusal : {ERROR_NOT_SUPPORTED, ERROR_INVALID_PARAMETER}) {
    ScriptedDriver driver({{false, refusal}, {true, 0}});
    DCB dcb = PreparedDcb();
    bool toggled = true;
    EXPECT_EQ(driver.Apply(dcb, toggled), 0u) << refusal;
    EXPECT_FALSE(toggled);
    ASSERT_EQ(driver.received.size(), 2u);
    DCB second = driver.received[1];
    EXPECT_EQ(second.fRtsControl, unsigned{RTS_CONTROL_ENABLE});
    // Nothing else differs from the first attempt.
    second.fRtsControl = RTS_CONTROL_TOGGLE;
    EXPECT_EQ(std::memcmp(&second, &driver.received[0], sizeof(DCB)), 0);
  }
}

TEST(LineSettings, TheRetryIsJudgedByTheSameRule) {
  ScriptedDriver silent({{false, ERROR_NOT_SUPPORTED}, {false, 0}});
  DCB dcb = PreparedDcb();
  bool toggled = false;
  EXPECT_EQ(silent.Apply(dcb, toggled), 0u);

  ScriptedDriver refusing({{false, ERROR_NOT_SUPPORTED}, {false, ERROR_GEN_FAILURE}});
  dcb = PreparedDcb();
  EXPECT_EQ(refusing.Apply(dcb, toggled), Error{ERROR_GEN_FAILURE});
  EXPECT_EQ(refusing.received.size(), 2u);
}

TEST(LineSettings, OtherFailuresAreNotRetried) {
  ScriptedDriver driver({{false, ERROR_ACCESS_DENIED}});
  DCB dcb = PreparedDcb();
  bool toggled = false;
  EXPECT_EQ(driver.Apply(dcb, toggled), Error{ERROR_ACCESS_DENIED});
  EXPECT_EQ(driver.received.size(), 1u);

  // Without RTS toggling asked for, a refusal is a plain failure.
  ScriptedDriver plain({{false, ERROR_NOT_SUPPORTED}});
  dcb = PreparedDcb();
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  EXPECT_EQ(plain.Apply(dcb, toggled), Error{ERROR_NOT_SUPPORTED});
  EXPECT_EQ(plain.received.size(), 1u);
}

TEST(PortErrorText, NamesThePortAndTheSystemReasonOnOneLine) {
  std::string text = PortErrorText(7, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(text.substr(0, 6), "COM7: ");
  EXPECT_GT(text.size(), 6u);
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(PortErrorText(12, 0xDEADBEEF).substr(0, 7), "COM12: ");
}

}  // namespace
}  // namespace zorveth
