#include <winsock2.h>
#include <ws2tcpip.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "port/tcp_connection.h"

namespace zorveth {
namespace {

const std::intptr_t kNoSocket = static_cast<std::intptr_t>(INVALID_SOCKET);

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

}  // namespace

TcpConnection::TcpConnection() : m_socket(kNoSocket) {}

TcpConnection::~TcpConnection() {
  Close();
}

bool TcpConnection::Connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs,
                            std::string& error) {
  Close();
  if (!StartWinsock()) {
    error = "Winsock did not start";
    return false;
  }
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* addresses = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses) != 0) {
    error = ErrorText(WSAGetLastError());
    return false;
  }
  int lastError = WSAETIMEDOUT;
  for (addrinfo* address = addresses; address != nullptr; address = address->ai_next) {
    SOCKET s = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (connect(s, address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
      lastError = WSAGetLastError();
      closesocket(s);
      continue;
    }
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG left = deadline > now ? deadline - now : 0;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval wait = {static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    int ready = select(0, nullptr, &writable, &failed, &wait);
    if (ready <= 0 || FD_ISSET(s, &failed)) {
      int soError = 0;
      int length = sizeof soError;
      getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
      lastError = ready == 0 ? WSAETIMEDOUT : (soError != 0 ? soError : WSAECONNREFUSED);
      closesocket(s);
      continue;
    }
    nonBlocking = 0;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    m_socket = static_cast<std::intptr_t>(s);
    break;
  }
  freeaddrinfo(addresses);
  if (m_socket == kNoSocket) {
    error = lastError == WSAETIMEDOUT ? "no answer within " + std::to_string(timeoutMs) + " ms"
                                      : ErrorText(lastError);
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
    int sent =
        send(AsSocket(m_socket), reinterpret_cast<const char*>(data), static_cast<int>(length), 0);
    if (sent == SOCKET_ERROR) return false;
    data += sent;
    length -= static_cast<std::size_t>(sent);
  }
  return true;
}

long TcpConnection::Receive(std::uint8_t* buffer, std::size_t capacity, std::uint32_t timeoutMs) {
  if (m_socket == kNoSocket) return -1;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(AsSocket(m_socket), &readable);
  timeval wait = {static_cast<long>(timeoutMs / 1000),
                  static_cast<long>((timeoutMs % 1000) * 1000)};
  int ready = select(0, &readable, nullptr, nullptr, &wait);
  if (ready == SOCKET_ERROR) return -1;
  if (ready == 0) return 0;
  int got =
      recv(AsSocket(m_socket), reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0);
  return got > 0 ? static_cast<long>(got) : -1;
}

void TcpConnection::Close() {
  if (m_socket == kNoSocket) return;
  closesocket(AsSocket(m_socket));
  m_socket = kNoSocket;
}

}  // namespace zorveth
