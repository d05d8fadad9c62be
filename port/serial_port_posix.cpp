// The serial port on POSIX termios. COM numbers come from the port map; the
// device is opened exclusively, set to raw 8N1 at the set speed, and read one
// byte at a time with a 50 ms time-out measured by poll() (VTIME counts in
// tenths of a second, too coarse for the protocol's waits).
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "platform/port_map.h"
#include "port/serial_port.h"

namespace zorveth {
namespace {

// The line speeds termios knows by constant.
struct SpeedEntry {
  std::uint32_t baud;
  speed_t constant;
};
constexpr SpeedEntry kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000},
};

std::optional<speed_t> SpeedConstant(std::uint32_t baud) {
  for (const auto& entry : kSpeeds) {
    if (entry.baud == baud) return entry.constant;
  }
  return std::nullopt;
}

std::int64_t MonotonicMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Sleeps without spinning; used when the device has gone away so that the
// callers' wait loops keep their pace instead of turning into busy loops.
void SleepUntil(std::int64_t deadlineMs) {
  for (std::int64_t now = MonotonicMs(); now < deadlineMs; now = MonotonicMs()) {
    struct timespec pause = {0, static_cast<long>((deadlineMs - now) * 1000000)};
    nanosleep(&pause, nullptr);
  }
}

int ModemBits(int fd, unsigned long request, int bits) {
  return ioctl(fd, request, &bits);
}

}  // namespace

// Whether this port set the exclusive-use flag (and so must clear it), and
// whether the device lets us raise RTS only while sending.
struct CSerialPort::DeviceState {
  bool exclusive = false;
  bool rtsWhileSending = false;
};

CSerialPort::CSerialPort() : m_device(std::make_unique<DeviceState>()) {}
CSerialPort::~CSerialPort() = default;

namespace {

// Raw 8N1 at the given speed, receiver on, modem control lines ignored for
// the data path; hardware (CTS) flow control stays as the device had it.
// Returns the failing step's words, or nullptr.
const char* SetRawLine(int fd, speed_t speed) {
  struct termios tio {};
  if (tcgetattr(fd, &tio) != 0) return "cannot read line settings: ";
  tcflag_t ctsFlow = tio.c_cflag & CRTSCTS;
  tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | INPCK | IGNPAR);
  tio.c_oflag &= ~OPOST;
  tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL | ctsFlow;
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0 ||
      tcsetattr(fd, TCSANOW, &tio) != 0) {
    return "cannot set line settings: ";
  }
  // The descriptor stays non-blocking: reads and writes both wait in
  // poll(), against deadlines of their own.
  return nullptr;
}

// DTR low while open; RTS raised only while sending. A pty refuses modem
// control ioctls, which is fine: it has no such lines. True when the device
// has the lines, so Write must raise and drop RTS around each send.
bool LowerModemLines(int fd) {
  int lines = 0;
  if (ioctl(fd, TIOCMGET, &lines) != 0) return false;
  ModemBits(fd, TIOCMBIC, TIOCM_DTR | TIOCM_RTS);
  return true;
}

// The time a write may take. An interrupt shortens it to a last moment, so
// a stalled device cannot hold the interrupt up, while a line on a device
// that takes data still goes out whole.
class WriteDeadline {
 public:
  static constexpr std::int64_t kAfterInterruptMs = 250;

  WriteDeadline(std::int64_t atMs, const CancellationToken* token) : m_atMs(atMs), m_token(token) {}

  // Waits until fd can take data; false once the deadline has passed.
  bool WaitWritable(int fd) {
    for (;;) {
      const std::int64_t now = MonotonicMs();
      if (now >= m_atMs) return m_passed = true, false;
      struct pollfd fds[2] = {{fd, POLLOUT, 0}, {-1, POLLIN, 0}};
      if (m_token && !m_woken) fds[1].fd = static_cast<int>(m_token->WakeHandle());
      int ready = ::poll(fds, 2, static_cast<int>(m_atMs - now));
      if (ready < 0 && errno != EINTR) return false;
      if (ready > 0 && fds[1].revents != 0) {
        m_woken = true;
        m_atMs = std::min(m_atMs, MonotonicMs() + kAfterInterruptMs);
      }
      if (ready > 0 && fds[0].revents != 0) return true;
    }
  }
  std::int64_t RemainingMs() const { return m_atMs - MonotonicMs(); }
  void Expire() { m_passed = true; }
  bool Passed() const { return m_passed; }

