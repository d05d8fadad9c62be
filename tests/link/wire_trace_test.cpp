// The wire trace on the fake clock: how received bytes are grouped, how
// steps are named, the text form and its escaping, and the bounds of the
// in-memory log.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "link/configure.h"
#include "link/initialize.h"
#include "link/settings_poll.h"
#include "tests/support/fake_radio.h"
#include "tests/support/recording_feedback.h"
#include "trace/tracing_port.h"
#include "trace/wire_trace_format.h"

namespace zorveth::testing {
namespace {

std::vector<ParsedWireTraceLine> Parse(const std::string& text) {
  std::vector<ParsedWireTraceLine> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    auto parsed = ParseWireTraceLine(std::string_view(text).substr(start, end - start));
    EXPECT_TRUE(parsed) << text.substr(start, end - start);
    if (parsed) lines.push_back(*parsed);
    start = end + 1;
  }
  return lines;
}

class TracedPort : public ::testing::Test {
 protected:
  TracedPort() {
    port.SetParams(4, 9600);
    port.Open();
  }
  std::vector<ParsedWireTraceLine> Lines() const { return Parse(log.Text()); }
  // Reads everything pending (the fake port advances the clock to each
  // byte's arrival).
  void ReadAll() {
    std::uint8_t byte = 0;
    while (traced.ReadByte(&byte) == 1) {
    }
  }

