#pragma once

// A device server on the loopback that misbehaves as the test asks: it
// accepts one connection and runs the test's script on it, with a Telnet
// negotiator the script can bend (agree or refuse binary, lie about the
// speed, ask again for every option refused).
#include <sys/socket.h>

#include <functional>
#include <optional>
#include <string>

#include "tests/integration/loopback_server.h"

namespace zorveth::testing {

struct ServerPolicy {
  bool binary = true;                  // agrees to binary both ways
  bool answersSpeed = true;            // answers SET-BAUDRATE at all
  std::optional<std::uint32_t> speed;  // the speed it names; none: the one asked
  bool asksAgain = false;              // renews every request we refuse
};

class HostileServer {
 public:
  using Script = std::function<void(HostileServer&, int client)>;

  explicit HostileServer(Script script, int receiveBuffer = 0) : m_script(std::move(script)) {
    m_listener = Listen(m_port);
    if (receiveBuffer > 0) {
      setsockopt(m_listener, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    m_thread = std::thread([this] { Run(); });
  }
  ~HostileServer() {
    m_stop = true;
    m_thread.join();
    close(m_listener);
  }
  std::string Url() const { return "rfc2217://127.0.0.1:" + std::to_string(m_port); }
  bool Stopping() const { return m_stop; }
  std::string Received() {
    std::lock_guard lock(m_mutex);
    return m_received;
  }

  // Reads and answers for ms milliseconds, or until the client leaves.
  void Converse(int client, const ServerPolicy& policy, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!m_stop && std::chrono::steady_clock::now() < end) {
      pollfd pfd = {client, POLLIN, 0};
      if (poll(&pfd, 1, 5) <= 0) continue;
      char buffer[4096];
      ssize_t got = read(client, buffer, sizeof buffer);
      if (got <= 0) return;
      std::lock_guard lock(m_mutex);
      m_received.append(buffer, static_cast<std::size_t>(got));
      const std::string reply = Answers(policy);
      if (!reply.empty()) (void)!write(client, reply.data(), reply.size());
    }
  }
  // Sends everything, however long the client takes (or until the test ends).
  void SendAll(int client, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size() && !m_stop) {
      pollfd pfd = {client, POLLOUT, 0};
      if (poll(&pfd, 1, 10) <= 0) continue;
      ssize_t sent = send(client, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (sent <= 0) return;
      done += static_cast<std::size_t>(sent);
    }
  }

 private:
  void Run() {
    int client = -1;
    while (!m_stop && client < 0) {
      pollfd pfd = {m_listener, POLLIN, 0};
      if (poll(&pfd, 1, 10) > 0) client = accept(m_listener, nullptr, nullptr);
    }
    if (client < 0) return;
    m_script(*this, client);
    // Hold the connection until the test is done with it.
    while (!m_stop) std::this_thread::sleep_for(5ms);
    close(client);
  }

  // The answers to every complete request received since the last call.
  std::string Answers(const ServerPolicy& policy) {
    std::string reply;
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(m_received[i]); };
    while (m_parsed + 2 < m_received.size()) {
      if (at(m_parsed) != 255) {
        ++m_parsed;
        continue;
      }
      const unsigned char verb = at(m_parsed + 1), option = at(m_parsed + 2);
      if (verb == 250) {
        const auto end = m_received.find("\xFF\xF0", m_parsed);
        if (end == std::string::npos) break;
        reply += SubReply(policy, m_received.substr(m_parsed + 3, end - m_parsed - 3));
        m_parsed = end + 2;
        continue;
      }
      const bool ours = option == 44 || option == 3 || (option == 0 && policy.binary);
      if (verb == 251) reply += Command(ours ? 253 : 254, option);  // WILL: DO or DONT
      if (verb == 253) reply += Command(ours && option != 44 ? 251 : 252, option);
      if (policy.asksAgain && verb == 252) reply += Command(253, option);  // WONT: DO again
      if (policy.asksAgain && verb == 254) reply += Command(251, option);  // DONT: WILL again
      m_parsed += verb >= 251 ? 3 : 2;
    }
    return reply;
  }
  static std::string Command(int verb, int option) {
    return {'\xFF', static_cast<char>(verb), static_cast<char>(option)};
  }
  // A Com Port Control command's answer: its number plus 100, the value as
  // given (the speed as the policy says).
  static std::string SubReply(const ServerPolicy& policy, const std::string& sub) {
    if (sub.empty()) return "";
    const auto command = static_cast<unsigned char>(sub[0]);
    std::string value = sub.substr(1);
    if (command == 1) {
      if (!policy.answersSpeed) return "";
      if (policy.speed) {
        const std::uint32_t s = *policy.speed;
        value = {static_cast<char>(s >> 24), static_cast<char>(s >> 16), static_cast<char>(s >> 8),
                 static_cast<char>(s)};
      }
    }
    return std::string("\xFF\xFA\x2C", 3) + static_cast<char>(command + 100) + value + "\xFF\xF0";
  }

  Script m_script;
  int m_listener = -1;
  std::uint16_t m_port = 0;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::string m_received;
  std::size_t m_parsed = 0;
  std::thread m_thread;
};

}  // namespace zorveth::testing
