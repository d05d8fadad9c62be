// The serial port on Win32: \\.\COM<n> opened exclusively and synchronously,
// line settings through the DCB, and one-byte reads bounded by a 50 ms total
// read time-out set with COMMTIMEOUTS.
#include "port/serial_port_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "port/serial_line_flags.h"
#include "port/serial_port.h"

namespace zorveth {
namespace {

constexpr DWORD kReadTimeoutMs = kReadByteTimeoutMs;

// The flags word sits right after DCBlength and BaudRate. Work on it as the
// 32-bit word the hardware documentation describes rather than trusting the
// compiler's bit-field layout.
constexpr std::size_t kFlagsOffset = offsetof(DCB, BaudRate) + sizeof(DWORD);
static_assert(kFlagsOffset + sizeof(std::uint32_t) <= offsetof(DCB, wReserved),
              "DCB flags word must precede wReserved");

HANDLE AsHandle(CSerialPort::NativeHandle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

bool IsUsable(CSerialPort::NativeHandle handle) {
  return handle != 0 && AsHandle(handle) != INVALID_HANDLE_VALUE;
}

}  // namespace

void PrepareLineSettings(DCB& dcb, std::uint32_t speed) {
  dcb.BaudRate = speed;
  std::uint32_t flags = 0;
  auto* bytes = reinterpret_cast<unsigned char*>(&dcb);
  std::memcpy(&flags, bytes + kFlagsOffset, sizeof flags);
  flags = SerialLineFlags(flags);
  std::memcpy(bytes + kFlagsOffset, &flags, sizeof flags);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.EofChar = 0;
  dcb.EvtChar = 0;
}

unsigned long ApplyLineSettings(DCB& dcb, const std::function<bool(DCB&)>& setCommState,
                                const std::function<unsigned long()>& lastError, bool& rtsToggled) {
  rtsToggled = dcb.fRtsControl == RTS_CONTROL_TOGGLE;
  if (setCommState(dcb)) return 0;
  unsigned long error = lastError();
  if (error == 0) return 0;
  bool refusedToggle =
      rtsToggled && (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_PARAMETER);
  if (!refusedToggle) return error;
  // A half-duplex radio needs RTS up while we talk; keeping it up all the
  // time is the nearest the driver offers.
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  rtsToggled = false;
  if (setCommState(dcb)) return 0;
  return lastError();
}

std::string PortErrorText(std::int16_t portNumber, unsigned long error) {
  std::string text("COM");
  text.append(std::to_string(portNumber)).append(": ");
  char* message = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&message), 0, nullptr);
  if (length == 0 || message == nullptr) {
    text.append("system error ").append(std::to_string(error));
  } else {
    std::string reason(message, length);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
      reason.pop_back();
    text += reason;
  }
  if (message != nullptr) LocalFree(message);
  return text;
}

namespace {

// A port another program holds fails its exclusive open with "access
// denied" (or a sharing violation), not with a code of its own.
OpenFailure OpenFailureOf(unsigned long error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return OpenFailure::Busy;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return OpenFailure::NoSuchPort;
    default:
      return OpenFailure::Other;
  }
}

}  // namespace

// The driver toggles RTS itself and share mode 0 makes the open exclusive:
// nothing about the open device needs keeping here.
struct CSerialPort::DeviceState {};

CSerialPort::CSerialPort() : m_device(std::make_unique<DeviceState>()) {}
CSerialPort::~CSerialPort() = default;

