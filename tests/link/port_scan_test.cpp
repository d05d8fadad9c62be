// The scan of one port on the fake port and clock, and the workers that run
// several such scans at once.
#include "link/port_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "tests/support/fake_radio.h"
#include "tests/support/scan_summary.h"

namespace zorveth::testing {
namespace {

class PortScanTest : public ::testing::Test {
 protected:
  PortScanTest() {
    client.escape = "+C\r";
    client.registers = {{"C", "70"}, {"M", "2"}, {"ID", "500"}};
    ConnectRadios(port, {&server, &client});
  }
  PortScanResult Scan(const std::string& entry = "COM5 (pts/3)") {
    return ScanPort(entry, port, clock, [this](const std::string& s) { statuses.push_back(s); });
  }
  // Time of the first event with this text, since the clock's start.
  std::uint64_t TimeOf(const std::string& what) const {
    for (const auto& e : port.Events()) {
      if (e.what == what) return e.timeMs;
    }
    ADD_FAILURE() << "no event " << what;
    return 0;
  }

  FakeClock clock;
  FakeSerialPort port{clock};
  FakeRadio server;
  FakeRadio client;
  std::vector<std::string> statuses;
};

TEST_F(PortScanTest, FindsBothRadiosEachAtItsOwnSpeedAndReadsOnlyThreeRegisters) {
  server.speed = 9600;
  client.speed = 2400;
  PortScanResult result = Scan();
  EXPECT_EQ(result.outcome, PortScanOutcome::Found);
  EXPECT_EQ(result.port, "COM5 (pts/3)");
  EXPECT_EQ(result.portNumber, 5);
  EXPECT_EQ(port.PortNumber(), 5);
  const std::vector<ScannedRadio> expected = {{RadioRole::Server, 9600, 67, 1, 111},
                                              {RadioRole::Client, 2400, 70, 2, 500}};
  EXPECT_EQ(Summaries(result.radios), expected);
  // The Server as a Server poll finds it, then the Client as a Client poll
  // finds it, every speed from the top.
  EXPECT_EQ(port.Written(38400), "+S\r+C\r+C\r+C\r");
  EXPECT_EQ(port.Written(19200), "+S\r+C\r+C\r+C\r");
  EXPECT_EQ(port.Written(9600), "+S\rATC\rATM\rATID\rATE\r+C\r+C\r+C\r");
  EXPECT_EQ(port.Written(4800), "+C\r+C\r+C\r");
  EXPECT_EQ(port.Written(2400), "+C\rATC\rATM\rATID\rATE\r");
  // Progress at every speed tried, then what was found.
  const std::vector<std::string> said = {
      "searching 38400 baud...",
      "searching 19200 baud...",
      "searching 9600 baud...",
      "searching 38400 baud...",
      "searching 19200 baud...",
      "searching 9600 baud...",
      "searching 4800 baud...",
      "searching 2400 baud...",
      "Server at 9600 baud, channel 67, system ID 111; Client at 2400 baud, channel 70, system "
      "ID 500"};
  EXPECT_EQ(statuses, said);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(server.inCommandMode);
  EXPECT_FALSE(client.inCommandMode);
}

TEST_F(PortScanTest, ClientIsQueriedOnlyAfterItsSettlingPause) {
  server.powered = false;
  client.speed = 38400;
  PortScanResult result = Scan();
  ASSERT_EQ(result.radios.size(), 1u);
  EXPECT_EQ(result.radios[0].role, RadioRole::Client);
  // The prompt comes 2 ms after the escape; the first query 420 ms later.
  std::uint64_t escape = 0;
  for (const auto& e : port.Events()) {
    if (e.what == "write +C\r") escape = e.timeMs;  // the last one
  }
  EXPECT_GE(TimeOf("write ATC\r"), escape + 420);
  EXPECT_LT(TimeOf("write ATC\r"), escape + 420 + 60);
}

TEST_F(PortScanTest, EmptyPortIsProbedAtEverySpeedForBothRolesAndHasNoAnswer) {
  server.powered = false;
  client.powered = false;
  PortScanResult result = Scan("COM8");
  EXPECT_EQ(result.outcome, PortScanOutcome::NoAnswer);
  EXPECT_TRUE(result.radios.empty());
  EXPECT_EQ(port.OpenCount(), 10);
  for (std::uint32_t speed : {38400u, 19200u, 9600u, 4800u, 2400u}) {
    EXPECT_EQ(port.Written(speed), "+S\r+C\r+C\r+C\r") << speed;
  }
  // Five silent Server waits and fifteen Client waits of 200 ms each.
  EXPECT_GE(clock.Elapsed(), 20u * 200);
  EXPECT_LT(clock.Elapsed(), 20u * 260);
}

TEST_F(PortScanTest, RadioWithoutQueryRepliesIsFoundWithUnreadRegisters) {
  server.speed = 38400;
  server.answersQueries = false;
  client.powered = false;
  PortScanResult result = Scan();
  EXPECT_EQ(result.outcome, PortScanOutcome::Found);
  ASSERT_EQ(result.radios.size(), 1u);
  EXPECT_EQ(result.radios[0].answeredAt, 38400u);
  EXPECT_EQ(result.radios[0].Register("C"), std::nullopt);
  EXPECT_EQ(result.radios[0].Register("ID"), std::nullopt);
  // The Server is not looked for at slower speeds once it has answered.
  EXPECT_EQ(port.Written(19200), "+C\r+C\r+C\r");
  EXPECT_TRUE(port.Written(38400).ends_with("ATE\r+C\r+C\r+C\r"));
}

TEST_F(PortScanTest, PortThatOpensAtNoSpeedSaysWhyAndSendsNothing) {
  const std::pair<OpenFailure, PortScanOutcome> cases[] = {
      {OpenFailure::Busy, PortScanOutcome::Busy},
      {OpenFailure::AccessDenied, PortScanOutcome::AccessDenied},
      {OpenFailure::NoSuchPort, PortScanOutcome::NoSuchPort},
      {OpenFailure::Other, PortScanOutcome::OpenFailed},
  };
  for (const auto& [failure, outcome] : cases) {
    FakeSerialPort refusing(clock);
    refusing.failAllOpens = true;
    refusing.failureKind = failure;
    PortScanResult result = ScanPort("COM9", refusing, clock);
    EXPECT_EQ(result.outcome, outcome) << OutcomeText(outcome);
    EXPECT_EQ(result.openError, "COM9: open refused");
    EXPECT_EQ(PortStatusText(result), OutcomeText(outcome));
    // Each role at every speed, each failed open released as the port
    // contract asks, and nothing sent.
    EXPECT_EQ(refusing.OpenCount(), 0);
    EXPECT_EQ(refusing.Events().size(), 20u);
    EXPECT_EQ(refusing.Written(), "");
  }
}

TEST_F(PortScanTest, ASpeedThatDoesNotOpenHidesNeitherRadio) {
  server.speed = 38400;
  port.failOpenAt = {9600};
  client.speed = 4800;
  PortScanResult result = Scan();
  EXPECT_EQ(result.outcome, PortScanOutcome::Found);
  const std::vector<ScannedRadio> expected = {{RadioRole::Server, 38400, 67, 1, 111},
                                              {RadioRole::Client, 4800, 70, 2, 500}};
  EXPECT_EQ(Summaries(result.radios), expected);
  // The Client's search notes the speed the port would not open at.
  const std::vector<SpeedTried>& tried = result.radios[1].tried;
  ASSERT_EQ(tried.size(), 4u);
  EXPECT_FALSE(tried[2].opened);
  EXPECT_EQ(tried[2].speed, 9600u);
  EXPECT_EQ(tried[2].openError, "COM5: open refused");
  EXPECT_TRUE(tried[3].opened);
}

// A device that takes no data (hardware handshake held off, a wedged
// adapter): given up after its first stalled write, keeping what it found.
TEST_F(PortScanTest, APortWhoseWritesStallIsGivenUp) {
  server.powered = false;
  port.stallWrites = true;
  PortScanResult result = Scan("COM6");
  EXPECT_EQ(result.outcome, PortScanOutcome::Stalled);
  EXPECT_EQ(PortStatusText(result), "stopped accepting data");
  EXPECT_EQ(port.OpenCount(), 1);
  EXPECT_LT(clock.Elapsed(), 2000u);
}

TEST_F(PortScanTest, InterruptionEndsCommandModeClosesThePortAndKeepsWhatWasFound) {
  server.speed = 19200;
  client.speed = 19200;
  CancellationToken token;
  // Interrupted while the Client is being queried.
  port.SetResponder([this, &token](FakeSerialPort& p, const std::string& bytes, std::uint32_t s) {
    server.Hear(p, bytes, s);
    client.Hear(p, bytes, s);
    if (bytes == "ATM\r" && client.inCommandMode) token.Cancel();
  });
  CancellablePort cancellable(port, clock, token);
  CancellableClock cancellableClock(clock, token);
  PortScanResult result = ScanPort("COM5", cancellable, cancellableClock);
  EXPECT_EQ(result.outcome, PortScanOutcome::Cancelled);
  ASSERT_EQ(result.radios.size(), 1u);
  EXPECT_EQ(result.radios[0].role, RadioRole::Server);
  EXPECT_TRUE(port.Written(19200).ends_with("+C\rATC\rATM\rATE\r"));
  EXPECT_TRUE(cancellable.ExitSentOnCancel());
  EXPECT_FALSE(client.inCommandMode);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Written(9600), "");
}

// The workers, with scanners that stand in for ports.

PortScanResult FoundAt(const std::string& entry, std::uint32_t speed) {
  PortScanResult result;
  result.port = entry;
  result.outcome = PortScanOutcome::Found;
  result.radios.push_back(FoundRadio(RadioRole::Server, speed, 67, 1, 111));
  return result;
}

TEST(PortScanWorkers, ResultsComeInTheOrderOfThePortsWhateverOrderTheyFinishIn) {
  CancellationToken token;
  std::atomic<int> running{0};
  std::atomic<int> mostAtOnce{0};
  const std::vector<std::string> ports = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"};
  std::atomic<int> pumped{0};
  auto results = ScanPorts(
      ports, token, [&pumped] { ++pumped; },
      [&](const std::string& entry, const CancellationToken&, const ScanProgress&) {
        // Every worker waits (a generous while) for all the others to be
        // running: scanned one after the other, they never would be.
        int now = ++running;
        for (int waited = 0; running.load() < 6 && waited < 10000; ++waited) {
          SystemClock().SleepMs(1);
        }
        int seen = mostAtOnce.load();
        now = std::max(now, running.load());
        while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
        }
        // Later ports finish first; the first only once the caller has
        // had its events moved while it waited.
        SystemClock().SleepMs(static_cast<std::uint32_t>(10 * ('7' - entry.back())));
        for (int waited = 0; entry == "COM1" && pumped.load() == 0 && waited < 10000; ++waited) {
          SystemClock().SleepMs(1);
        }
        return FoundAt(entry, 9600);
      });
  ASSERT_EQ(results.size(), ports.size());
  for (std::size_t i = 0; i < ports.size(); ++i) EXPECT_EQ(results[i].port, ports[i]);
  EXPECT_EQ(mostAtOnce.load(), 6);  // the ports were scanned at the same time
  EXPECT_GT(pumped.load(), 0);      // the caller kept its events moving
}

