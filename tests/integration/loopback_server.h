#pragma once

// A device server on the loopback that a test scripts, for the network
// port's tests.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "port/network_port.h"

namespace zorveth::testing {

using namespace std::chrono_literals;

inline std::int64_t ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               since)
      .count();
}

// A listening socket on 127.0.0.1 and a free port.
inline int Listen(std::uint16_t& port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, 4);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// A device server that agrees to everything (or, when silent, to nothing),
// confirms the speed, records what it gets and sends what the test says.
class ScriptedServer {
 public:
  explicit ScriptedServer(bool negotiates) : m_negotiates(negotiates) {
    m_listener = Listen(m_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~ScriptedServer() {
    m_stop = true;
    m_thread.join();
    close(m_listener);
  }
  std::string Url() const { return "rfc2217://127.0.0.1:" + std::to_string(m_port); }
  std::string Received() {
    std::lock_guard lock(m_mutex);
    return m_received;
  }
  // Whether bytes arrived within a second.
  bool Got(const std::string& bytes) {
    for (int i = 0; i < 200; ++i) {
      if (Received().find(bytes) != std::string::npos) return true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  void Send(const std::string& bytes) {
    std::lock_guard lock(m_mutex);
    m_toSend += bytes;
  }

 private:
  void Serve() {
    int client = -1;
    while (!m_stop) {
      if (client < 0) {
        pollfd pfd = {m_listener, POLLIN, 0};
        if (poll(&pfd, 1, 10) > 0) client = accept(m_listener, nullptr, nullptr);
        continue;
      }
      {
        std::lock_guard lock(m_mutex);
        if (!m_toSend.empty()) {
          (void)!write(client, m_toSend.data(), m_toSend.size());
          m_toSend.clear();
        }
      }
      pollfd pfd = {client, POLLIN, 0};
      if (poll(&pfd, 1, 5) <= 0) continue;
      char buffer[256];
      ssize_t got = read(client, buffer, sizeof buffer);
      if (got <= 0) {
        close(client);
        client = -1;
        continue;
      }
      std::lock_guard lock(m_mutex);
      m_received.append(buffer, static_cast<std::size_t>(got));
      if (m_negotiates) Answer(client);
    }
    if (client >= 0) close(client);
  }
  // DO for the client's WILLs, WILL for its DOs, and the speed's answer.
  void Answer(int client) {
    std::string reply;
    for (; m_parsed + 2 < m_received.size(); ++m_parsed) {
      const auto at = [&](std::size_t i) { return static_cast<unsigned char>(m_received[i]); };
      if (at(m_parsed) != 255) continue;
      if (at(m_parsed + 1) == 251) reply += std::string("\xFF\xFD") + m_received[m_parsed + 2];
      if (at(m_parsed + 1) == 253) reply += std::string("\xFF\xFB") + m_received[m_parsed + 2];
      if (at(m_parsed + 1) == 250 && m_parsed + 3 < m_received.size() && at(m_parsed + 3) == 1) {
        reply += std::string("\xFF\xFA\x2C\x65\x00\x00\x25\x80\xFF\xF0", 10);
      }
    }
    if (!reply.empty()) (void)!write(client, reply.data(), reply.size());
  }

  bool m_negotiates;
  int m_listener = -1;
  std::uint16_t m_port = 0;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::string m_received;
  std::string m_toSend;
  std::size_t m_parsed = 0;
  std::thread m_thread;
};

inline std::unique_ptr<CNetworkPort> PortFor(const std::string& url) {
  auto address = ParseNetworkPortName(url);
  EXPECT_TRUE(address) << url;
  auto port = std::make_unique<CNetworkPort>(*address);
  port->SetParams(0, 9600);
  return port;
}

}  // namespace zorveth::testing
