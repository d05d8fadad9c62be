// Every wait of the protocol, pinned at its edge: an answer one millisecond
// inside a wait is taken, one millisecond outside it is not, and so what the
// operation does (what it sends, what it says) changes exactly there. The
// deadlines are written out here as the radios need them, not taken from the
// code: a wait moved by a few milliseconds, or a read time-out that no
// longer divides the waits, fails its row.
#include <gtest/gtest.h>

#include <functional>

#include "link/cancellable_port.h"
#include "link/configure.h"
#include "link/initialize.h"
#include "link/settings_poll.h"
#include "port/cancellation.h"
#include "tests/support/fake_radio.h"
#include "tests/support/recording_feedback.h"

namespace zorveth::testing {
namespace {

struct Pair {
  FakeClock clock;
  FakeSerialPort port{clock};
  FakeRadio server;
  FakeRadio client;
  RecordingFeedback feedback;

  explicit Pair(std::uint32_t readSliceMs) {
    client.escape = "+C\r";
    client.registers["M"] = "2";
    server.speed = client.speed = 38400;
    port.readSliceMs = readSliceMs;
    ConnectRadios(port, {&server, &client});
  }
  // What the operation did, as far as the radios and the user can tell:
  // what it sent, what it showed, and where it says each radio stands.
  std::string Summary(const OperationOutcome& outcome) const {
    std::string all;
    for (const std::string& write : port.Writes()) all += write + "|";
    for (const std::string& message : feedback.messages) all += message + "|";
    for (const RadioOutcome& radio : outcome.radios) {
      all += std::string(RoleName(radio.role)) + (radio.answeredAt ? " answered" : " silent") +
             " exit " + std::to_string(static_cast<int>(radio.exit)) + "|";
    }
    return all + std::to_string(feedback.lines.size());
  }
};

struct Wait {
  const char* what;
  std::uint64_t deadlineMs;
  // Makes the answer the wait is for arrive this long after the wait began.
  std::function<void(Pair&, std::uint64_t arrival)> delay;
  std::function<std::string(Pair&)> run;
};

std::string PollServer(Pair& p) {
  std::string text = "COM3";
  return p.Summary(SettingsPoll(text, p.port, p.clock, p.feedback, p.feedback).PollServer());
}

std::string PollClient(Pair& p) {
  std::string text = "COM3";
  return p.Summary(SettingsPoll(text, p.port, p.clock, p.feedback, p.feedback).PollClient());
}

std::string Configure(Pair& p) {
  LinkChoices choices;
  choices.comPort = "COM3";
  return p.Summary(
      RadioConfigurator(p.port, p.clock, p.feedback).ConfigureRadios(choices, AdvancedSettings{}));
}

std::string Initialize(Pair& p) {
  p.client.powered = false;
  LinkChoices choices;
  choices.comPort = "COM3";
  return p.Summary(
      InitializeRadio(RadioRole::Server, choices, AdvancedSettings{}, p.port, p.clock, p.feedback));
}

// An escape answered, then the interrupt: the one exit waits for its
// confirmation on its own.
std::string ExitAfterInterrupt(Pair& p) {
  CancellationToken token;
  CancellablePort port(p.port, p.clock, token);
  port.SetParams(3, 38400);
  port.Open();
  EnterCommandMode(port, p.clock, RadioRole::Server, 200);
  token.Cancel();
  port.Close();
  return p.Summary({}) + (port.ExitConfirmedOnCancel() ? " confirmed" : " not confirmed");
}

// The radio's answers come at once unless a row delays one of them.
void Prompt(FakeRadio& r, std::uint64_t at) {
  r.promptDelayMs = at;
}
void Exit(FakeRadio& r, std::uint64_t at) {
  r.replyDelayMs = 0;
  r.exitDelayMs = at;
}
// Configure and init read the echo of their line, then its reply.
void Echo(FakeRadio& r, std::uint64_t at) {
  r.promptDelayMs = 0;
  r.exitDelayMs = 0;
  r.replyDelayMs = at;
  r.lineReplyDelayMs = 0;
}
void LineReply(FakeRadio& r, std::uint64_t at) {
  r.replyDelayMs = 0;
  r.lineReplyDelayMs = at;
}
// Without an echo the reply is read as the echo while the echo's wait lasts.
void ReplyInsteadOfEcho(FakeRadio& r, std::uint64_t at) {
  LineReply(r, at);
  r.echo = false;
}

const Wait kWaits[] = {
    {"poll: Server prompt", 200, [](Pair& p, auto at) { Prompt(p.server, at); }, PollServer},
    {"poll: Client prompt", 200, [](Pair& p, auto at) { Prompt(p.client, at); }, PollClient},
    {"poll: rest of the prompt", 2000,
     [](Pair& p, auto at) {
       p.server.replyDelayMs = 0;
       p.server.promptRestDelayMs = at;
     },
     PollServer},
    {"poll: query reply", 400,
     [](Pair& p, auto at) {
       p.server.promptDelayMs = 0;
       p.server.echo = false;
       p.server.exitDelayMs = 0;
       p.server.replyDelayMs = at;
     },
     PollServer},
    {"poll: Server exit", 200, [](Pair& p, auto at) { Exit(p.server, at); }, PollServer},
    {"poll: Client exit", 200, [](Pair& p, auto at) { Exit(p.client, at); }, PollClient},
    {"configure: Client prompt", 300, [](Pair& p, auto at) { Prompt(p.client, at); }, Configure},
    {"configure: Server prompt", 400, [](Pair& p, auto at) { Prompt(p.server, at); }, Configure},
    {"configure: Client echo", 400, [](Pair& p, auto at) { Echo(p.client, at); }, Configure},
    {"configure: Server echo", 300, [](Pair& p, auto at) { Echo(p.server, at); }, Configure},
    {"configure: Client reply", 400, [](Pair& p, auto at) { LineReply(p.client, at); }, Configure},
    {"configure: Server reply", 400, [](Pair& p, auto at) { LineReply(p.server, at); }, Configure},
    {"configure: Client exit", 200, [](Pair& p, auto at) { Exit(p.client, at); }, Configure},
    {"configure: Server exit", 400, [](Pair& p, auto at) { Exit(p.server, at); }, Configure},
    {"init: prompt", 200, [](Pair& p, auto at) { Prompt(p.server, at); }, Initialize},
    {"init: echo", 500, [](Pair& p, auto at) { ReplyInsteadOfEcho(p.server, at); }, Initialize},
    {"init: reply", 2000, [](Pair& p, auto at) { LineReply(p.server, at); }, Initialize},
    {"init: exit", 400, [](Pair& p, auto at) { Exit(p.server, at); }, Initialize},
    {"exit after an interrupt", 400, [](Pair& p, auto at) { Exit(p.server, at); },
     ExitAfterInterrupt},
};

TEST(ProtocolWaitsTest, EachWaitEndsExactlyAtItsDeadline) {
  // Reads that come back after the port's own time-out, and reads that come
  // back early: the deadlines hold either way.
  for (std::uint32_t slice : {kReadByteTimeoutMs, std::uint32_t{10}}) {
    for (const Wait& wait : kWaits) {
      SCOPED_TRACE(std::string(wait.what) + ", reads of " + std::to_string(slice) + " ms");
      auto runWith = [&](std::uint64_t arrival) {
        Pair pair(slice);
        wait.delay(pair, arrival);
        return wait.run(pair);
      };
      const std::string inside = runWith(wait.deadlineMs - 1);
      EXPECT_EQ(runWith(0), inside) << "an answer just inside the wait is taken as one at once";
      EXPECT_NE(runWith(wait.deadlineMs + 1), inside) << "an answer after the wait is missed";
    }
  }
}

// When no radio answered at any speed, init still tells whoever may have
// heard an escape late to leave, and gives that exit its full wait.
TEST(ProtocolWaitsTest, AnInitThatFoundNoRadioWaitsOutItsLastExit) {
  Pair pair(kReadByteTimeoutMs);
  pair.server.powered = pair.client.powered = false;
  Initialize(pair);
  const auto& events = pair.port.Events();
  ASSERT_GE(events.size(), 2u);
  const auto& close = events.back();
  const auto& exit = events[events.size() - 2];
  EXPECT_EQ(exit.what, "write ATE\r");
  EXPECT_EQ(close.what, "close");
  EXPECT_EQ(close.timeMs - exit.timeMs, 200u);
}

}  // namespace
}  // namespace zorveth::testing
