#include "port/cancellation.h"

#include <gtest/gtest.h>

#include "link/cancellable_port.h"
#include "link/command_mode.h"
#include "link/initialize.h"
#include "tests/support/fake_radio.h"
#include "tests/support/recording_feedback.h"
#include "text/text_numbers.h"

namespace zorveth::testing {
namespace {

// What goes out when an interrupt arrives at a given moment of an exchange:
// at most one exit command, and only where a radio may be in command mode.
TEST(CancellablePortTest, CloseAfterAnInterruptSendsOneExitOnlyWhereNeeded) {
  struct Case {
    const char* moment;
    std::function<void(CRadioPort&, Clock&)> before;
    const char* sentAtClose;
  };
  const Case cases[] = {
      {"nothing sent yet", [](CRadioPort&, Clock&) {}, ""},
      {"after the prompt",
       [](CRadioPort& p, Clock& c) { EnterCommandMode(p, c, RadioRole::Server, 200); }, "ATE\r"},
      {"escape unanswered so far",
       [](CRadioPort& p, Clock& c) { EnterCommandMode(p, c, RadioRole::Client, 200); }, "ATE\r"},
      {"exit confirmed",
       [](CRadioPort& p, Clock& c) {
         EnterCommandMode(p, c, RadioRole::Server, 200);
         LeaveCommandMode(p, c, 200);
       },
       ""},
  };
  for (const auto& c : cases) {
    FakeClock clock;
    FakeSerialPort fake{clock};
    FakeRadio server;
    ConnectRadios(fake, {&server});
    CancellationToken token;
    CancellablePort port(fake, clock, token);
    port.SetParams(3, 9600);
    ASSERT_EQ(port.Open(), kPortOk);
    c.before(port, clock);
    const std::size_t writesBefore = fake.Writes().size();
    token.Cancel();
    EXPECT_THROW(port.Write("ATC\r", 4), OperationCancelled) << c.moment;
    std::uint8_t byte = 0;
    EXPECT_THROW(port.ReadByte(&byte), OperationCancelled) << c.moment;
    port.Close();
    std::string sent;
    for (std::size_t i = writesBefore; i < fake.Writes().size(); ++i) sent += fake.Writes()[i];
    EXPECT_EQ(sent, c.sentAtClose) << c.moment;
    EXPECT_FALSE(fake.IsOpen()) << c.moment;
  }
}

// The long initialization line goes one byte per write. Wherever in it the
// interrupt comes, the radio hears the whole line and then the one exit,
// never a line cut short (which it would take as garbage and stay in
// command mode).
TEST(CancellablePortTest, AnInitializationLineCutAnywhereStillGoesOutWhole) {
  LinkChoices choices;
  choices.comPort = "COM3";
  const std::string line = BuildInitializationLine(true, 67, AdvancedSettings{}, RadioRole::Server,
                                                   LeadingInteger(choices.newBaudRate));
  for (std::size_t cut = 1; cut <= line.size(); ++cut) {
    SCOPED_TRACE(cut);
    FakeClock fakeClock;
    FakeSerialPort fake{fakeClock};
    FakeRadio radio;
    radio.escape = "+C\r";
    radio.speed = 38400;
    CancellationToken token;
    std::size_t lineBytes = 0;
    fake.SetResponder([&](FakeSerialPort& p, const std::string& bytes, std::uint32_t speed) {
      radio.Hear(p, bytes, speed);
      if (bytes.size() == 1 && ++lineBytes == cut) token.Cancel();
    });
    CancellableClock clock(fakeClock, token);
    CancellablePort port(fake, fakeClock, token);
    RecordingFeedback feedback;
    OperationOutcome outcome =
        InitializeRadio(RadioRole::Server, choices, AdvancedSettings{}, port, clock, feedback);
    std::string sent;
    for (const std::string& write : fake.Writes()) sent += write;
    EXPECT_EQ(sent, "+C\r" + line + "ATE\r");
    EXPECT_TRUE(outcome.interrupt.has_value());
    EXPECT_TRUE(port.ExitConfirmedOnCancel());
    EXPECT_FALSE(radio.inCommandMode);
    EXPECT_FALSE(fake.IsOpen());
  }
}

// A reply still on its way when the interrupt comes arrives before the
// confirmation of the exit: the exit is confirmed all the same.
TEST(CancellablePortTest, TheExitIsConfirmedBehindTheRestOfAReply) {
  FakeClock clock;
  FakeSerialPort fake{clock};
  FakeRadio server;
  server.replyDelayMs = 30;
  CancellationToken token;
  fake.SetResponder([&](FakeSerialPort& p, const std::string& bytes, std::uint32_t speed) {
    server.Hear(p, bytes, speed);
    if (bytes == "ATC\r") token.Cancel();
  });
  CancellablePort port(fake, clock, token);
  port.SetParams(3, 9600);
  ASSERT_EQ(port.Open(), kPortOk);
  ASSERT_TRUE(EnterCommandMode(port, clock, RadioRole::Server, 200));
  EXPECT_THROW(QueryValue(port, clock, "C"), OperationCancelled);
  port.Close();
  EXPECT_EQ(fake.Writes().back(), "ATE\r");
  EXPECT_TRUE(port.ExitConfirmedOnCancel());
}

TEST(CancellableClockTest, LongPausesStopWithinASlice) {
  FakeClock inner;
  CancellationToken token;
  CancellableClock clock(inner, token);
  clock.SleepMs(420);
  EXPECT_EQ(inner.Slept(), 420u);
  token.Cancel();
  EXPECT_THROW(clock.NowMs(), OperationCancelled);
  EXPECT_THROW(clock.SleepMs(420), OperationCancelled);
  EXPECT_EQ(inner.Slept(), 420u);
}

}  // namespace
}  // namespace zorveth::testing