  FakeClock clock;
  FakeSerialPort port{clock};
  WireLog log{clock.NowMs()};
  TracingPort traced{port, clock, log};
};

TEST_F(TracedPort, ReceivedBytesAreGroupedByGapsAndSplitAfterEachCarriageReturn) {
  traced.Write("ATFP\r", 5);
  // Arrival times from now: the fake port queues each call's bytes at once.
  port.Send("262", 3);
  port.Send("\n\r", 8);     // 5 ms after the "2": still the same run
  port.Send("AB", 9);       // after a carriage return: a new entry
  port.Send("C", 15);       // 6 ms after the "B": a new entry
  port.Send("D\rE\r", 15);  // two line ends: two entries
  ReadAll();
  std::vector<std::string> received;
  for (const auto& line : Lines()) {
    if (line.direction == WireDirection::Received) received.push_back(line.bytes);
  }
  EXPECT_EQ(received, (std::vector<std::string>{"262\n\r", "AB", "CD\r", "E\r"}));
  EXPECT_EQ(Lines().at(1).timeMs, 3u);  // the first byte's arrival
}

TEST_F(TracedPort, AWriteACloseOrASpeedChangeEndsARun) {
  traced.Write("+S\r", 3);
  port.Send("-\n", 1);
  ReadAll();
  traced.Write("x", 1);  // a write between two bytes of a run
  port.Send("y", 0);
  ReadAll();
  traced.Close();
  traced.SetParams(4, 19200);
  traced.Open();
  traced.Write("z", 1);
  port.Send("q", 0);
  ReadAll();
  std::vector<std::pair<WireDirection, std::string>> entries;
  for (const auto& line : Lines()) entries.emplace_back(line.direction, line.bytes);
  using enum WireDirection;
  EXPECT_EQ(entries, (std::vector<std::pair<WireDirection, std::string>>{{Sent, "+S\r"},
                                                                         {Received, "-\n"},
                                                                         {Sent, "x"},
                                                                         {Received, "y"},
                                                                         {Sent, "z"},
                                                                         {Received, "q"}}));
  EXPECT_EQ(Lines().back().speed, 19200u);
}

TEST_F(TracedPort, AFailedWriteIsNotRecorded) {
  traced.Close();
  EXPECT_EQ(traced.Write("+S\r", 3), kPortWriteFailed);
  EXPECT_TRUE(log.Empty());
}

// The steps come from command mode, not from the bytes: every write of each
// operation carries the name of what it is, a line written byte by byte
// included, and the replies take the name of the write before them.
TEST(WireStep, EveryWriteOfEveryOperationIsNamedByWhatCommandModeSaid) {
  struct Case {
    const char* operation;
    std::function<void(CRadioPort&, Clock&, RecordingFeedback&)> run;
  };
  const Case cases[] = {
      {"poll both",
       [](CRadioPort& port, Clock& clock, RecordingFeedback& feedback) {
         std::string text = "COM2";
         SettingsPoll(text, port, clock, feedback, feedback).PollBoth();
       }},
      {"configure",
       [](CRadioPort& port, Clock& clock, RecordingFeedback& feedback) {
         RadioConfigurator(port, clock, feedback).ConfigureRadios(LinkChoices{}, {});
       }},
      {"init client",
       [](CRadioPort& port, Clock& clock, RecordingFeedback& feedback) {
         InitializeRadio(RadioRole::Client, LinkChoices{}, {}, port, clock, feedback);
       }},
      {"init server",
       [](CRadioPort& port, Clock& clock, RecordingFeedback& feedback) {
         LinkChoices other;
         other.technology = "Other";
         InitializeRadio(RadioRole::Server, other, {}, port, clock, feedback);
       }},
  };
  const std::map<std::string, std::string> names = {
      {"+S\r", "escape Server"}, {"+C\r", "escape Client"},   {"ATE\r", "leave command mode"},
      {"ATC\r", "query C"},      {"ATFP\r", "query FP"},      {"ATM\r", "query M"},
      {"ATID\r", "query ID"},    {"ATBA\r", "query BA"},      {"ATS\r", "query S"},
      {"ATREV\r", "query REV"},  {"Write successful\n\r", ""}};
  for (const Case& test : cases) {
    FakeClock clock;
    FakeSerialPort port(clock);
    FakeRadio server;
    FakeRadio client;
    client.escape = "+C\r";
    ConnectRadios(port, {&server, &client});
    WireLog log(clock.NowMs());
    TracingPort traced(port, clock, log);
    RecordingFeedback feedback;
    test.run(traced, clock, feedback);
    const std::string lineStep =
        std::string(test.operation) == "configure" ? "configuration line" : "initialization line";
    std::string lastSent;
    for (const auto& entry : Parse(log.Text())) {
      if (entry.direction == WireDirection::Received) {
        // A reply carries the name of what it answers.
        EXPECT_EQ(entry.step, lastSent) << test.operation << ": " << entry.bytes;
        continue;
      }
      auto known = names.find(entry.bytes);
      const std::string expected = known != names.end() ? known->second : lineStep;
      EXPECT_EQ(entry.step, expected) << test.operation << ": " << entry.bytes;
      lastSent = entry.step;
    }
  }
}

TEST(WireStep, ALineWrittenByteByByteIsNamedFromItsFirstByte) {
  FakeClock clock;
  FakeSerialPort port(clock);
  FakeRadio radio;
  radio.speed = 38400;
  radio.escape = "+C\r";
  ConnectRadios(port, {&radio});
  WireLog log(clock.NowMs());
  TracingPort traced(port, clock, log);
  log.BeginOperation("init server");
  RecordingFeedback feedback;
  LinkChoices choices;
  choices.comPort = "COM2";
  InitializeRadio(RadioRole::Server, choices, AdvancedSettings{}, traced, clock, feedback);
  ASSERT_EQ(feedback.messages, std::vector<std::string>{"Server Initialized"});

  std::string line;
  for (const auto& entry : Parse(log.Text())) {
    if (entry.direction == WireDirection::Sent && entry.bytes.size() == 1) {
      EXPECT_EQ(entry.step, "init server: initialization line") << entry.bytes;
      line += entry.bytes;
    }
    if (entry.bytes == "Write successful\n\r") {
      EXPECT_EQ(entry.step, "init server: initialization line");
    }
  }
  EXPECT_EQ(line, "ATC67FP262M1ID111BA4DA1TD1RF3IT0BR19200\r");
}

TEST(WireTraceText, BytesAreQuotedAsCStringLiterals) {
  const std::pair<std::string, const char*> cases[] = {
      {"+S\r", R"("+S\r")"},
      {"-\r\r\r\r", R"("-\r\r\r\r")"},
      {"67\n\r", R"("67\n\r")"},
      {"a\"b\\c\td", R"("a\"b\\c\td")"},
      {std::string("\0\x7f\xff", 3), R"("\x00\x7f\xff")"},
      // C would read the "A" into the escape before it.
      {"\x01"
       "A"
       "\x02"
       "g",
       R"("\x01\x41\x02g")"},
      {"", R"("")"},
  };
  for (const auto& [bytes, quoted] : cases) {
    EXPECT_EQ(QuoteBytes(bytes), quoted);
    EXPECT_EQ(UnquoteBytes(quoted), bytes) << quoted;
  }
  std::string every;
  for (int b = 0; b < 256; ++b) every.push_back(static_cast<char>(b));
  EXPECT_EQ(UnquoteBytes(QuoteBytes(every)), every);
  EXPECT_EQ(UnquoteBytes(R"("\101\0")"), std::string("A\0", 2));
  for (const char* bad : {"", "\"", "abc", R"("a"b")", R"("\x4")", R"("\q")", R"("\")"}) {
    EXPECT_FALSE(UnquoteBytes(bad)) << bad;
  }
}

TEST(WireTraceText, LinesFormatAndParseBack) {
  WireTraceEntry entry{12345, WireDirection::Received, "COM9", 19200, "query FP", "262\n\r"};
  const std::string line = FormatWireTraceLine(entry, "poll server", 12000);
  EXPECT_EQ(line, R"(0.345 <- 19200 COM9 poll server: query FP "262\n\r")");
  auto parsed = ParseWireTraceLine(line);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->timeMs, 345u);
  EXPECT_EQ(parsed->direction, WireDirection::Received);
  EXPECT_EQ(parsed->speed, 19200u);
  EXPECT_EQ(parsed->port, "COM9");
  EXPECT_EQ(parsed->step, "poll server: query FP");
  EXPECT_EQ(parsed->bytes, "262\n\r");

