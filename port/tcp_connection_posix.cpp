#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "port/name_lookup.h"
#include "port/tcp_connection.h"

namespace zorveth {
namespace {

constexpr std::intptr_t kNoSocket = -1;

// Acknowledge what came in at once rather than after the usual delay (up to
// 40 ms). A device server answers a purge with a short message; its kernel
// then holds the radios' next reply until that message is acknowledged
// (Nagle's rule), and our kernel waits for something to send back with the
// acknowledgement. Linux forgets the setting after a while, so it is set
// again after every read.
void QuickAck(int fd) {
#ifdef TCP_QUICKACK
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
#else
  (void)fd;
#endif
}

std::string Lowered(std::string text) {
  // "Connection refused" reads better in the middle of a sentence.
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace

TcpConnection::TcpConnection() : m_socket(kNoSocket) {}

TcpConnection::~TcpConnection() {
  Close();
}

void TcpConnection::StartConnect(const std::string& host, std::uint16_t port) {
  Close();
  m_error.clear();
  m_lastError = 0;
  m_lookup = lookup::Start(host, port);
}

bool TcpConnection::TryNextAddress() {
  while (m_next != nullptr) {
    const auto* address = static_cast<addrinfo*>(m_next);
    m_next = address->ai_next;
    int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                      address->ai_protocol);
    if (fd < 0) {
      m_lastError = errno;
      continue;
    }
    if (::connect(fd, address->ai_addr, address->ai_addrlen) == 0 || errno == EINPROGRESS) {
      m_socket = fd;
      return true;
    }
    m_lastError = errno;
    ::close(fd);
  }
  m_error = Lowered(std::strerror(m_lastError != 0 ? m_lastError : ECONNREFUSED));
  return false;
}

std::string TcpConnection::LookupErrorText(int status) {
  // EAI_SYSTEM's errno belongs to the lookup's own thread.
  if (status == EAI_SYSTEM || status == 0) return "the name lookup failed";
  return Lowered(gai_strerror(status));
}

NetworkChannel::Progress TcpConnection::ConnectProgress(std::string& error) {
  if (m_connected) return Progress::Connected;
  if (m_lookup) {
    if (auto progress = FromLookup()) {
      if (*progress == Progress::Failed) error = m_error;
      return *progress;
    }
  }
  while (m_socket != kNoSocket) {
    pollfd pfd = {static_cast<int>(m_socket), POLLOUT, 0};
    if (::poll(&pfd, 1, 0) <= 0) return Progress::Connecting;
    int soError = 0;
    socklen_t length = sizeof soError;
    getsockopt(static_cast<int>(m_socket), SOL_SOCKET, SO_ERROR, &soError, &length);
    if (soError == 0) {
      // The radios' dialogue is a few bytes at a time: no waiting to fill
      // a segment.
      int one = 1;
      setsockopt(static_cast<int>(m_socket), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      m_connected = true;
      return Progress::Connected;
    }
    m_lastError = soError;
    ::close(static_cast<int>(m_socket));
    m_socket = kNoSocket;
    if (!TryNextAddress()) break;
  }
  error = m_error.empty() ? "not connected" : m_error;
  return Progress::Failed;
}

bool TcpConnection::IsOpen() const {
  return m_connected;
}

long TcpConnection::SendSome(const std::uint8_t* data, std::size_t length) {
  if (!m_connected) return -1;
  ssize_t sent = ::send(static_cast<int>(m_socket), data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (sent >= 0) return static_cast<long>(sent);
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

long TcpConnection::ReceiveSome(std::uint8_t* buffer, std::size_t capacity) {
  if (!m_connected) return -1;
  ssize_t got = ::recv(static_cast<int>(m_socket), buffer, capacity, MSG_DONTWAIT);
  if (got > 0) {
    QuickAck(static_cast<int>(m_socket));
    return static_cast<long>(got);
  }
  if (got == 0) return -1;  // the server closed the connection
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

void TcpConnection::Wait(bool forSending, std::uint32_t timeoutMs, const CancellationToken* token) {
  if (m_lookup) {
    lookup::Wait(*m_lookup, timeoutMs, token);
    return;
  }
  pollfd fds[2];
  nfds_t count = 0;
  if (m_socket != kNoSocket) {
    const short events = !m_connected || forSending ? POLLOUT : POLLIN;
    fds[count++] = {static_cast<int>(m_socket), events, 0};
  }
  if (token && token->WakeHandle() >= 0) {
    fds[count++] = {static_cast<int>(token->WakeHandle()), POLLIN, 0};
  }
  // A signal cuts the wait short (EINTR); the caller's loop looks at its
  // deadline and waits on.
  ::poll(fds, count, static_cast<int>(timeoutMs));
}

void TcpConnection::Close() {
  lookup::Abandon(m_lookup);
  m_lookup.reset();
  if (m_addresses) ::freeaddrinfo(static_cast<addrinfo*>(m_addresses));
  m_addresses = m_next = nullptr;
  if (m_socket != kNoSocket) ::close(static_cast<int>(m_socket));
  m_socket = kNoSocket;
  m_connected = false;
}

}  // namespace zorveth
