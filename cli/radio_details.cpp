#include "cli/radio_details.h"

#include "link/command_mode.h"
#include "link/link_protocol.h"
#include "trace/wire_trace_format.h"

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

std::vector<std::uint32_t> SpeedsTried(const RadioHistory& history, RadioRole role) {
  std::vector<std::uint32_t> speeds;
  for (const auto& [tried, speed] : history.tried) {
    if (tried == role && (speeds.empty() || speeds.back() != speed)) speeds.push_back(speed);
  }
  return speeds;
}

std::string NewSettings(const OperationContext& context) {
  return "channel " + context.choices.channel + ", packet length " +
         std::to_string(context.settings.fixedPacketLength) + ", system ID " +
         std::to_string(context.settings.systemIdentification) + ", retries " +
         std::to_string(context.settings.retryNumber) + ", baud " + context.choices.newBaudRate;
}

std::vector<std::string> ClientChangedServerNot(const OperationContext& context,
                                                const std::string& serverPart) {
  return {"the Client now holds the new settings (" + NewSettings(context) +
              ") and the Server does not: " + serverPart,
          "run configure again with the Server switched on, or set the Client back"};
}

std::string Answered(const RadioHistory& history, RadioRole role) {
  auto at = history.answeredAt.find(role);
  return at == history.answeredAt.end() ? "" : " at " + std::to_string(at->second) + " baud";
}

std::string SpeedOf(const RadioHistory& history, RadioRole role) {
  auto at = history.answeredAt.find(role);
  return at == history.answeredAt.end() ? "" : " (" + std::to_string(at->second) + " baud)";
}

std::string ReplyOf(const RadioHistory& history, RadioRole role) {
  auto reply = history.replies.find(role);
  return EscapedReply(reply == history.replies.end() ? "" : reply->second);
}

bool IsRefusal(const std::string& message, const char* fallback) {
  return message == message::kInvalidData || message == message::kRadioTimedOut ||
         message == message::kUnableToConfigureEeprom || message == fallback;
}

std::vector<std::string> PollDetails(const std::string& message, const OperationContext& context,
                                     const RadioHistory& history) {
  const bool both = context.kind == OperationKind::PollBoth;
  if (message == message::kErrorDuringRead) {
    const RadioRole role = history.lastAnswered.value_or(RadioRole::Server);
    return {"the " + Role(role) + " answered" + Answered(history, role) +
            " but not every register query; nothing was changed on the radio"};
  }
  if (message == message::kPollingClientFailed && both) {
    return {"the Client did not answer at the Server's speed" + SpeedOf(history, RadioRole::Server),
            "'zorveth-cli poll client' tries every speed"};
  }
  const RadioRole role =
      context.kind == OperationKind::PollClient ? RadioRole::Client : RadioRole::Server;
  std::vector<std::string> lines = {"no " + Role(role) + " answered at " +
                                    SpeedList(SpeedsTried(history, role))};
  if (both) lines.push_back("the Client was not tried");
  return lines;
}

std::vector<std::string> ConfigureDetails(const std::string& message,
                                          const OperationContext& context,
                                          const RadioHistory& history) {
  if (message == message::kNoServerCommunication) {
    return ClientChangedServerNot(
        context, "the Server did not answer" + Answered(history, RadioRole::Client));
  }
  if (message == message::kServerNotConfigured) {
    return ClientChangedServerNot(context,
                                  "the Server answered " + ReplyOf(history, RadioRole::Server));
  }
  if (IsRefusal(message, message::kUnableToConfigure)) {
    return {"the Client answered " + ReplyOf(history, RadioRole::Client) +
                Answered(history, RadioRole::Client) + " and keeps its settings",
            "the Server was not contacted"};
  }
  if (message == message::kUnableToConnectToRadios) {
    return {"no Client answered at " + SpeedList(SpeedsTried(history, RadioRole::Client)) +
                "; nothing was changed",
            kSlowRadios};
  }
  return {};
}

std::vector<std::string> InitializeDetails(const std::string& message,
                                           const RadioHistory& history) {
  if (IsRefusal(message, message::kUnableToInitialize)) {
    const RadioRole role = history.lastAnswered.value_or(RadioRole::Client);
    return {"the radio answering as " + Role(role) + Answered(history, role) + " replied " +
            ReplyOf(history, role)};
  }
  if (message == message::kCouldNotConnect) {
    return {"no radio answered as Client or Server at " +
                SpeedList(SpeedsTried(history, RadioRole::Client)) + "; nothing was changed",
            kSlowRadios};
  }
  return {};
}

}  // namespace

std::string EscapedReply(const std::string& reply) {
  // Written as the wire trace writes bytes, so the two can be compared.
  if (reply.size() <= kShownReplyLength) return QuoteBytes(reply);
  std::string shown = QuoteBytes(std::string_view(reply).substr(0, kShownReplyLength));
  return shown.insert(shown.size() - 1, "...");
}

std::vector<std::string> FailureDetails(const std::string& message, const OperationContext& context,
                                        const RadioHistory& history, const std::string& openError) {
  if (message == message::kUnableToConnectToPort || message == message::kNoPortConnection) {
    return {openError};
  }
  switch (context.kind) {
    case OperationKind::PollServer:
    case OperationKind::PollClient:
    case OperationKind::PollBoth: {
      // Why the port would not open says more than the speeds tried.
      auto lines = PollDetails(message, context, history);
      if (!openError.empty()) lines.insert(lines.begin(), openError);
      return lines;
    }
    case OperationKind::Configure:
      return ConfigureDetails(message, context, history);
    case OperationKind::Initialize:
      return InitializeDetails(message, history);
  }
  return {};
}

std::vector<std::string> InterruptDetails(const OperationContext& context,
                                          const RadioHistory& history, bool exitSent,
                                          bool exitConfirmed) {
  std::vector<std::string> lines;
  if (exitSent) {
    const RadioRole role = history.tried.empty() ? RadioRole::Server : history.tried.back().first;
    lines.push_back(
        "the " + Role(role) + " was sent ATE to leave command mode" +
        (exitConfirmed ? " and confirmed it" : "; it did not confirm: switch it off and on"));
  } else {
    lines.push_back("no radio was left in command mode");
  }
  const auto clientReply = history.replies.find(RadioRole::Client);
  switch (context.kind) {
    case OperationKind::PollServer:
    case OperationKind::PollClient:
    case OperationKind::PollBoth:
      lines.push_back("a poll changes nothing on the radios");
      break;
    case OperationKind::Configure:
      if (clientReply != history.replies.end() && clientReply->second == kReplyWriteSuccessful) {
        for (auto& line : ClientChangedServerNot(context, "the Server was not configured"))
          lines.push_back(line);
      } else if (history.answeredAt.count(RadioRole::Client) != 0) {
        lines.push_back(
            "the Client may hold the new settings: it was sent them, but no reply came before "
            "the interrupt; poll it to see");
      } else {
        lines.push_back("the radios were not changed");
      }
      break;
    case OperationKind::Initialize:
      if (history.lastAnswered) {
        lines.push_back("the radio may hold the new settings: poll it to see");
      } else {
        lines.push_back("the radio was not changed");
      }
      break;
  }
  return lines;
}

}  // namespace zorveth::cli
