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

PtyRadioServer::PtyRadioServer(PairConfig config) : pair_(std::move(config)) {}

PtyRadioServer::~PtyRadioServer() {
  Stop();
}

bool PtyRadioServer::Start(std::string* error) {
  auto fail = [this, error](const std::string& message) {
    if (error != nullptr) *error = message;
    CloseDescriptors();
    return false;
  };
  if (started_) return fail("the server was already started");
  started_ = true;
  start_ = std::chrono::steady_clock::now();

  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return fail(ErrnoText("posix_openpt"));
  if (grantpt(master_) != 0) return fail(ErrnoText("grantpt"));
  if (unlockpt(master_) != 0) return fail(ErrnoText("unlockpt"));
  char name[128] = {};
  if (ptsname_r(master_, name, sizeof name) != 0) return fail(ErrnoText("ptsname_r"));
  slavePath_ = name;
  // The master never blocks the thread: a tool that stops reading only delays the radios' bytes.
  int flags = fcntl(master_, F_GETFL);
  if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
    return fail(ErrnoText("fcntl"));
  }
  slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) return fail(ErrnoText("open slave"));
  // A serial line does not echo. A fresh pty does, and would loop the radios' replies back to
  // them as if the tool had sent them, until the tool sets raw mode itself.
  termios attributes{};
  if (tcgetattr(slave_, &attributes) == 0) {
    cfmakeraw(&attributes);
    tcsetattr(slave_, TCSANOW, &attributes);
  }
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) return fail(ErrnoText("eventfd"));
  // Exclusive mode set by the tool outlives its close on a pty (the pty stays while the master is
  // open), so a non-root tool could never reopen its port. Watching the slave's opens and closes
  // lets the server lift it once the tool has let go, as a real serial device would.
  portWatch_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (portWatch_ >= 0 && inotify_add_watch(portWatch_, name, IN_OPEN | IN_CLOSE) < 0) {
    CloseIfOpen(portWatch_);
  }
  thread_ = std::thread([this] { Run(); });
  return true;
}

void PtyRadioServer::Stop() {
  stopping_ = true;
  if (thread_.joinable()) {
    Wake();
    thread_.join();
  }
  CloseDescriptors();
  std::vector<std::filesystem::path> links;
  {
    std::lock_guard lock(mutex_);
    links.swap(links_);
  }
  for (const auto& link : links) RemovePortLink(link, slavePath_);
}

void PtyRadioServer::CloseDescriptors() {
  CloseIfOpen(master_);
  CloseIfOpen(slave_);
  CloseIfOpen(wake_);
  CloseIfOpen(portWatch_);
}

std::string PtyRadioServer::SlavePath() const {
  return slavePath_;
}

bool PtyRadioServer::LinkAs(const std::filesystem::path& portsDir, int number, std::string* error) {
  if (slavePath_.empty()) {
    if (error != nullptr) *error = "the server is not started";
    return false;
  }
  std::optional<std::filesystem::path> link = CreatePortLink(portsDir, number, slavePath_, error);
  if (!link) return false;
  std::lock_guard lock(mutex_);
  links_.push_back(*link);
  return true;
}

std::vector<LogEntry> PtyRadioServer::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void PtyRadioServer::ClearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

std::string PtyRadioServer::HeardBy(int slot) const {
  std::uint8_t bit = SlotBit(slot);
  std::lock_guard lock(mutex_);
  std::string text;
  for (const LogEntry& entry : log_) {
    if (entry.fromTool && (entry.heardBy & bit) != 0) text.push_back(static_cast<char>(entry.byte));
  }
  return text;
}

std::string PtyRadioServer::SentBy(int slot) const {
  std::uint8_t bit = SlotBit(slot);
  std::lock_guard lock(mutex_);
  std::string text;
  for (const LogEntry& entry : log_) {
    if (!entry.fromTool && entry.delivered && (entry.heardBy & bit) != 0) {
      text.push_back(static_cast<char>(entry.byte));
    }
  }
  return text;
}

void PtyRadioServer::SetLogListener(LogListener listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

RadioConfig PtyRadioServer::Radio(int slot) const {
  std::lock_guard lock(mutex_);
  return pair_.Radio(slot);
}

void PtyRadioServer::SetRadio(int slot, const RadioConfig& config) {
  {
    std::lock_guard lock(mutex_);
    pair_.SetRadio(slot, config);
  }
  Wake();  // a new delay or hang-up count changes what the thread waits for
}

bool PtyRadioServer::InCommandMode(int slot) const {
  std::lock_guard lock(mutex_);
  return pair_.InCommandMode(slot);
}

bool PtyRadioServer::HungUp() const {
  std::lock_guard lock(mutex_);
  return hungUp_;
}

std::uint64_t PtyRadioServer::NowUs() const {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                        std::chrono::steady_clock::now() - start_)
                                        .count());
}

void PtyRadioServer::Wake() {
  if (wake_ < 0) return;
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(wake_, &one, sizeof one);
}

void PtyRadioServer::Publish(const std::vector<LogEntry>& entries) {
  if (entries.empty()) return;
  LogListener listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener(entries);
}

