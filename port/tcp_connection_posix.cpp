#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "port/tcp_connection.h"

namespace zorveth {
namespace {

constexpr std::intptr_t kNoSocket = -1;

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Connects one address without blocking past the deadline.
int ConnectOne(const addrinfo& address, std::int64_t deadline, int& error) {
  int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  int flags = fcntl(fd, F_GETFL);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
    error = errno;
    ::close(fd);
    return -1;
  }
  for (;;) {
    const std::int64_t left = deadline - NowMs();
    if (left <= 0) {
      error = ETIMEDOUT;
      ::close(fd);
      return -1;
    }
    pollfd pfd = {fd, POLLOUT, 0};
    int ready = ::poll(&pfd, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    socklen_t length = sizeof error;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
      ::close(fd);
      return -1;
    }
    break;
  }
  fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  // The radios' dialogue is a few bytes at a time: no waiting to fill a
  // segment.
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

}  // namespace

TcpConnection::TcpConnection() : m_socket(kNoSocket) {}

TcpConnection::~TcpConnection() {
  Close();
}

bool TcpConnection::Connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs,
                            std::string& error) {
  Close();
  const std::int64_t deadline = NowMs() + timeoutMs;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* addresses = nullptr;
  int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses);
  if (resolved != 0) {
    error = gai_strerror(resolved);
    return false;
  }
  int lastError = 0;
  for (addrinfo* address = addresses; address != nullptr; address = address->ai_next) {
    int fd = ConnectOne(*address, deadline, lastError);
    if (fd >= 0) {
      m_socket = fd;
      break;
    }
  }
  ::freeaddrinfo(addresses);
  if (m_socket == kNoSocket) {
    error = lastError == ETIMEDOUT ? "no answer within " + std::to_string(timeoutMs) + " ms"
                                   : std::strerror(lastError);
    // "Connection refused" reads better in the middle of a sentence.
    if (!error.empty()) error[0] = static_cast<char>(std::tolower(error[0]));
    return false;
  }
  return true;
}

bool TcpConnection::IsOpen() const {
  return m_socket != kNoSocket;
}

bool TcpConnection::SendAll(const std::uint8_t* data, std::size_t length) {
  if (m_socket == kNoSocket) return false;
  while (length > 0) {
    ssize_t sent = ::send(static_cast<int>(m_socket), data, length, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += sent;
    length -= static_cast<std::size_t>(sent);
  }
  return true;
}

long TcpConnection::Receive(std::uint8_t* buffer, std::size_t capacity, std::uint32_t timeoutMs) {
  if (m_socket == kNoSocket) return -1;
  const std::int64_t deadline = NowMs() + timeoutMs;
  for (;;) {
    const std::int64_t left = deadline - NowMs();
    pollfd pfd = {static_cast<int>(m_socket), POLLIN, 0};
    int ready = ::poll(&pfd, 1, left > 0 ? static_cast<int>(left) : 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return -1;
    if (ready == 0) return 0;
    ssize_t got = ::recv(static_cast<int>(m_socket), buffer, capacity, 0);
    if (got < 0 && errno == EINTR) continue;
    return got > 0 ? static_cast<long>(got) : -1;
  }
}

void TcpConnection::Close() {
  if (m_socket == kNoSocket) return;
  ::close(static_cast<int>(m_socket));
  m_socket = kNoSocket;
}

}  // namespace zorveth