 private:
  std::int64_t m_atMs;
  const CancellationToken* m_token;
  bool m_woken = false;
  bool m_passed = false;
};

// Writes every byte, or gives up at the deadline or on a failure.
bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t remaining, WriteDeadline& deadline) {
  while (remaining > 0) {
    ssize_t written = ::write(fd, bytes, remaining);
    if (written > 0) {
      bytes += written;
      remaining -= static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    if (!deadline.WaitWritable(fd)) return false;
  }
  return true;
}

// Waits until the driver has sent everything, within the deadline. Where
// the driver cannot say how much it holds, tcdrain does the waiting.
bool DrainBy(int fd, std::uint32_t speed, WriteDeadline& deadline) {
  for (;;) {
    int pending = 0;
    if (ioctl(fd, TIOCOUTQ, &pending) != 0) {
      while (tcdrain(fd) != 0 && errno == EINTR) {
      }
      return true;
    }
    if (pending == 0) {
      // The last byte may still be in the UART's shift register.
      while (tcdrain(fd) != 0 && errno == EINTR) {
      }
      return true;
    }
    const std::int64_t left = deadline.RemainingMs();
    if (left <= 0) {
      deadline.Expire();
      return false;
    }
    const std::int64_t pause =
        std::clamp<std::int64_t>(WireTimeMs(static_cast<std::size_t>(pending), speed), 1, left);
    SleepUntil(MonotonicMs() + pause);
  }
}

// Why COM<n> has no device: none in the port map, or a link whose target
// has gone, as an unplugged USB adapter leaves it.
std::string NoSuchPortReason(int number) {
  const std::string name = "COM" + std::to_string(number);
  if (auto target = MissingLinkTarget(number)) {
    return name + " (" + target->string() + "): no such device; is the adapter unplugged?";
  }
  return name + ": no such serial port";
}

OpenFailure OpenFailureOf(int error) {
  switch (error) {
    case EBUSY:
    case EWOULDBLOCK:  // the advisory lock of another opener
      return OpenFailure::Busy;
    case EACCES:
    case EPERM:
      return OpenFailure::AccessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:  // a link to a device that was unplugged
      return OpenFailure::NoSuchPort;
    default:
      return OpenFailure::Other;
  }
}

}  // namespace

std::int16_t CSerialPort::Open() {
  // No caller opens an open port, but never leak a descriptor if one does;
  // closed before the state is reset, so the exclusive hold is released too.
  if (m_handle != kInvalidHandle) Close();
  m_timeoutsPending = true;
  m_lastOpenError.clear();
  m_lastOpenFailure = OpenFailure::None;
  *m_device = DeviceState{};

  std::string name = "COM" + std::to_string(m_portNumber);
  auto device = ResolveComPort(m_portNumber);
  if (!device) {
    m_lastOpenError = NoSuchPortReason(m_portNumber);
    m_lastOpenFailure = OpenFailure::NoSuchPort;
    m_handle = kInvalidHandle;
    return kPortOpenFailed;
  }
  std::string path = device->string();
  auto fail = [&](const char* what) {
    int error = errno;
    m_lastOpenError = name + " (" + path + "): " + what + std::strerror(error);
    if (error == EACCES) m_lastOpenError += "; is your user in the dialout group?";
    if (error == EBUSY || error == EWOULDBLOCK) m_lastOpenError += " (another program holds it)";
    m_lastOpenFailure = OpenFailureOf(error);
    return kPortOpenFailed;
  };

  // O_NONBLOCK so that a modem line without carrier cannot stall the open.
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  m_handle = fd;
  if (fd < 0) {
    m_handle = kInvalidHandle;
    return fail("");
  }
  if (!isatty(fd)) {
    // A link to /dev/null or a plain file: the system's "Inappropriate
    // ioctl for device" would not tell the user what is wrong.
    m_lastOpenError = name + " (" + path + "): not a serial device";
    m_lastOpenFailure = OpenFailure::Other;
    return kPortOpenFailed;
  }
  // Exclusive use: TIOCEXCL keeps other openers out (except root), the
  // advisory lock also tells root-run programs and a second instance.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail("");
  m_device->exclusive = ioctl(fd, TIOCEXCL) == 0;

  auto speed = SpeedConstant(m_speed);
  if (!speed) {
    m_lastOpenError = name + " (" + path + "): unsupported speed " + std::to_string(m_speed);
    m_lastOpenFailure = OpenFailure::Other;
    return kPortOpenFailed;
  }
  if (const char* failedStep = SetRawLine(fd, *speed)) return fail(failedStep);
  m_device->rtsWhileSending = LowerModemLines(fd);
  return kPortOk;
}