TEST(PortScanWorkers, AScannerThatThrowsFailsOnlyItsOwnPort) {
  CancellationToken token;
  auto results =
      ScanPorts({"COM1", "COM2"}, token, {},
                [](const std::string& entry, const CancellationToken&, const ScanProgress&) {
                  if (entry == "COM2") throw std::runtime_error("driver fell over");
                  return FoundAt(entry, 4800);
                });
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].outcome, PortScanOutcome::Found);
  EXPECT_EQ(results[1].outcome, PortScanOutcome::OpenFailed);
  EXPECT_EQ(results[1].port, "COM2");
  EXPECT_EQ(results[1].portNumber, 2);
  EXPECT_EQ(results[1].openError, "driver fell over");
}

TEST(PortScanWorkers, CancellingReachesEveryWorker) {
  CancellationToken token;
  PortScan scan({"COM1", "COM2", "COM3"}, token,
                [](const std::string& entry, const CancellationToken& t, const ScanProgress&) {
                  while (!t.IsCancelled()) SystemClock().SleepMs(1);
                  PortScanResult result;
                  result.port = entry;
                  result.outcome = PortScanOutcome::Cancelled;
                  return result;
                });
  EXPECT_FALSE(scan.WaitFor(std::chrono::milliseconds(5)));
  token.Cancel();
  auto results = scan.Results();
  ASSERT_EQ(results.size(), 3u);
  for (const auto& r : results) EXPECT_EQ(r.outcome, PortScanOutcome::Cancelled);
}

