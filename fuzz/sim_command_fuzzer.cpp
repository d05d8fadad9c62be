// The simulator's parsers: radio-sim's command line, and the command lines
// a simulated radio pair hears on the wire at whatever speeds and times.
// Whatever arrives, both radios keep a valid speed and role, and replies come
// out in time order, never before they are due.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/at_command.h"
#include "sim/radio_pair.h"
#include "sim/radio_sim_options.h"

namespace {

using namespace zorveth::sim;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "sim_command_fuzzer: %s\n", what);
  std::abort();
}

void Check(bool condition, const char* what) {
  if (!condition) Fail(what);
}

// Line speeds the tool may use, and one no radio can be set to.
constexpr std::uint32_t kLineSpeeds[] = {2400, 4800, 9600, 19200, 38400, 1200};

void CheckRadio(const RadioPair& pair, int slot) {
  RadioConfig radio = pair.Radio(slot);
  Check(IsRadioSpeed(radio.speed), "a radio at a speed it cannot have");
  Check(radio.role == Role::Server || radio.role == Role::Client, "a radio without a role");
  if (auto pending = pair.PendingSpeed(slot)) {
    Check(IsRadioSpeed(*pending), "a pending speed a radio cannot have");
  }
}

// A write line parsed once must parse again to the same values when written
// out the way the tool writes it.
void CheckWriteRoundTrip(const AtCommand& command) {
  const WriteValues& v = command.values;
  std::string line = "ATC" + std::to_string(v.channel) + "FP" + std::to_string(v.packetLength) +
                     "ID" + std::to_string(v.systemId) + "BA" +
                     std::to_string(v.broadcastAttempts) + "BR" + std::to_string(v.speed);
  if (v.role) line += "M" + std::to_string(static_cast<int>(*v.role)) + "DA0TD0";
  AtCommand again = ParseAtCommand(line);
  Check(again.kind == AtCommand::Kind::Write, "a write line did not parse again");
  const WriteValues& w = again.values;
  Check(w.channel == v.channel && w.packetLength == v.packetLength && w.systemId == v.systemId &&
            w.broadcastAttempts == v.broadcastAttempts && w.speed == v.speed && w.role == v.role,
        "a write line parsed again to other values");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  PairConfig config = DefaultPairConfig();
  if (input.ConsumeBool()) {
    std::vector<std::string> args;
    for (int i = input.ConsumeIntegralInRange<int>(0, 8); i > 0; --i) {
      args.push_back(input.ConsumeRandomLengthString(24));
    }
    RadioSimOptions options;
    std::string error;
    if (ParseRadioSimOptions(args, &options, &error)) {
      config = options.pair;
      Check(IsRadioSpeed(config.server.speed) && IsRadioSpeed(config.client.speed),
            "the command line set a speed a radio cannot have");
    } else {
      Check(!error.empty(), "a refused command line without a reason");
    }
  }

  RadioPair pair(config);
  std::uint64_t nowUs = 0;
  std::uint64_t lastDueUs = 0;
  while (input.remaining_bytes() > 0) {
    std::uint32_t speed = kLineSpeeds[input.ConsumeIntegralInRange<int>(0, 5)];
    nowUs += input.ConsumeIntegral<std::uint16_t>();
    std::string chunk = input.ConsumeRandomLengthString(64);

    AtCommand command = ParseAtCommand(chunk);
    if (command.kind == AtCommand::Kind::Write) CheckWriteRoundTrip(command);

    pair.Receive(chunk, speed, nowUs);
    CheckRadio(pair, kServerSlot);
    CheckRadio(pair, kClientSlot);
    for (const ScheduledReply& reply : pair.TakeDue(nowUs)) {
      Check(reply.dueUs <= nowUs, "a reply handed out before it was due");
      Check(reply.dueUs >= lastDueUs, "replies out of time order");
      Check(!reply.bytes.empty(), "an empty reply");
      Check(reply.slot == kServerSlot || reply.slot == kClientSlot, "a reply from no radio");
      lastDueUs = reply.dueUs;
    }
    if (auto next = pair.NextDueUs()) Check(*next > nowUs, "a due reply was kept back");
  }
  return 0;
}
