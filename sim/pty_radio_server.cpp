#include "sim/pty_radio_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <utility>

#include "sim/line_speed.h"
#include "sim/port_link.h"

namespace zorveth::sim {
namespace {

std::string ErrnoText(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

void CloseIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

std::uint8_t SlotBit(int slot) {
  return slot == kServerSlot ? kServerSlotBit : kClientSlotBit;
}

}  // namespace

PtyRadioServer::PtyRadioServer(PairConfig config) : m_pair(std::move(config)) {}

PtyRadioServer::~PtyRadioServer() {
  Stop();
}

bool PtyRadioServer::Start(std::string* error) {
  auto fail = [this, error](const std::string& message) {
    if (error != nullptr) *error = message;
    CloseDescriptors();
    return false;
  };
  if (m_started) return fail("the server was already started");
  m_started = true;
  m_start = std::chrono::steady_clock::now();

  m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (m_master < 0) return fail(ErrnoText("posix_openpt"));
  if (grantpt(m_master) != 0) return fail(ErrnoText("grantpt"));
  if (unlockpt(m_master) != 0) return fail(ErrnoText("unlockpt"));
  char name[128] = {};
  if (ptsname_r(m_master, name, sizeof name) != 0) return fail(ErrnoText("ptsname_r"));
  m_slavePath = name;
  // The master never blocks the thread: a tool that stops reading only delays the radios' bytes.
  int flags = fcntl(m_master, F_GETFL);
  if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
    return fail(ErrnoText("fcntl"));
  }
  m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (m_slave < 0) return fail(ErrnoText("open slave"));
  // A serial line does not echo. A fresh pty does, and would loop the radios' replies back to
  // them as if the tool had sent them, until the tool sets raw mode itself.
  termios attributes{};
  if (tcgetattr(m_slave, &attributes) == 0) {
    cfmakeraw(&attributes);
    tcsetattr(m_slave, TCSANOW, &attributes);
  }
  m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (m_wake < 0) return fail(ErrnoText("eventfd"));
  // Exclusive mode set by the tool outlives its close on a pty (the pty stays while the master is
  // open), so a non-root tool could never reopen its port. Watching the slave's opens and closes
  // lets the server lift it once the tool has let go, as a real serial device would.
  m_portWatch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (m_portWatch >= 0 && inotify_add_watch(m_portWatch, name, IN_OPEN | IN_CLOSE) < 0) {
    CloseIfOpen(m_portWatch);
  }
  m_thread = std::thread([this] { Run(); });
  return true;
}

void PtyRadioServer::Stop() {
  m_stopping = true;
  if (m_thread.joinable()) {
    Wake();
    m_thread.join();
  }
  CloseDescriptors();
  std::vector<std::filesystem::path> links;
  {
    std::lock_guard lock(m_mutex);
    links.swap(m_links);
  }
  for (const auto& link : links) RemovePortLink(link, m_slavePath);
}

void PtyRadioServer::CloseDescriptors() {
  CloseIfOpen(m_master);
  CloseIfOpen(m_slave);
  CloseIfOpen(m_wake);
  CloseIfOpen(m_portWatch);
}

std::string PtyRadioServer::SlavePath() const {
  return m_slavePath;
}

bool PtyRadioServer::LinkAs(const std::filesystem::path& portsDir, int number, std::string* error) {
  if (m_slavePath.empty()) {
    if (error != nullptr) *error = "the server is not started";
    return false;
  }
  std::optional<std::filesystem::path> link = CreatePortLink(portsDir, number, m_slavePath, error);
  if (!link) return false;
  std::lock_guard lock(m_mutex);
  m_links.push_back(*link);
  return true;
}

std::vector<LogEntry> PtyRadioServer::Log() const {
  std::lock_guard lock(m_mutex);
  return m_log;
}

void PtyRadioServer::ClearLog() {
  std::lock_guard lock(m_mutex);
  m_log.clear();
}

std::string PtyRadioServer::HeardBy(int slot) const {
  std::uint8_t bit = SlotBit(slot);
  std::lock_guard lock(m_mutex);
  std::string text;
  for (const LogEntry& entry : m_log) {
    if (entry.fromTool && (entry.heardBy & bit) != 0) text.push_back(static_cast<char>(entry.byte));
  }
  return text;
}

std::string PtyRadioServer::SentBy(int slot) const {
  std::uint8_t bit = SlotBit(slot);
  std::lock_guard lock(m_mutex);
  std::string text;
  for (const LogEntry& entry : m_log) {
    if (!entry.fromTool && entry.delivered && (entry.heardBy & bit) != 0) {
      text.push_back(static_cast<char>(entry.byte));
    }
  }
  return text;
}

void PtyRadioServer::SetLogListener(LogListener listener) {
  std::lock_guard lock(m_mutex);
  m_listener = std::move(listener);
}

RadioConfig PtyRadioServer::Radio(int slot) const {
  std::lock_guard lock(m_mutex);
  return m_pair.Radio(slot);
}

void PtyRadioServer::SetRadio(int slot, const RadioConfig& config) {
  {
    std::lock_guard lock(m_mutex);
    m_pair.SetRadio(slot, config);
  }
  Wake();  // a new delay or hang-up count changes what the thread waits for
}

bool PtyRadioServer::InCommandMode(int slot) const {
  std::lock_guard lock(m_mutex);
  return m_pair.InCommandMode(slot);
}

bool PtyRadioServer::HungUp() const {
  std::lock_guard lock(m_mutex);
  return m_hungUp;
}

std::uint64_t PtyRadioServer::NowUs() const {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                        std::chrono::steady_clock::now() - m_start)
                                        .count());
}

