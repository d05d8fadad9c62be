#include "cli/radio_details.h"

#include "link/command_mode.h"
#include "text/quoting.h"

namespace zorveth::cli {
namespace {

constexpr std::size_t kShownReplyLength = 60;
constexpr char kSlowRadios[] =
    "radios at 2400 baud answer only a poll: 'zorveth-cli poll' finds them there";

std::string Role(RadioRole role) {
  return RoleName(role);
}

// "38400, 19200, 9600 or 4800 baud".
std::string SpeedList(const std::vector<std::uint32_t>& speeds) {
  std::string text;
  for (std::size_t i = 0; i < speeds.size(); ++i) {
    if (i > 0) text += i + 1 == speeds.size() ? " or " : ", ";
    text += std::to_string(speeds[i]);
  }
  return text + " baud";
}

// The speeds at which the role was really asked: the port opened there.
std::vector<std::uint32_t> SpeedsAsked(const RadioOutcome* radio) {
  std::vector<std::uint32_t> speeds;
  if (!radio) return speeds;
  for (const SpeedTried& tried : radio->tried) {
    if (tried.opened && (speeds.empty() || speeds.back() != tried.speed)) {
      speeds.push_back(tried.speed);
    }
  }
  return speeds;
}

// One line per speed at which the port would not open, in the system's
// words.
std::vector<std::string> SpeedsNotOpened(const RadioOutcome* radio) {
  std::vector<std::string> lines;
  if (!radio) return lines;
  for (const SpeedTried& tried : radio->tried) {
    if (!tried.opened) {
      lines.push_back("at " + std::to_string(tried.speed) +
                      " baud the port did not open: " + tried.openError);
    }
  }
  return lines;
}

std::string NewSettings(const OperationContext& context) {
  return "channel " + context.choices.channel + ", packet length " +
         std::to_string(context.settings.fixedPacketLength) + ", system ID " +
         std::to_string(context.settings.systemIdentification) + ", retries " +
         std::to_string(context.settings.retryNumber) + ", baud " + context.choices.newBaudRate;
}

std::string ClientHoldsNew(const OperationContext& context) {
  return "the Client now holds the new settings (" + NewSettings(context) + ")";
}

// How to undo the Client's half of a configure: configure again with the
// settings it had, at the speed it answered at. Its old channel is the
// Server's when the pair matched; a poll of the Server shows it.
std::string SetClientBack(const OperationContext& context, const RadioOutcome* client,
                          bool serverSilent) {
  const std::string speed = client && client->answeredAt ? std::to_string(*client->answeredAt)
                                                         : context.choices.newBaudRate;
  return std::string(serverSilent ? "run configure again once the Server answers, or set" : "set") +
         " the Client back: 'zorveth-cli configure --port " + context.port +
         " --channel N --baud " + speed + "' with N the Server's channel";
}

// "the Server did not answer at 19200 baud: ...": the Server is asked only
// at the speed the Client answered at, so silence there proves little.
std::string ServerSilent(const OperationContext& context, const std::vector<std::uint32_t>& asked) {
  return "the Server did not answer at " + SpeedList(asked) +
         ": it may be switched off, or at another speed ('zorveth-cli poll server --port " +
         context.port + "' finds it)";
}

std::string AnsweredAt(const RadioOutcome* radio) {
  if (!radio || !radio->answeredAt) return "";
  return " at " + std::to_string(*radio->answeredAt) + " baud";
}

std::string ReplyOf(const RadioOutcome* radio) {
  return EscapedReply(radio && radio->reply ? *radio->reply : "");
}

bool IsRefusal(MessageId id) {
  return id == MessageId::InvalidData || id == MessageId::RadioTimedOut ||
         id == MessageId::UnableToConfigureEeprom || id == MessageId::UnableToConfigure ||
         id == MessageId::UnableToInitialize;
}

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

std::vector<std::string> PollDetails(const OperationOutcome& outcome, const ShownMessage& shown) {
  const RadioRole role = shown.about.value_or(RadioRole::Server);
  const RadioOutcome* radio = outcome.Find(role);
  if (shown.id == MessageId::ErrorDuringRead) {
    return {"the " + Role(role) + " answered" + AnsweredAt(radio) +
            " but not every register query; nothing was changed on the radio"};
  }
  // The port opened at no speed: that is all there is to say.
  if (outcome.openError) return {*outcome.openError};
  const bool both = outcome.kind == OperationKind::PollBoth;
  if (shown.id == MessageId::PollingClientFailed && both) {
    const RadioOutcome* server = outcome.Find(RadioRole::Server);
    std::vector<std::string> lines;
    if (server && server->answeredAt) {
      lines.push_back("the Client did not answer at the Server's speed (" +
                      std::to_string(*server->answeredAt) + " baud)");
    }
    Append(lines, SpeedsNotOpened(radio));
    lines.emplace_back("'zorveth-cli poll client' tries every speed");
    return lines;
  }
  std::vector<std::string> lines;
  if (const auto asked = SpeedsAsked(radio); !asked.empty()) {
    lines.push_back("no " + Role(role) + " answered at " + SpeedList(asked));
  }
  Append(lines, SpeedsNotOpened(radio));
  if (both) lines.emplace_back("the Client was not tried");
  return lines;
}

std::vector<std::string> ConfigureDetails(const OperationOutcome& outcome,
                                          const ShownMessage& shown,
                                          const OperationContext& context) {
  const RadioOutcome* client = outcome.Find(RadioRole::Client);
  const RadioOutcome* server = outcome.Find(RadioRole::Server);
  switch (shown.id) {
    case MessageId::UnableToConnectToPort:
      return {outcome.openError.value_or("")};
    case MessageId::NoServerCommunication: {
      std::vector<std::uint32_t> asked = SpeedsAsked(server);
      if (asked.empty() && client && client->answeredAt) asked.push_back(*client->answeredAt);
      return {ClientHoldsNew(context), ServerSilent(context, asked),
              SetClientBack(context, client, true)};
    }
    case MessageId::ServerNotConfigured:
      return {
          ClientHoldsNew(context),
          "the Server answered " + ReplyOf(server) + AnsweredAt(server) + " and keeps its settings",
          SetClientBack(context, client, false)};
    case MessageId::UnableToConnectToRadios: {
      std::vector<std::string> lines = {"no Client answered at " + SpeedList(SpeedsAsked(client)) +
                                        "; nothing was changed"};
      Append(lines, SpeedsNotOpened(client));
      lines.emplace_back(kSlowRadios);
      return lines;
    }
    default:
      break;
  }
  if (IsRefusal(shown.id)) {
    return {
        "the Client answered " + ReplyOf(client) + AnsweredAt(client) + " and keeps its settings",
        "the Server was not contacted"};
  }
  return {};
}

std::vector<std::string> InitializeDetails(const OperationOutcome& outcome,
                                           const ShownMessage& shown) {
  if (shown.id == MessageId::NoPortConnection) return {outcome.openError.value_or("")};
  if (shown.id == MessageId::CouldNotConnect) {
    std::vector<std::string> lines = {"no radio answered as Client or Server at " +
                                      SpeedList(SpeedsAsked(outcome.Find(RadioRole::Client))) +
                                      "; nothing was changed"};
    Append(lines, SpeedsNotOpened(outcome.Find(RadioRole::Client)));
    lines.emplace_back(kSlowRadios);
    return lines;
  }
  if (IsRefusal(shown.id) && shown.about) {
    const RadioOutcome* radio = outcome.Find(*shown.about);
    return {"the radio answering as " + Role(*shown.about) + AnsweredAt(radio) + " replied " +
            ReplyOf(radio)};
  }
  return {};
}

// The radio that answered and was sent the settings line, if any.
const RadioOutcome* RadioSentTheLine(const OperationOutcome& outcome) {
  for (const RadioOutcome& radio : outcome.radios) {
    if (radio.lineSent) return &radio;
  }
  return nullptr;
}

}  // namespace

std::string EscapedReply(const std::string& reply) {
  // Written as the wire trace writes bytes, so the two can be compared.
  if (reply.size() <= kShownReplyLength) return QuoteBytes(reply);
  std::string shown = QuoteBytes(std::string_view(reply).substr(0, kShownReplyLength));
  return shown.insert(shown.size() - 1, "...");
}

std::vector<std::string> MessageDetails(const OperationOutcome& outcome, const ShownMessage& shown,
                                        const OperationContext& context) {
  switch (outcome.kind) {
    case OperationKind::PollServer:
    case OperationKind::PollClient:
    case OperationKind::PollBoth:
      return PollDetails(outcome, shown);
    case OperationKind::Configure:
      return ConfigureDetails(outcome, shown, context);
    case OperationKind::Initialize:
      return InitializeDetails(outcome, shown);
    case OperationKind::Scan:
      break;
  }
  return {};
}

namespace {

// The one "ATE" after an interrupt. Switching a radio off and on is advice
// only for one that answered and then did not confirm its exit: a radio that
// never answered its escape is not in command mode.
std::string ExitAfterInterrupt(const OperationOutcome& outcome, const InterruptOutcome& interrupt) {
  if (!interrupt.exitSent) return "no radio was left in command mode";
  const RadioRole role = interrupt.lastAddressed.value_or(RadioRole::Server);
  const RadioOutcome* radio = outcome.Find(role);
  const bool answered = (radio && radio->Answered()) ||
                        (interrupt.lastStep && *interrupt.lastStep != LinkStepKind::Escape);
  if (interrupt.exitConfirmed) {
    return "the " + Role(role) + " was sent ATE to leave command mode and confirmed it";
  }
  if (!answered) {
    return "the " + Role(role) +
           " had not answered its escape; it was sent ATE in case it heard it";
  }
  return "the " + Role(role) +
         " was sent ATE to leave command mode; it did not confirm: switch "
         "it off and on";
}

void ConfigureInterrupted(const OperationOutcome& outcome, const OperationContext& context,
                          std::vector<std::string>& lines) {
  const RadioOutcome* client = outcome.Find(RadioRole::Client);
  const RadioOutcome* server = outcome.Find(RadioRole::Server);
  const SettingsHeld clientHeld = client ? client->Held() : SettingsHeld::Unchanged;
  const SettingsHeld serverHeld = server ? server->Held() : SettingsHeld::Unchanged;
  if (clientHeld == SettingsHeld::MaybeNew) {
    lines.emplace_back(
        "the Client may hold the new settings: it was sent them, but no reply came before "
        "the interrupt; poll it to see");
    return;
  }
  if (clientHeld != SettingsHeld::New) {
    lines.emplace_back("the radios were not changed");
    return;
  }
  lines.push_back(ClientHoldsNew(context));
  if (serverHeld == SettingsHeld::New) {
    lines.emplace_back("the Server holds them too");
  } else if (serverHeld == SettingsHeld::MaybeNew) {
    lines.emplace_back(
        "the Server may hold them too: it was sent them, but no reply came before the "
        "interrupt; poll it to see");
  } else {
    lines.emplace_back("the Server was not configured");
    lines.push_back(SetClientBack(context, client, true));
  }
}

}  // namespace

std::vector<std::string> InterruptDetails(const OperationOutcome& outcome,
                                          const OperationContext& context) {
  const InterruptOutcome interrupt = outcome.interrupt.value_or(InterruptOutcome{});
  std::vector<std::string> lines = {ExitAfterInterrupt(outcome, interrupt)};
  switch (outcome.kind) {
    case OperationKind::PollServer:
    case OperationKind::PollClient:
    case OperationKind::PollBoth:
    case OperationKind::Scan:
      lines.emplace_back("a poll changes nothing on the radios");
      break;
    case OperationKind::Configure:
      ConfigureInterrupted(outcome, context, lines);
      break;
    case OperationKind::Initialize:
      if (const RadioOutcome* radio = RadioSentTheLine(outcome);
          radio && radio->Held() != SettingsHeld::Unchanged) {
        lines.emplace_back("the radio may hold the new settings: poll it to see");
      } else {
        lines.emplace_back("the radio was not changed");
      }
      break;
  }
  return lines;
}

std::vector<std::string> SuccessDetails(const OperationOutcome& outcome, const ShownMessage& shown,
                                        const OperationContext& context) {
  // Init addresses the radio as Client and as Server in turn; the role it
  // answered as is the role it had.
  if (outcome.kind != OperationKind::Initialize || !shown.about ||
      *shown.about == context.initRole) {
    return {};
  }
  const std::string now = Role(context.initRole);
  return {
      "the radio answered as " + Role(*shown.about) + " and is now the " + now,
      "if the pair's other radio is switched on, two radios may now share the " + now + " role"};
}

}  // namespace zorveth::cli