TEST(PortScanWorkers, AScanThatRunsOutOfTimeCutsItsPortsShort) {
  CancellationToken token;
  PortScan scan(
      {"COM1", "COM2"}, token,
      [](const std::string& entry, const CancellationToken& t, const ScanProgress&) {
        if (entry == "COM1") return FoundAt(entry, 9600);
        while (!t.IsCancelled()) SystemClock().SleepMs(1);
        PortScanResult result;
        result.port = entry;
        result.outcome = PortScanOutcome::Cancelled;
        return result;
      },
      {}, std::chrono::milliseconds(30));
  auto results = scan.Results();
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].outcome, PortScanOutcome::Found);
  EXPECT_EQ(results[1].outcome, PortScanOutcome::CutShort);
  EXPECT_EQ(PortStatusText(results[1]), "cut short");
}

TEST(PortScanWorkers, NoPortsIsNoResults) {
  CancellationToken token;
  EXPECT_TRUE(ScanPorts({}, token, [] { FAIL() << "nothing to wait for"; }).empty());
}

TEST(PortScanWorkers, AlreadyInterruptedScanOpensNothing) {
  CancellationToken token;
  token.Cancel();
  auto results = ScanPorts({"COM77"}, token);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].outcome, PortScanOutcome::Cancelled);
  EXPECT_EQ(results[0].portNumber, 77);
}

}  // namespace
}  // namespace zorveth::testing
