#pragma once

// A TCP connection with bounded waits, the little a network port needs of
// the platform's sockets (BSD sockets or Winsock, chosen by which .cpp the
// build compiles).
#include <cstddef>
#include <cstdint>
#include <string>

namespace zorveth {

class TcpConnection {
 public:
  TcpConnection();
  ~TcpConnection();
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  // Connects to host:port within timeoutMs; false with error set to the
  // system's reason ("connection refused", "timed out", ...).
  bool Connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs,
               std::string& error);
  bool IsOpen() const;
  // Sends every byte; false when the connection failed.
  bool SendAll(const std::uint8_t* data, std::size_t length);
  // Waits up to timeoutMs for data and reads what is there: the count read,
  // 0 when nothing came in time, -1 when the connection was closed or failed.
  long Receive(std::uint8_t* buffer, std::size_t capacity, std::uint32_t timeoutMs);
  void Close();

 private:
  std::intptr_t m_socket;
};

}  // namespace zorveth