  entry.timeMs = 75003;
  entry.direction = WireDirection::Sent;
  EXPECT_EQ(FormatWireTraceLine(entry, "", 0), R"(75.003 -> 19200 COM9 query FP "262\n\r")");
  entry.step = "";
  EXPECT_EQ(FormatWireTraceLine(entry, "", 0), R"(75.003 -> 19200 COM9 - "262\n\r")");
  for (const char* bad :
       {"0.1 -> 9600 COM1 x \"a\"", "0.100 => 9600 COM1 x \"a\"", "0.100 -> fast COM1 x \"a\"",
        "0.100 -> 9600 COM1 x a", "0.100 -> 9600 COM1 x\"a\""}) {
    EXPECT_FALSE(ParseWireTraceLine(bad)) << bad;
  }
}

TEST(WireLogBounds, KeepsTheLastOperationsOnly) {
  WireLog log(0, 3);
  for (int i = 0; i < 5; ++i) {
    log.BeginOperation("op" + std::to_string(i));
    log.RecordSent(static_cast<std::uint64_t>(i) * 1000, "COM1", 9600, "escape Server", "+S\r");
  }
  EXPECT_EQ(log.OperationCount(), 3u);
  const auto lines = Parse(log.Text());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines.front().step, "op2: escape Server");
  EXPECT_EQ(lines.front().timeMs, 2000u);  // still counted from the log's start
  log.Clear();
  EXPECT_TRUE(log.Empty());
  EXPECT_EQ(log.Text(), "");
}

TEST(WireLogBounds, StaysWithinItsMemoryBudget) {
  constexpr std::size_t kBudget = 64 * 1024;
  WireLog log(0, 20, kBudget);
  log.BeginOperation("old");
  log.RecordSent(0, "COM1", 9600, "send", std::string(1000, 'x'));
  // An operation that outgrows the budget on its own pushes out the older
  // ones and then keeps its beginning.
  log.BeginOperation("flood");
  for (std::uint64_t t = 0; t < 100000; ++t) {
    log.RecordReceived(t * 10, "COM1", 9600, static_cast<std::uint8_t>(t % 256));
    EXPECT_LE(log.MemoryUse(), kBudget);
  }
  EXPECT_EQ(log.OperationCount(), 1u);
  EXPECT_GT(log.DroppedBytes(), 0u);
  const auto lines = Parse(log.Text());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().timeMs, 0u);
  EXPECT_EQ(lines.front().bytes, std::string(1, '\0'));

  // The default budget holds a megabyte at most, however much is recorded.
  WireLog bounded(0);
  for (int i = 0; i < 40; ++i) {
    bounded.BeginOperation("poll both");
    for (int j = 0; j < 2000; ++j)
      bounded.RecordSent(0, "COM1", 38400, "send", std::string(40, 'A'));
  }
  EXPECT_LE(bounded.MemoryUse(), WireLog::kDefaultMaxBytes);
  EXPECT_LE(bounded.OperationCount(), WireLog::kDefaultMaxOperations);
}

TEST(WireLogBounds, ATracedPollSendsWhatTheUntracedOneSends) {
  auto run = [](bool trace) {
    FakeClock clock;
    FakeSerialPort port(clock);
    FakeRadio server;
    server.speed = 4800;
    FakeRadio client;
    client.escape = "+C\r";
    client.speed = 4800;
    ConnectRadios(port, {&server, &client});
    WireLog log(clock.NowMs());
    log.BeginOperation("poll both");
    TracingPort traced(port, clock, log);
    RecordingFeedback feedback;
    std::string portText = "COM3";
    SettingsPoll poll(portText, trace ? static_cast<CRadioPort&>(traced) : port, clock, feedback,
                      feedback);
    poll.PollBoth();
    std::vector<std::string> events;
    for (const auto& event : port.Events()) {
      events.push_back(std::to_string(event.timeMs) + " " + event.what);
    }
    // What the trace says went out, with its speed and time, equals what
    // the port was given.
    std::string sent;
    for (const auto& line : Parse(log.Text())) {
      if (line.direction == WireDirection::Sent) sent += line.bytes;
    }
    EXPECT_EQ(sent, trace ? port.Written() : "");
    return std::make_pair(events, feedback.lines);
  };
  EXPECT_EQ(run(true), run(false));
}

}  // namespace
}  // namespace zorveth::testing
