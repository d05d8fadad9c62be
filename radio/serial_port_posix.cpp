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

#include <cerrno>
#include <chrono>
#include <cstring>

#include "radio/serial_port.h"
#include "settings/port_map.h"

namespace zorveth {
namespace {

constexpr int kReadTimeoutMs = 50;

speed_t SpeedConstant(std::uint32_t speed, bool& known) {
  known = true;
  switch (speed) {
    case 50:
      return B50;
    case 75:
      return B75;
    case 110:
      return B110;
    case 134:
      return B134;
    case 150:
      return B150;
    case 200:
      return B200;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 1800:
      return B1800;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 500000:
      return B500000;
    case 576000:
      return B576000;
    case 921600:
      return B921600;
    case 1000000:
      return B1000000;
    case 1152000:
      return B1152000;
    case 1500000:
      return B1500000;
    case 2000000:
      return B2000000;
    default:
      known = false;
      return B0;
  }
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

CSerialPort::CSerialPort(Clock& clock) : m_clock(clock) {}

std::int16_t CSerialPort::Open() {
  // No caller opens an open port, but never leak a descriptor if one does;
  // closed before the state is reset, so the exclusive hold is released too.
  if (m_handle != kInvalidHandle) Close();
  m_timeoutsPending = true;
  m_lastOpenError.clear();
  m_rtsWhileSending = false;
  m_exclusive = false;

  std::string name = "COM" + std::to_string(m_portNumber);
  auto device = ResolveComPort(m_portNumber);
  if (!device) {
    m_lastOpenError = name + ": no such serial port";
    m_handle = kInvalidHandle;
    return kPortOpenFailed;
  }
  std::string path = device->string();
  auto fail = [&](const char* what) {
    int error = errno;
    m_lastOpenError = name + " (" + path + "): " + what + std::strerror(error);
    if (error == EACCES) m_lastOpenError += "; is your user in the dialout group?";
    if (error == EBUSY || error == EWOULDBLOCK) m_lastOpenError += " (another program holds it)";
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
    errno = ENOTTY;
    return fail("");
  }
  // Exclusive use: TIOCEXCL keeps other openers out (except root), the
  // advisory lock also tells root-run programs and a second instance.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail("");
  m_exclusive = ioctl(fd, TIOCEXCL) == 0;

  struct termios tio {};
  if (tcgetattr(fd, &tio) != 0) return fail("cannot read line settings: ");
  bool known = false;
  speed_t speed = SpeedConstant(m_speed, known);
  if (!known) {
    m_lastOpenError = name + " (" + path + "): unsupported speed " + std::to_string(m_speed);
    return kPortOpenFailed;
  }
  // Raw 8N1, receiver on, modem control lines ignored for the data path.
  // Hardware (CTS) flow control stays as the device had it.
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
    return fail("cannot set line settings: ");
  }
  // Blocking writes from here on; reads wait in poll() only.
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

  // DTR low while open; RTS raised only while sending. A pty refuses modem
  // control ioctls, which is fine: it has no such lines.
  int lines = 0;
  if (ioctl(fd, TIOCMGET, &lines) == 0) {
    ModemBits(fd, TIOCMBIC, TIOCM_DTR | TIOCM_RTS);
    m_rtsWhileSending = true;
  }
  return kPortOk;
}

std::int16_t CSerialPort::Close() {
  if (m_handle == kInvalidHandle) return kPortCloseFailed;
  int fd = static_cast<int>(m_handle);
  // TIOCEXCL outlives the descriptor on a pty; clear it for the next opener.
  if (m_exclusive) ioctl(fd, TIOCNXCL);
  m_exclusive = false;
  int result = ::close(fd);
  // Forget the descriptor even when close reported an error: its number may
  // be reused at once, and closing it again would close someone else's file.
  m_handle = kInvalidHandle;
  return result == 0 ? kPortOk : kPortCloseFailed;
}

std::int16_t CSerialPort::Write(const void* data, std::int16_t length) {
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
  if (m_rtsWhileSending) ModemBits(fd, TIOCMBIS, TIOCM_RTS);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::size_t remaining = static_cast<std::size_t>(length);
  bool ok = true;
  while (remaining > 0) {
    ssize_t written = ::write(fd, bytes, remaining);
    if (written < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    bytes += written;
    remaining -= static_cast<std::size_t>(written);
  }
  if (m_rtsWhileSending) {
    // Drop RTS only once the last byte has left the UART.
    tcdrain(fd);
    ModemBits(fd, TIOCMBIC, TIOCM_RTS);
  }
  return ok ? kPortOk : kPortWriteFailed;
}

std::int16_t CSerialPort::ReadByte(std::uint8_t* byte) {
  std::int64_t deadline = MonotonicMs() + kReadTimeoutMs;
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
