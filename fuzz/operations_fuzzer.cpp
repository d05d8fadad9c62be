// Poll, Configure and Initialize over a port whose replies, silences and
// failed opens are the fuzzer's input. Whatever the radios (or the noise on
// the line) answer, each operation ends, leaves the port closed, keeps the
// port's calling order, restores the wait cursor and the button, sends only
// whole commands, tells the user the expected number of times, and claims
// success only when the radios said so.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_port.h"
#include "link/configure.h"
#include "link/initialize.h"
#include "link/link_protocol.h"
#include "link/settings_poll.h"

namespace {

using zorveth::fuzz::FuzzClock;
using zorveth::fuzz::FuzzPort;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "operations_fuzzer: %s\n", what);
  std::abort();
}

void Check(bool condition, const char* what) {
  if (!condition) Fail(what);
}

class RecordingFeedback : public zorveth::OperationFeedback, public zorveth::LineSink {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void BeginWaitCursor() override { ++waitDepth; }
  void EndWaitCursor() override {
    Check(waitDepth > 0, "the wait cursor ended more often than it began");
    --waitDepth;
  }
  void EnableTrigger(bool enabled) override { triggerEnabled = enabled; }
  void AppendLine(const std::string& line) override { lines.push_back(line); }

  std::vector<std::string> messages;
  std::vector<std::string> lines;
  int waitDepth = 0;
  bool triggerEnabled = true;
};

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// What the port was told, cut at each carriage return: escapes ("+C",
// "+S") and command lines ("AT..."), nothing else and no stray bytes.
void CheckWritten(const std::string& written) {
  Check(written.empty() || written.back() == '\r', "a command written without its end");
  std::size_t start = 0;
  for (auto end = written.find('\r'); end != std::string::npos;
       start = end + 1, end = written.find('\r', start)) {
    std::string piece = written.substr(start, end - start);
    Check(piece == "+C" || piece == "+S" || piece.starts_with("AT"), "a malformed command sent");
  }
}

// Choice texts as a user may type them into the dialog's editable lists.
std::string ChoiceText(FuzzedDataProvider& input, const char* usual) {
  return input.ConsumeBool() ? std::string(usual) : input.ConsumeRandomLengthString(12);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The operation and the user's choices come from the end of the input,
  // the radios' bytes from the front.
  FuzzedDataProvider input(data, size);
  const int operation = input.ConsumeIntegralInRange<int>(0, 5);
  const auto failedOpens = input.ConsumeIntegral<std::uint8_t>();
  zorveth::LinkChoices choices;
  choices.comPort = ChoiceText(input, "COM3");
  choices.technology = ChoiceText(input, std::string(zorveth::kVorlithTechnology).c_str());
  choices.channel = ChoiceText(input, "67");
  choices.newBaudRate = ChoiceText(input, "19200");
  zorveth::AdvancedSettings settings;
  settings.fixedPacketLength = input.ConsumeIntegralInRange<std::int32_t>(0, 2047);
  settings.retryNumber = input.ConsumeIntegralInRange<std::int32_t>(0, 255);
  settings.systemIdentification = input.ConsumeIntegralInRange<std::int32_t>(0, 65535);
  std::vector<std::uint8_t> replies = input.ConsumeRemainingBytes<std::uint8_t>();

  FuzzClock clock;
  FuzzPort port(replies.data(), replies.size(), clock);
  port.FailOpensByMask(failedOpens);
  RecordingFeedback feedback;
  std::string portText = choices.comPort;
  zorveth::SettingsPoll poll(portText, port, clock, feedback, feedback);
  const std::uint64_t start = clock.NowMs();
  zorveth::OperationOutcome result;
  switch (operation) {
    case 0:
      result = poll.PollServer();
      break;
    case 1:
      result = poll.PollClient();
      break;
    case 2:
      result = poll.PollBoth();
      break;
    case 3:
      result = zorveth::RadioConfigurator(port, clock, feedback).ConfigureRadios(choices, settings);
      break;
    default:
      result = zorveth::InitializeRadio(
          operation == 4 ? zorveth::RadioRole::Client : zorveth::RadioRole::Server, choices,
          settings, port, clock, feedback);
      break;
  }
  Check(result.messages.size() == feedback.messages.size(),
        "the outcome does not hold every message shown");

  Check(!port.IsOpen(), "the port was left open");
  Check(port.MisorderedCalls() == 0, "the port was used outside Open ... Close");
  Check(feedback.waitDepth == 0, "the wait cursor was left on");
  Check(feedback.triggerEnabled, "the button was left greyed");
  Check(clock.NowMs() - start < 10 * 60 * 1000, "an operation waited for minutes");
  CheckWritten(port.Written());

  std::string received;
  for (const std::string& exchange : port.Exchanges()) received += exchange;
  const std::size_t successes = Count(received, std::string(zorveth::kReplyWriteSuccessful));
  const auto& messages = feedback.messages;
  if (operation <= 2) {
    Check(feedback.lines.size() % 11 == 0, "a report that is not eleven lines per radio");
    std::size_t reports = feedback.lines.size() / 11;
    Check(reports <= (operation == 2 ? 2u : 1u), "more reports than radios");
    if (operation < 2) Check(reports + messages.size() == 1, "not one outcome for one radio");
    if (operation == 2)
      Check(messages.size() <= 2 && (reports + messages.size()) >= 1, "no outcome");
  } else {
    Check(feedback.lines.empty(), "report lines from a write operation");
    Check(messages.size() == 1, "not exactly one message");
    const zorveth::MessageId outcome = result.messages.front().id;
    if (outcome == zorveth::MessageId::ConfigurationIsSet) {
      Check(successes >= 2, "Configuration is Set without both radios reporting success");
    }
    if (outcome == zorveth::MessageId::ClientInitialized ||
        outcome == zorveth::MessageId::ServerInitialized) {
      Check(successes >= 1, "Initialized without the radio reporting success");
    }
    // A radio the outcome says took the line was sent it and said so.
    for (const auto& radio : result.radios) {
      if (radio.Held() == zorveth::SettingsHeld::New) {
        Check(radio.lineSent.has_value() && successes >= 1, "a radio holds settings never sent");
      }
    }
  }
  return 0;
}
