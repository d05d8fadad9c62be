#include "link/signal_monitor.h"

#include <gtest/gtest.h>

#include <functional>

#include "port/cancellation.h"
#include "tests/support/fake_radio.h"

namespace zorveth::testing {
namespace {

class SignalMonitorTest : public ::testing::Test {
 protected:
  SignalMonitorTest() {
    client.escape = "+C\r";
    client.registers["M"] = "2";
    ConnectRadios(port, {&server, &client});
  }
  MonitorOutcome Run(MonitorSettings settings) {
    SignalMonitor monitor(port, clock, 3);
    return monitor.Run(settings, [this](const SignalSample& sample) {
      samples.push_back(sample);
      if (onSample) onSample(sample);
    });
  }
  std::vector<std::optional<std::uint16_t>> Values(RadioRole role) const {
    std::vector<std::optional<std::uint16_t>> values;
    for (const SignalSample& s : samples) {
      if (s.role == role) values.push_back(s.value);
    }
    return values;
  }
  std::vector<std::uint64_t> Times(RadioRole role) const {
    std::vector<std::uint64_t> times;
    for (const SignalSample& s : samples) {
      if (s.role == role) times.push_back(s.timeMs);
    }
    return times;
  }

  FakeClock clock;
  FakeSerialPort port{clock};
  FakeRadio server;
  FakeRadio client;
  std::vector<SignalSample> samples;
  std::function<void(const SignalSample&)> onSample;
};

TEST_F(SignalMonitorTest, EachSampleIsEscapeSignalQueryExitAndTheValuesComeInOrder) {
  // The Server's value changes after each of its samples.
  const std::vector<std::string> cycle = {"80", "75", "90"};
  std::size_t next = 0;
  server.registers["S"] = cycle[next];
  onSample = [&](const SignalSample& s) {
    if (s.role == RadioRole::Server) server.registers["S"] = cycle[++next % cycle.size()];
  };
  const MonitorOutcome outcome = Run({0, 3});
  EXPECT_EQ(outcome.end, MonitorEnd::RoundsDone);
  EXPECT_EQ(outcome.rounds, 3u);
  EXPECT_EQ(outcome.speeds[0], 9600u);
  EXPECT_EQ(outcome.speeds[1], 9600u);
  // The find looks at the faster speeds once, as a poll does.
  EXPECT_EQ(port.Written(38400), "+S\r");
  EXPECT_EQ(port.Written(19200), "+S\r");
  std::string round = "+S\rATS\rATE\r+C\rATS\rATE\r";
  EXPECT_EQ(port.Written(9600), round + round + round);
  using V = std::vector<std::optional<std::uint16_t>>;
  EXPECT_EQ(Values(RadioRole::Server), (V{80, 75, 90}));
  EXPECT_EQ(Values(RadioRole::Client), (V{87, 87, 87}));
  // Both radios share the speed: the port stays open at it.
  EXPECT_EQ(port.OpenCount(), 3);
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(SignalMonitorTest, TheClientSettlesBetweenItsPromptAndTheQuery) {
  server.speed = client.speed = 38400;
  Run({0, 1});
  std::uint64_t escapeAt = 0, queryAt = 0;
  for (const auto& e : port.Events()) {
    if (e.what == "write +C\r") escapeAt = e.timeMs;
    if (e.what == "write ATS\r" && escapeAt != 0) queryAt = e.timeMs;
  }
  EXPECT_GE(queryAt - escapeAt, 420u);
  EXPECT_LT(queryAt - escapeAt, 420u + 60u);
}

// The attempts of each step, as the poll makes them: what one sample of a
// radio sends, and whether it has a value.
TEST_F(SignalMonitorTest, AttemptsPerStepAreThePollsForEachRole) {
  struct Case {
    const char* what;
    RadioRole role;
    std::function<void(FakeRadio&)> fault;
    std::string sampleBytes;
    bool hasValue;
  };
  const std::vector<Case> cases = {
      {"server well", RadioRole::Server, [](FakeRadio&) {}, "+S\rATS\rATE\r", true},
      {"client well", RadioRole::Client, [](FakeRadio&) {}, "+C\rATS\rATE\r", true},
      {"client misses two escapes", RadioRole::Client, [](FakeRadio& r) { r.escapesIgnored = 2; },
       "+C\r+C\r+C\rATS\rATE\r", true},
      {"client off", RadioRole::Client, [](FakeRadio& r) { r.powered = false; }, "+C\r+C\r+C\r",
       false},
      {"server off", RadioRole::Server, [](FakeRadio& r) { r.powered = false; }, "+S\r", false},
      {"server gives no value", RadioRole::Server, [](FakeRadio& r) { r.answersQueries = false; },
       "+S\rATS\rATS\rATS\rATE\r", false},
      {"client does not confirm", RadioRole::Client, [](FakeRadio& r) { r.confirmsExit = false; },
       "+C\rATS\rATE\rATE\rATE\r", true},
      {"server does not confirm", RadioRole::Server, [](FakeRadio& r) { r.confirmsExit = false; },
       "+S\rATS\rATE\r", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeClock caseClock;
    FakeSerialPort casePort{caseClock};
    FakeRadio s, cl;
    s.speed = cl.speed = 38400;
    cl.escape = "+C\r";
    ConnectRadios(casePort, {&s, &cl});
    std::vector<SignalSample> got;
    SignalMonitor monitor(casePort, caseClock, 3);
    // The find, then one round whose sample of the faulty radio is looked at.
    monitor.Run({0, 1}, [](const SignalSample&) {});
    c.fault(c.role == RadioRole::Server ? s : cl);
    const std::size_t before = casePort.Written(38400).size();
    monitor.Run({0, 1}, [&](const SignalSample& sample) { got.push_back(sample); });
    const std::string round = casePort.Written(38400).substr(before);
    const std::string other = c.role == RadioRole::Server ? "+C\rATS\rATE\r" : "+S\rATS\rATE\r";
    EXPECT_EQ(round, c.role == RadioRole::Server ? c.sampleBytes + other : other + c.sampleBytes);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[c.role == RadioRole::Server ? 0 : 1].value.has_value(), c.hasValue);
  }
}

TEST_F(SignalMonitorTest, RoundsStartOnTheIntervalOrBackToBackWhenItIsShorter) {
  server.speed = client.speed = 38400;
  server.replyDelayMs = client.replyDelayMs = 0;
  struct Case {
    std::uint32_t intervalMs;
    std::vector<std::uint64_t> serverTimes;
  };
  // A round back to back: the Server's four exchanges (1 ms each for the
  // bytes to arrive) and the Client's settle; the Server's sample starts
  // each round.
  Run({0, 2});
  const std::uint64_t round = Times(RadioRole::Server).at(1);
  EXPECT_GE(round, 420u);
  EXPECT_LT(round, 500u);
  const std::vector<Case> cases = {
      {0, {0, round, 2 * round}},
      {100, {0, round, 2 * round}},
      {1000, {0, 1000, 2000}},
      {2500, {0, 2500, 5000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.intervalMs);
    samples.clear();
    Run({c.intervalMs, 3});
    EXPECT_EQ(Times(RadioRole::Server), c.serverTimes);
  }
}

TEST_F(SignalMonitorTest, ASilentClientIsMarkedWhileTheServerGoesOnUntilTenSeconds) {
  Run({0, 1});
  client.powered = false;
  samples.clear();
  const MonitorOutcome outcome = Run({});
  EXPECT_EQ(outcome.end, MonitorEnd::RadioSilent);
  EXPECT_EQ(outcome.silent, RadioRole::Client);
  const auto clientValues = Values(RadioRole::Client);
  const auto serverValues = Values(RadioRole::Server);
  EXPECT_GT(clientValues.size(), 5u);
  for (std::size_t i = 0; i < clientValues.size(); ++i) EXPECT_FALSE(clientValues[i]);
  for (const auto& v : serverValues) EXPECT_EQ(v, 87u);
  EXPECT_GE(samples.back().timeMs, kMonitorSilenceMs - 1000);
  EXPECT_LE(clock.Elapsed(), 2 * 12000u);
}

TEST_F(SignalMonitorTest, ARadioAtItsOwnSpeedIsFoundThereAndThePortFollowsIt) {
  client.speed = 4800;
  const MonitorOutcome outcome = Run({0, 2});
  EXPECT_EQ(outcome.speeds[0], 9600u);
  EXPECT_EQ(outcome.speeds[1], 4800u);
  // Looked for at the Server's speed first, then at the others.
  EXPECT_EQ(port.Written(9600), "+S\rATS\rATE\r+C\r+C\r+C\r+S\rATS\rATE\r");
  EXPECT_EQ(port.Written(4800), "+C\rATS\rATE\r+C\rATS\rATE\r");
  EXPECT_EQ(Values(RadioRole::Client).back(), 87u);
}

TEST_F(SignalMonitorTest, ADeviceThatGoesAwayOrNoRadioAtAllEndsIt) {
  client.speed = 4800;
  onSample = [&](const SignalSample&) {
    if (samples.size() == 3) port.failAllOpens = true;
  };
  MonitorOutcome outcome = Run({});
  EXPECT_EQ(outcome.end, MonitorEnd::DeviceGone);
  EXPECT_EQ(outcome.openError, "COM3: open refused");
  EXPECT_EQ(samples.size(), 3u);
  EXPECT_FALSE(port.IsOpen());

  port.failAllOpens = false;
  server.powered = client.powered = false;
  samples.clear();
  onSample = nullptr;
  outcome = Run({});
  EXPECT_EQ(outcome.end, MonitorEnd::NoRadio);
  ASSERT_EQ(samples.size(), 2u);
  EXPECT_FALSE(samples[0].value || samples[1].value);
}

TEST_F(SignalMonitorTest, AStopBeforeTheFirstSampleSendsNothing) {
  CancellationToken token;
  token.Cancel();
  CancellableClock cancellable(clock, token);
  SignalMonitor monitor(port, cancellable, 3);
  EXPECT_EQ(monitor.Run({}, [](const SignalSample&) {}).end, MonitorEnd::Interrupted);
  EXPECT_EQ(port.Written(), "");
}

TEST(SignalSummaryTest, CountsLostSamplesAndKeepsMinMeanMax) {
  SignalSummary summary;
  EXPECT_FALSE(summary.Mean());
  for (std::optional<std::uint16_t> v : {std::optional<std::uint16_t>(80), {}, {90}, {70}}) {
    summary.Add({0, RadioRole::Server, v});
  }
  EXPECT_EQ(summary.samples, 4u);
  EXPECT_EQ(summary.lost, 1u);
  EXPECT_EQ(summary.min, 70u);
  EXPECT_EQ(summary.max, 90u);
  EXPECT_DOUBLE_EQ(*summary.Mean(), 80.0);
}

}  // namespace
}  // namespace zorveth::testing
