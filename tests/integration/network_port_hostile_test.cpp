// The network port against device servers that lie, stall, babble or hang
// up: each ends with the right outcome or a clear reason, within a generous
// time and without growing memory.
#include <sys/resource.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "port/cancellation.h"
#include "tests/integration/hostile_server.h"

namespace zorveth::testing {
namespace {

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A server that negotiates as the policy says and then holds the line open.
HostileServer::Script Negotiating(ServerPolicy policy) {
  return [policy](HostileServer& server, int client) { server.Converse(client, policy, 20000); };
}

// Whether the server received bytes within a few seconds.
bool ServerGot(HostileServer& server, const std::string& bytes) {
  for (int i = 0; i < 400; ++i) {
    if (server.Received().find(bytes) != std::string::npos) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

std::string ReadFor(CNetworkPort& port, int reads) {
  std::string got;
  std::uint8_t byte = 0;
  for (int i = 0; i < reads; ++i) {
    if (port.ReadByte(&byte) == 1) got.push_back(static_cast<char>(byte));
  }
  return got;
}

// A case that hangs ends the test program with its name rather than
// leaving the run to the test driver's own time-out.
class Watchdog {
 public:
  explicit Watchdog(const char* what)
      : m_thread([this, what] {
          std::unique_lock lock(m_mutex);
          if (!m_done.wait_for(lock, 60s, [this] { return m_finished; })) {
            std::fprintf(stderr, "hung: %s\n", what);
            std::abort();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(m_mutex);
      m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_done;
  bool m_finished = false;
  std::thread m_thread;
};

struct HostileCase {
  const char* what;
  HostileServer::Script script;  // none: nobody listens
  // The Open's reason after the address and ": "; empty: the Open succeeds.
  std::string openError;
  std::function<void(CNetworkPort&, HostileServer&)> then;
  int receiveBuffer = 0;
};

// The scripts of the servers and what the test does with an opened port.
void Flood(HostileServer& server, int client) {
  const std::string chunk(65536, 'x');
  for (int i = 0; i < 3000 && !server.Stopping(); ++i) {
    (void)!send(client, chunk.data(), chunk.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    server.Converse(client, {}, 1);
  }
}
void ReadsAndPurgesInTheFlood(CNetworkPort& port, HostileServer&) {
  EXPECT_EQ(ReadFor(port, 1), "x");
  EXPECT_TRUE(port.Purge());
}

void StopsReadingAndFlipsAnOption(HostileServer& server, int client) {
  server.Converse(client, {}, 300);
  std::string flips;
  for (int i = 0; i < 200000; ++i) flips += "\xFF\xFD\x03\xFF\xFE\x03";
  server.SendAll(client, flips);
}
void WritesUntilAWriteFails(CNetworkPort& port, HostileServer&) {
  std::this_thread::sleep_for(400ms);
  const std::string block(32000, 'a');
  std::int16_t status = kPortOk;
  for (int i = 0; i < 2000 && status == kPortOk; ++i) {
    ReadFor(port, 1);
    status = port.Write(block.data(), static_cast<std::int16_t>(block.size()));
  }
  EXPECT_EQ(status, kPortWriteFailed);
  EXPECT_EQ(ReadFor(port, 2), "");
}

void PlainTelnet(HostileServer& server, int client) {
  const ServerPolicy plain{false, true, std::nullopt, false};
  server.Converse(client, plain, 300);
  server.SendAll(client, std::string("OK\r\0", 4));
  server.Converse(client, plain, 20000);
}
void CrNulBothWays(CNetworkPort& port, HostileServer& server) {
  EXPECT_EQ(ReadFor(port, 40), "OK\r");  // the NUL after the CR is no data
  EXPECT_EQ(port.Write("ATE\r", 4), kPortOk);
  EXPECT_TRUE(ServerGot(server, std::string("ATE\r\0", 5)));
}

void StaleBytes(HostileServer& server, int client) {
  server.Converse(client, {}, 300);
  server.SendAll(client, std::string(3000, 'z') + "END");
  server.Converse(client, {}, 20000);
}
void NoStaleByteAfterThePurge(CNetworkPort& port, HostileServer& server) {
  // The first stale byte is read, then the rest is all in: none of it is
  // read after the purge.
  std::string before;
  for (int i = 0; i < 200 && before.empty(); ++i) before = ReadFor(port, 1);
  ASSERT_EQ(before, "z");
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(port.Purge());
  EXPECT_EQ(ReadFor(port, 4), "");
  EXPECT_TRUE(ServerGot(server, std::string("\xFF\xFA\x2C\x0C\x01\xFF\xF0", 7)));
}

void OptionLoop(HostileServer& server, int client) {
  server.SendAll(client, "\xFF\xFD\x18\xFF\xFB\x01");
  server.Converse(client, {true, true, std::nullopt, true}, 20000);
}
void EachRefusalSentOnce(CNetworkPort& port, HostileServer& server) {
  ReadFor(port, 10);
  const std::string got = server.Received();
  const auto count = [&](const std::string& bytes) {
    std::size_t n = 0;
    for (auto at = got.find(bytes); at != std::string::npos; at = got.find(bytes, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("\xFF\xFC\x18"), 1u);  // WONT terminal type, once
  EXPECT_EQ(count("\xFF\xFE\x01"), 1u);  // DONT echo, once
}

std::vector<HostileCase> Cases() {
  const std::string none;
  return {
      {"lying speed reply", Negotiating({true, true, 9600, false}),
       "the server set 9600 baud when 38400 was asked", nullptr},
      {"no speed reply", Negotiating({true, false, std::nullopt, false}),
       "the server did not confirm 38400 baud within 1 s", nullptr},
      {"flood of data", Flood, none, ReadsAndPurgesInTheFlood},
      {"stops reading while sending option requests", StopsReadingAndFlipsAnOption, none,
       WritesUntilAWriteFails, 4096},
      {"plain Telnet with CR NUL", PlainTelnet, none, CrNulBothWays},
      {"3000 stale bytes before the escape", StaleBytes, none, NoStaleByteAfterThePurge},
      {"an option loop", OptionLoop, none, EachRefusalSentOnce},
      {"close right after accept", [](HostileServer&, int client) { shutdown(client, SHUT_RDWR); },
       "the connection was lost", nullptr},
      {"refused connection", nullptr, "connection refused", nullptr},
  };
}

TEST(NetworkPortAgainstHostileServers, EachEndsWithItsOutcomeInBoundedTimeAndMemory) {
  for (auto& c : Cases()) {
    SCOPED_TRACE(c.what);
    Watchdog watchdog(c.what);
    std::unique_ptr<HostileServer> server;
    std::string url;
    if (c.script) {
      server = std::make_unique<HostileServer>(c.script, c.receiveBuffer);
      url = server->Url();
    } else {
      std::uint16_t closed = 0;
      close(Listen(closed));
      url = "rfc2217://127.0.0.1:" + std::to_string(closed);
    }
    const long rssBefore = PeakRssKb();
    const auto start = std::chrono::steady_clock::now();
    auto port = PortFor(url);
    port->SetParams(0, 38400);
    const std::int16_t opened = port->Open();
    if (c.openError.empty()) {
      ASSERT_EQ(opened, kPortOk) << port->LastOpenError();
      if (c.then) c.then(*port, *server);
    } else {
      EXPECT_EQ(opened, kPortOpenFailed);
      EXPECT_EQ(port->LastOpenError(), url + ": " + c.openError);
    }
    port->Close();
    server.reset();
    EXPECT_LT(ElapsedMs(start), 20000);
    EXPECT_LT(PeakRssKb() - rssBefore, 64 * 1024);
  }
}

TEST(NetworkPortAgainstHostileServers, AnInterruptEndsTheOpenAtOnce) {
  HostileServer silent([](HostileServer&, int) {});
  auto port = PortFor(silent.Url());
  CancellationToken token;
  port->WakeOn(&token);
  std::thread interrupt([&] {
    std::this_thread::sleep_for(100ms);
    token.Cancel();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port->Open(), kPortOpenFailed);
  interrupt.join();
  EXPECT_LT(ElapsedMs(start), 3000);
  EXPECT_EQ(port->LastOpenError(), silent.Url() + ": interrupted");
  port->Close();
}

}  // namespace
}  // namespace zorveth::testing