void PtyRadioServer::Wake() {
  if (m_wake < 0) return;
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(m_wake, &one, sizeof one);
}

void PtyRadioServer::Publish(const std::vector<LogEntry>& entries) {
  if (entries.empty()) return;
  LogListener listener;
  {
    std::lock_guard lock(m_mutex);
    listener = m_listener;
  }
  if (listener) listener(entries);
}

void PtyRadioServer::Run() {
  while (!m_stopping) {
    std::optional<std::uint64_t> nextDue;
    bool wantWrite = false;
    {
      std::lock_guard lock(m_mutex);
      std::optional<std::size_t> limit = m_pair.HangUpAfterBytes();
      if (limit && m_received >= *limit) HangUpLocked();
      if (m_hungUp) return;
      nextDue = m_pair.NextDueUs();
      wantWrite = !m_outgoing.empty();
    }
    pollfd fds[3] = {{m_wake, POLLIN, 0},
                     {m_master, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
                     {m_portWatch, POLLIN, 0}};
    timespec timeout{};
    timespec* timeoutPointer = nullptr;
    if (nextDue) {
      std::uint64_t now = NowUs();
      std::uint64_t wait = *nextDue > now ? *nextDue - now : 0;
      timeout.tv_sec = static_cast<time_t>(wait / 1000000);
      timeout.tv_nsec = static_cast<long>((wait % 1000000) * 1000);
      timeoutPointer = &timeout;
    }
    if (ppoll(fds, m_portWatch >= 0 ? 3 : 2, timeoutPointer, nullptr) < 0 && errno != EINTR) {
      return;
    }
    if ((fds[0].revents & POLLIN) != 0) {
      std::uint64_t count = 0;
      [[maybe_unused]] ssize_t drained = read(m_wake, &count, sizeof count);
    }
    if (m_stopping) return;
    if ((fds[2].revents & POLLIN) != 0) TrackPortOpens();
    if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0 && !ReadFromTool()) {
      // With the server's own slave descriptor open the master should never report a hang-up;
      // if it does anyway, back off instead of spinning on it.
      timespec pause{0, 20 * 1000 * 1000};
      nanosleep(&pause, nullptr);
    }
    SendDueReplies();
  }
}