std::int16_t CSerialPort::Close() {
  if (m_handle == kInvalidHandle) return kPortCloseFailed;
  int fd = static_cast<int>(m_handle);
  // TIOCEXCL outlives the descriptor on a pty; clear it for the next opener.
  if (m_device->exclusive) ioctl(fd, TIOCNXCL);
  m_device->exclusive = false;
  int result = ::close(fd);
  // Forget the descriptor even when close reported an error: its number may
  // be reused at once, and closing it again would close someone else's file.
  m_handle = kInvalidHandle;
  return result == 0 ? kPortOk : kPortCloseFailed;
}

std::int16_t CSerialPort::Write(const void* data, std::int16_t length) {
  m_writeStalled = false;
  if (m_handle == kInvalidHandle) return kPortWriteFailed;
  int fd = static_cast<int>(m_handle);
  if (m_timeoutsPending) {
    // Reads must never block in read(): poll() does all the waiting.
    struct termios tio {};
    if (tcgetattr(fd, &tio) != 0) return kPortWriteFailed;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) return kPortWriteFailed;
    m_timeoutsPending = false;
  }
  if (length < 0) return kPortWriteFailed;
  const std::size_t total = static_cast<std::size_t>(length);
  WriteDeadline deadline(MonotonicMs() + WireTimeMs(total, m_speed) + kWriteGraceMs, m_wakeOn);
  if (m_device->rtsWhileSending) ModemBits(fd, TIOCMBIS, TIOCM_RTS);
  bool ok = WriteAll(fd, static_cast<const std::uint8_t*>(data), total, deadline);
  // Drop RTS only once the last byte has left the UART.
  if (ok && m_device->rtsWhileSending) ok = DrainBy(fd, m_speed, deadline);
  if (!ok && deadline.Passed()) {
    // What a stalled device still holds must not reach the radios later,
    // as the tail of a line nobody waits for any more.
    m_writeStalled = true;
    tcflush(fd, TCOFLUSH);
  }
  if (m_device->rtsWhileSending) ModemBits(fd, TIOCMBIC, TIOCM_RTS);
  return ok ? kPortOk : kPortWriteFailed;
}

std::int16_t CSerialPort::ReadByte(std::uint8_t* byte) {
  std::int64_t deadline = MonotonicMs() + kReadByteTimeoutMs;
  if (m_handle == kInvalidHandle) {
    SleepUntil(deadline);
    return 0;
  }
  int fd = static_cast<int>(m_handle);
  for (;;) {
    std::int64_t left = deadline - MonotonicMs();
    if (left <= 0) return 0;
    struct pollfd pfd = {fd, POLLIN, 0};
    int ready = ::poll(&pfd, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) return 0;
    if (ready < 0) {
      // Keep the 50 ms pace: the callers' loops count on it.
      SleepUntil(deadline);
      return 0;
    }
    if (pfd.revents & POLLIN) {
      std::uint8_t received = 0;
      ssize_t n = ::read(fd, &received, 1);
      if (n == 1) {
        *byte = received;
        return 1;
      }
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    }
    // Hung up or failed: the device has gone. Keep the 50 ms pace.
    SleepUntil(deadline);
    return 0;
  }
}

bool CSerialPort::Purge() {
  if (m_handle == kInvalidHandle) return false;
  return tcflush(static_cast<int>(m_handle), TCIFLUSH) == 0;
}

}  // namespace zorveth