void PtyRadioServer::Run() {
  while (!stopping_) {
    std::optional<std::uint64_t> nextDue;
    bool wantWrite = false;
    {
      std::lock_guard lock(mutex_);
      std::optional<std::size_t> limit = pair_.HangUpAfterBytes();
      if (limit && received_ >= *limit) HangUpLocked();
      if (hungUp_) return;
      nextDue = pair_.NextDueUs();
      wantWrite = !outgoing_.empty();
    }
    pollfd fds[3] = {{wake_, POLLIN, 0},
                     {master_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
                     {portWatch_, POLLIN, 0}};
    timespec timeout{};
    timespec* timeoutPointer = nullptr;
    if (nextDue) {
      std::uint64_t now = NowUs();
      std::uint64_t wait = *nextDue > now ? *nextDue - now : 0;
      timeout.tv_sec = static_cast<time_t>(wait / 1000000);
      timeout.tv_nsec = static_cast<long>((wait % 1000000) * 1000);
      timeoutPointer = &timeout;
    }
    if (ppoll(fds, portWatch_ >= 0 ? 3 : 2, timeoutPointer, nullptr) < 0 && errno != EINTR) {
      return;
    }
    if ((fds[0].revents & POLLIN) != 0) {
      std::uint64_t count = 0;
      [[maybe_unused]] ssize_t drained = read(wake_, &count, sizeof count);
    }
    if (stopping_) return;
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
  ssize_t count = read(master_, buffer, sizeof buffer);
  if (count <= 0) return count < 0 && (errno == EAGAIN || errno == EINTR);
  std::vector<LogEntry> entries;
  {
    std::lock_guard lock(mutex_);
    std::uint64_t now = NowUs();
    // The tool sets the speed on the slave; a pty master reports the slave's settings.
    std::uint32_t speed = LineSpeedOf(master_);
    for (ssize_t i = 0; i < count && !hungUp_; ++i) {
      LogEntry entry;
      entry.timeUs = now;
      entry.fromTool = true;
      entry.speed = speed;
      entry.byte = buffer[i];
      entry.roles = pair_.Roles();  // before the byte: a completed line may change a role
      entry.heardBy = pair_.Receive(buffer[i], speed, now);
      log_.push_back(entry);
      entries.push_back(entry);
      ++received_;
      std::optional<std::size_t> limit = pair_.HangUpAfterBytes();
      if (limit && received_ >= *limit) HangUpLocked();
    }
  }
  Publish(entries);
  return true;
}

void PtyRadioServer::SendDueReplies() {
  std::vector<LogEntry> entries;
  {
    std::lock_guard lock(mutex_);
    if (hungUp_) return;
    std::uint64_t now = NowUs();
    std::vector<ScheduledReply> due = pair_.TakeDue(now);
    std::uint32_t lineSpeed = due.empty() ? 0 : LineSpeedOf(master_);
    for (const ScheduledReply& reply : due) {
      for (char c : reply.bytes) {
        LogEntry entry;
        entry.timeUs = now;
        entry.fromTool = false;
        entry.speed = reply.speed;
        entry.heardBy = SlotBit(reply.slot);
        entry.byte = static_cast<std::uint8_t>(c);
        entry.roles = pair_.Roles();
        if (reply.speed == lineSpeed) {
          outgoing_.push_back(entry);
        } else {
          // The tool has moved to another speed meanwhile; it would read only garbage.
          entry.delivered = false;
          log_.push_back(entry);
          entries.push_back(entry);
        }
      }
    }
    FlushOutgoing(entries);
  }
  Publish(entries);
}

void PtyRadioServer::FlushOutgoing(std::vector<LogEntry>& written) {
  if (outgoing_.empty()) return;
  std::string bytes;
  for (const LogEntry& entry : outgoing_) bytes.push_back(static_cast<char>(entry.byte));
  ssize_t count = write(master_, bytes.data(), bytes.size());
  if (count <= 0) return;  // full for now; the thread waits for POLLOUT
  std::uint64_t now = NowUs();
  for (ssize_t i = 0; i < count; ++i) {
    outgoing_[static_cast<std::size_t>(i)].timeUs = now;
    log_.push_back(outgoing_[static_cast<std::size_t>(i)]);
    written.push_back(outgoing_[static_cast<std::size_t>(i)]);
  }
  outgoing_.erase(outgoing_.begin(), outgoing_.begin() + count);
}

void PtyRadioServer::TrackPortOpens() {
  alignas(inotify_event) char buffer[4096];
  ssize_t count = read(portWatch_, buffer, sizeof buffer);
  for (ssize_t offset = 0; offset < count;) {
    const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
    offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    if ((event->mask & IN_OPEN) != 0) ++toolOpens_;
    if ((event->mask & IN_CLOSE) != 0 && --toolOpens_ <= 0) {
      toolOpens_ = 0;
      std::lock_guard lock(mutex_);
      if (!hungUp_) ioctl(slave_, TIOCNXCL);
    }
  }
}

void PtyRadioServer::HangUpLocked() {
  if (hungUp_) return;
  hungUp_ = true;
  pair_.TakeDue(std::numeric_limits<std::uint64_t>::max());
  outgoing_.clear();
  CloseIfOpen(master_);
  CloseIfOpen(slave_);
}

}  // namespace zorveth::sim
