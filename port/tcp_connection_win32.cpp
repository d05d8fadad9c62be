#include <winsock2.h>
#include <ws2tcpip.h>
// After the socket headers: it uses their types.
#include <mstcpip.h>

#include <algorithm>
#include <string>

#include "port/name_lookup.h"
#include "port/tcp_connection.h"

namespace zorveth {
namespace {

const std::intptr_t kNoSocket = static_cast<std::intptr_t>(INVALID_SOCKET);

// Winsock cannot wait on a socket and the interrupt's event at once with
// select: with a token, a wait looks at it this often.
constexpr std::uint32_t kTokenSliceMs = 20;

// Winsock is started once for the life of the program.
bool StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

std::string ErrorText(int error) {
  switch (error) {
    case WSAECONNREFUSED:
      return "connection refused";
    case WSAETIMEDOUT:
      return "timed out";
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
      return "no route to host";
    case WSAHOST_NOT_FOUND:
      return "host not found";
    default:
      return "socket error " + std::to_string(error);
  }
}

SOCKET AsSocket(std::intptr_t socket) {
  return static_cast<SOCKET>(socket);
}

timeval Timeval(std::uint32_t ms) {
  return {static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
}

bool WouldBlock() {
  const int error = WSAGetLastError();
  return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAEINPROGRESS;
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
  if (!StartWinsock()) {
    m_error = "Winsock did not start";
    return;
  }
  m_lookup = lookup::Start(host, port);
}

bool TcpConnection::TryNextAddress() {
  while (m_next != nullptr) {
    const auto* address = static_cast<addrinfo*>(m_next);
    m_next = address->ai_next;
    SOCKET s = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    if (s == INVALID_SOCKET) {
      m_lastError = WSAGetLastError();
      continue;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (connect(s, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0 ||
        WSAGetLastError() == WSAEWOULDBLOCK) {
      m_socket = static_cast<std::intptr_t>(s);
      return true;
    }
    m_lastError = WSAGetLastError();
    closesocket(s);
  }
  m_error = ErrorText(m_lastError != 0 ? m_lastError : WSAECONNREFUSED);
  return false;
}

std::string TcpConnection::LookupErrorText(int status) {
  return ErrorText(status != 0 ? status : WSAHOST_NOT_FOUND);
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
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(AsSocket(m_socket), &writable);
    FD_SET(AsSocket(m_socket), &failed);
    timeval now = {0, 0};
    if (select(0, nullptr, &writable, &failed, &now) <= 0) return Progress::Connecting;
    if (FD_ISSET(AsSocket(m_socket), &writable)) {
      BOOL one = TRUE;
      setsockopt(AsSocket(m_socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one),
                 sizeof one);
      // Acknowledge every segment at once: a device server's short answer
      // to a purge would otherwise hold its next reply back (Nagle's rule)
      // for as long as Windows delays an acknowledgement. Systems without
      // the setting keep their delay.
      DWORD everySegment = 1, returned = 0;
      WSAIoctl(AsSocket(m_socket), SIO_TCP_SET_ACK_FREQUENCY, &everySegment, sizeof everySegment,
               nullptr, 0, &returned, nullptr, nullptr);
      m_connected = true;
      return Progress::Connected;
    }
    int soError = 0;
    int length = sizeof soError;
    getsockopt(AsSocket(m_socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError),
               &length);
    m_lastError = soError != 0 ? soError : WSAECONNREFUSED;
    closesocket(AsSocket(m_socket));
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
  const int count = static_cast<int>(std::min<std::size_t>(length, 1u << 30));
  int sent = send(AsSocket(m_socket), reinterpret_cast<const char*>(data), count, 0);
  if (sent != SOCKET_ERROR) return sent;
  return WouldBlock() ? 0 : -1;
}

long TcpConnection::ReceiveSome(std::uint8_t* buffer, std::size_t capacity) {
  if (!m_connected) return -1;
  const int count = static_cast<int>(std::min<std::size_t>(capacity, 1u << 30));
  int got = recv(AsSocket(m_socket), reinterpret_cast<char*>(buffer), count, 0);
  if (got > 0) return got;
  if (got == 0) return -1;  // the server closed the connection
  return WouldBlock() ? 0 : -1;
}

void TcpConnection::Wait(bool forSending, std::uint32_t timeoutMs, const CancellationToken* token) {
  if (m_lookup) {
    lookup::Wait(*m_lookup, timeoutMs, token);
    return;
  }
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (token && token->IsCancelled()) return;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return;
    std::uint32_t slice = static_cast<std::uint32_t>(deadline - now);
    if (token) slice = std::min(slice, kTokenSliceMs);
    if (m_socket == kNoSocket) {
      Sleep(slice);
      continue;
    }
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(AsSocket(m_socket), &ready);
    FD_SET(AsSocket(m_socket), &failed);
    timeval wait = Timeval(slice);
    const bool sending = !m_connected || forSending;
    if (select(0, sending ? nullptr : &ready, sending ? &ready : nullptr, &failed, &wait) != 0)
      return;
  }
}

void TcpConnection::Close() {
  lookup::Abandon(m_lookup);
  m_lookup.reset();
  if (m_addresses) freeaddrinfo(static_cast<addrinfo*>(m_addresses));
  m_addresses = m_next = nullptr;
  if (m_socket != kNoSocket) closesocket(AsSocket(m_socket));
  m_socket = kNoSocket;
  m_connected = false;
}

}  // namespace zorveth
