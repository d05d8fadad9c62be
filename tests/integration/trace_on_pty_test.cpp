// The wire trace of real operations through the serial port on a pty,
// set against the simulator's own log of every byte on the line.
#include "link/configure.h"
#include "link/initialize.h"
#include "link/settings_poll.h"
#include "port/serial_port.h"
#include "tests/integration/simulated_link.h"
#include "tests/support/recording_feedback.h"
#include "trace/tracing_port.h"
#include "trace/wire_trace_format.h"

namespace zorveth::testing {
namespace {

using ByteAtSpeed = std::pair<char, std::uint32_t>;

class TraceOnPty : public SimulatedLink {
 protected:
  // The bytes of the trace in one direction, each with its speed; checks
  // that every line parses and time never goes back.
  std::vector<ByteAtSpeed> Traced(WireDirection direction) const {
    std::vector<ByteAtSpeed> bytes;
    const std::string text = log.Text();
    std::uint64_t lastMs = 0;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find('\n', start);
      const auto line = ParseWireTraceLine(std::string_view(text).substr(start, end - start));
      start = end + 1;
      EXPECT_TRUE(line);
      if (!line) continue;
      EXPECT_GE(line->timeMs, lastMs);
      lastMs = line->timeMs;
      EXPECT_EQ(line->port, "COM" + std::to_string(kComNumber));
      if (line->direction != direction) continue;
      for (char c : line->bytes) bytes.emplace_back(c, line->speed);
    }
    return bytes;
  }
  // The simulator's log: what the tool sent, or what the radios passed on.
  std::vector<ByteAtSpeed> Simulated(bool fromTool) const {
    std::vector<ByteAtSpeed> bytes;
    for (const auto& entry : server->Log()) {
      if (entry.fromTool == fromTool && entry.delivered) {
        bytes.emplace_back(static_cast<char>(entry.byte), entry.speed);
      }
    }
    return bytes;
  }
  // Every byte sent is in the trace with its speed, in order; every byte
  // received was one the radios passed on (a purge may discard some unread).
  void ExpectTraceMatchesSimulator() {
    EXPECT_EQ(Traced(WireDirection::Sent), Simulated(true));
    const auto received = Traced(WireDirection::Received);
    const auto delivered = Simulated(false);
    std::size_t next = 0;
    for (const auto& byte : received) {
      while (next < delivered.size() && delivered[next] != byte) ++next;
      ASSERT_LT(next, delivered.size()) << "received a byte the radios never sent";
      ++next;
    }
    EXPECT_FALSE(received.empty());
  }

  CSerialPort serial;
  WireLog log{SystemClock().NowMs()};
  TracingPort port{serial, SystemClock(), log};
  RecordingFeedback feedback;
  LinkChoices choices{"Vorlith Radio Control", "67", "19200", "COM12"};
};

TEST_F(TraceOnPty, PollBothAt9600) {
  pair.server.speed = pair.client.speed = 9600;
  Serve();
  log.BeginOperation("poll both");
  std::string portText = "COM12";
  SettingsPoll(portText, port, SystemClock(), feedback, feedback).PollBoth();
  EXPECT_TRUE(feedback.messages.empty());
  ExpectTraceMatchesSimulator();
  EXPECT_NE(log.Text().find(R"(-> 9600 COM12 poll both: query FP "ATFP\r")"), std::string::npos);
  EXPECT_NE(log.Text().find(R"(<- 9600 COM12 poll both: query FP "262\n\r")"), std::string::npos);
}

TEST_F(TraceOnPty, ConfigureAt19200AndAFailedServer) {
  pair.server.faults.writeReply = "Timed out\n\r";
  Serve();
  log.BeginOperation("configure");
  RadioConfigurator(port, SystemClock(), feedback).ConfigureRadios(choices, AdvancedSettings{});
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Server not Configured"});
  ExpectTraceMatchesSimulator();
  EXPECT_NE(log.Text().find(R"(configure: configuration line "Timed out\n\r")"), std::string::npos);
}

TEST_F(TraceOnPty, InitializeSendsItsLongLineByteByByte) {
  pair.server.powered = false;
  pair.client.speed = 4800;
  Serve();
  log.BeginOperation("init server");
  InitializeRadio(RadioRole::Server, choices, AdvancedSettings{}, port, SystemClock(), feedback);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Server Initialized"});
  ExpectTraceMatchesSimulator();
  const auto sent = Traced(WireDirection::Sent);
  EXPECT_EQ(sent.front(), ByteAtSpeed('+', 38400));
  EXPECT_EQ(sent.back(), ByteAtSpeed('\r', 4800));
}

}  // namespace
}  // namespace zorveth::testing