std::int16_t CSerialPort::Open() {
  // No caller opens an open port, but never leak a handle if one does.
  if (IsUsable(m_handle)) Close();
  m_lastOpenError.clear();
  m_lastOpenFailure = OpenFailure::None;

  char device[32];
  std::snprintf(device, sizeof device, "\\\\.\\COM%d", static_cast<int>(m_portNumber));
  // Share mode 0: a port another program holds cannot be opened. No
  // overlapped I/O: every call below is synchronous.
  HANDLE handle = CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  m_handle = reinterpret_cast<NativeHandle>(handle);
  m_timeoutsPending = true;
  if (!IsUsable(m_handle)) {
    const DWORD error = GetLastError();
    m_lastOpenError = PortErrorText(m_portNumber, error);
    m_lastOpenFailure = OpenFailureOf(error);
    return kPortOpenFailed;
  }
  // From here on a failure leaves the handle open: the caller's Close
  // releases it.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle, &dcb)) {
    m_lastOpenError = PortErrorText(m_portNumber, GetLastError());
    m_lastOpenFailure = OpenFailure::Other;
    return kPortOpenFailed;
  }
  PrepareLineSettings(dcb, m_speed);
  bool rtsToggled = false;
  unsigned long error = ApplyLineSettings(
      dcb,
      [handle](DCB& settings) {
        SetLastError(0);
        return SetCommState(handle, &settings) != FALSE;
      },
      [] { return static_cast<unsigned long>(GetLastError()); }, rtsToggled);
  if (error != 0) {
    m_lastOpenError = PortErrorText(m_portNumber, error);
    m_lastOpenFailure = OpenFailure::Other;
    return kPortOpenFailed;
  }
  return kPortOk;
}

std::int16_t CSerialPort::Close() {
  if (!IsUsable(m_handle)) return kPortCloseFailed;
  BOOL closed = CloseHandle(AsHandle(m_handle));
  // Forget the handle either way: its value may be reused at once, and a
  // second Close must not close somebody else's object.
  m_handle = kInvalidHandle;
  return closed ? kPortOk : kPortCloseFailed;
}

std::int16_t CSerialPort::Write(const void* data, std::int16_t length) {
  m_writeStalled = false;
  HANDLE handle = AsHandle(m_handle);
  if (m_timeoutsPending) {
    // A one-byte read returns as soon as the byte is there, else after
    // 50 ms. A write may take its bytes' wire time and a second more: a
    // device that takes no data (CTS held low, a wedged adapter) then fails
    // it instead of holding the operation for ever.
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(handle, &timeouts)) return kPortWriteFailed;
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = kReadTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = std::max<DWORD>(1, WireTimeMs(1, m_speed));
    timeouts.WriteTotalTimeoutConstant = kWriteGraceMs;
    if (!SetCommTimeouts(handle, &timeouts)) return kPortWriteFailed;
    m_timeoutsPending = false;
  }
  if (length < 0) return kPortWriteFailed;
  DWORD written = 0;
  const BOOL ok = WriteFile(handle, data, static_cast<DWORD>(length), &written, nullptr);
  if (ok && written == static_cast<DWORD>(length)) return kPortOk;
  if (ok || GetLastError() == ERROR_COUNTER_TIMEOUT) {
    // Timed out with bytes still queued: they must not reach the radios
    // later as the tail of a line nobody waits for any more.
    m_writeStalled = true;
    PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
  }
  return kPortWriteFailed;
}

std::int16_t CSerialPort::ReadByte(std::uint8_t* byte) {
  ULONGLONG start = GetTickCount64();
  std::uint8_t received = 0;
  DWORD count = 0;
  if (ReadFile(AsHandle(m_handle), &received, 1, &count, nullptr)) {
    if (count == 0) return 0;
    *byte = received;
    return 1;
  }
  // A failed read (device gone, port closed) returns at once; keep the
  // 50 ms pace so the callers' wait loops do not spin.
  ULONGLONG elapsed = GetTickCount64() - start;
  if (elapsed < kReadTimeoutMs) Sleep(static_cast<DWORD>(kReadTimeoutMs - elapsed));
  return 0;
}

bool CSerialPort::Purge() {
  return PurgeComm(AsHandle(m_handle), PURGE_RXCLEAR) != FALSE;
}

}  // namespace zorveth
