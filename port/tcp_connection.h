#pragma once

// A TCP connection that never blocks: the little a network port needs of the
// platform's sockets (BSD sockets or Winsock, chosen by which .cpp the build
// compiles). Every call returns at once except Wait, which waits at most the
// time it is given and ends early on an interrupt; the caller keeps the
// deadlines on its own clock.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zorveth {

class CancellationToken;

// The byte pipe under a network port; TcpConnection in production, a
// scripted one in tests.
class NetworkChannel {
 public:
  enum class Progress { Connecting, Connected, Failed };

  virtual ~NetworkChannel() = default;

  // Starts to connect to host:port: the name lookup runs in a worker thread
  // whose answer is dropped when nobody waits for it any more.
  virtual void StartConnect(const std::string& host, std::uint16_t port) = 0;
  // Where the connect stands; error says why once it failed ("connection
  // refused", "host not found", ...).
  virtual Progress ConnectProgress(std::string& error) = 0;
  virtual bool IsOpen() const = 0;
  // Sends what the system takes now: the count (maybe 0), -1 on a failed
  // connection.
  virtual long SendSome(const std::uint8_t* data, std::size_t length) = 0;
  // Reads what has arrived: the count, 0 when nothing has, -1 when the
  // connection was closed or failed.
  virtual long ReceiveSome(std::uint8_t* buffer, std::size_t capacity) = 0;
  // Waits up to timeoutMs for data to read (for room to send, when asked;
  // for the connect's end, while connecting), or until the token is set.
  virtual void Wait(bool forSending, std::uint32_t timeoutMs, const CancellationToken* token) = 0;
  virtual void Close() = 0;
};

class TcpConnection final : public NetworkChannel {
 public:
  TcpConnection();
  ~TcpConnection() override;
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  void StartConnect(const std::string& host, std::uint16_t port) override;
  Progress ConnectProgress(std::string& error) override;
  bool IsOpen() const override;
  long SendSome(const std::uint8_t* data, std::size_t length) override;
  long ReceiveSome(std::uint8_t* buffer, std::size_t capacity) override;
  void Wait(bool forSending, std::uint32_t timeoutMs, const CancellationToken* token) override;
  void Close() override;

  struct Lookup;

 private:
  bool TryNextAddress();
  // Takes the name lookup's answer once it came and starts to connect to
  // its first address: a Progress to report (Connecting while there is no
  // answer yet, Failed with m_error saying why), or none to go on.
  std::optional<Progress> FromLookup();
  // The resolver's reason for a failed lookup, in words.
  static std::string LookupErrorText(int status);

  std::intptr_t m_socket;
  bool m_connected = false;
  std::string m_error;
  int m_lastError = 0;
  std::shared_ptr<Lookup> m_lookup;
  // The addresses of the finished lookup still to try, and the next one.
  void* m_addresses = nullptr;
  void* m_next = nullptr;
};

}  // namespace zorveth