bool PtyRadioServer::ReadFromTool() {
  unsigned char buffer[4096];
  ssize_t count = read(m_master, buffer, sizeof buffer);
  if (count <= 0) return count < 0 && (errno == EAGAIN || errno == EINTR);
  std::vector<LogEntry> entries;
  {
    std::lock_guard lock(m_mutex);
    std::uint64_t now = NowUs();
    // The tool sets the speed on the slave; a pty master reports the slave's settings.
    std::uint32_t speed = LineSpeedOf(m_master);
    for (ssize_t i = 0; i < count && !m_hungUp; ++i) {
      LogEntry entry;
      entry.timeUs = now;
      entry.fromTool = true;
      entry.speed = speed;
      entry.byte = buffer[i];
      entry.roles = m_pair.Roles();  // before the byte: a completed line may change a role
      entry.heardBy = m_pair.Receive(buffer[i], speed, now);
      m_log.push_back(entry);
      entries.push_back(entry);
      ++m_received;
      std::optional<std::size_t> limit = m_pair.HangUpAfterBytes();
      if (limit && m_received >= *limit) HangUpLocked();
    }
  }
  Publish(entries);
  return true;
}

void PtyRadioServer::SendDueReplies() {
  std::vector<LogEntry> entries;
  {
    std::lock_guard lock(m_mutex);
    if (m_hungUp) return;
    std::uint64_t now = NowUs();
    std::vector<ScheduledReply> due = m_pair.TakeDue(now);
    std::uint32_t lineSpeed = due.empty() ? 0 : LineSpeedOf(m_master);
    for (const ScheduledReply& reply : due) {
      for (char c : reply.bytes) {
        LogEntry entry;
        entry.timeUs = now;
        entry.fromTool = false;
        entry.speed = reply.speed;
        entry.heardBy = SlotBit(reply.slot);
        entry.byte = static_cast<std::uint8_t>(c);
        entry.roles = m_pair.Roles();
        if (reply.speed == lineSpeed) {
          m_outgoing.push_back(entry);
        } else {
          // The tool has moved to another speed meanwhile; it would read only garbage.
          entry.delivered = false;
          m_log.push_back(entry);
          entries.push_back(entry);
        }
      }
    }
    FlushOutgoing(entries);
  }
  Publish(entries);
}

void PtyRadioServer::FlushOutgoing(std::vector<LogEntry>& written) {
  if (m_outgoing.empty()) return;
  std::string bytes;
  for (const LogEntry& entry : m_outgoing) bytes.push_back(static_cast<char>(entry.byte));
  ssize_t count = write(m_master, bytes.data(), bytes.size());
  if (count <= 0) return;  // full for now; the thread waits for POLLOUT
  std::uint64_t now = NowUs();
  for (ssize_t i = 0; i < count; ++i) {
    m_outgoing[static_cast<std::size_t>(i)].timeUs = now;
    m_log.push_back(m_outgoing[static_cast<std::size_t>(i)]);
    written.push_back(m_outgoing[static_cast<std::size_t>(i)]);
  }
  m_outgoing.erase(m_outgoing.begin(), m_outgoing.begin() + count);
}

void PtyRadioServer::TrackPortOpens() {
  alignas(inotify_event) char buffer[4096];
  ssize_t count = read(m_portWatch, buffer, sizeof buffer);
  for (ssize_t offset = 0; offset < count;) {
    const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
    offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    if ((event->mask & IN_OPEN) != 0) ++m_toolOpens;
    if ((event->mask & IN_CLOSE) != 0 && --m_toolOpens <= 0) {
      m_toolOpens = 0;
      std::lock_guard lock(m_mutex);
      if (!m_hungUp) ioctl(m_slave, TIOCNXCL);
    }
  }
}

void PtyRadioServer::HangUpLocked() {
  if (m_hungUp) return;
  m_hungUp = true;
  m_pair.TakeDue(std::numeric_limits<std::uint64_t>::max());
  m_outgoing.clear();
  CloseIfOpen(m_master);
  CloseIfOpen(m_slave);
}

}  // namespace zorveth::sim
