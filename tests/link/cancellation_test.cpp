#include "link/cancellable_port.h"
#include "port/cancellation.h"

#include <gtest/gtest.h>

#include "link/command_mode.h"
#include "tests/support/fake_radio.h"

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
