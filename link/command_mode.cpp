#include "link/command_mode.h"

#include <string_view>

#include "link/link_protocol.h"

namespace zorveth {
namespace {

constexpr std::uint8_t kPromptStart = '-';
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr int kPromptCarriageReturns = 4;
constexpr char kExitCommand[] = "ATE\r";
constexpr char kExitConfirmation[] = "ATE\n\r";

// Reads one line against an absolute deadline: up to and including the
// first carriage return, or whatever came before the deadline. Only the
// first `capacity` characters are kept, but an overlong line is still
// consumed to its carriage return, so the next read starts on a fresh line.
std::string ReadLineUntil(CRadioPort& port, Clock& clock, std::uint64_t deadline,
                          std::size_t capacity) {
  std::string line;
  while (clock.NowMs() < deadline) {
    std::uint8_t byte = 0;
    if (port.ReadByte(&byte) == 0) continue;
    if (line.size() < capacity) line.push_back(static_cast<char>(byte));
    if (byte == kCarriageReturn) break;
  }
  // The callers treat the line as a C string: a NUL received ends it.
  auto nul = line.find('\0');
  if (nul != std::string::npos) line.resize(nul);
  return line;
}

constexpr std::string_view kReplyLineEnd = "\n\r";

// One or more decimal digits and exactly the line end. A line that lost its
// line feed, was cut off by the time-out or ran past what a reply line holds
// is no value: taking its digits would report a wrong number.
bool IsWholeReply(std::string_view line) {
  if (line.size() < kReplyLineEnd.size() + 1 || !line.ends_with(kReplyLineEnd)) return false;
  for (char c : line.substr(0, line.size() - kReplyLineEnd.size())) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The register's decimal digits, reduced modulo 65536 as the radios' 16-bit
// registers are.
std::uint16_t DecimalValue(const std::string& digits) {
  std::uint32_t value = 0;
  for (char c : digits) value = (value * 10 + static_cast<std::uint32_t>(c - '0')) & 0xFFFF;
  return static_cast<std::uint16_t>(value);
}

std::string_view QueryStepName(std::string_view registerName) {
  const RadioRegister* known = FindRegister(registerName);
  return known ? known->queryStep : "query";
}

}  // namespace

const char* EscapeString(RadioRole role) {
  return role == RadioRole::Client ? "+C\r" : "+S\r";
}

const char* RoleName(RadioRole role) {
  return role == RadioRole::Client ? "Client" : "Server";
}

bool EnterCommandMode(CRadioPort& port, Clock& clock, RadioRole role, std::uint32_t timeoutMs) {
  // Anything received earlier must not be taken for the prompt.
  port.Purge();
  port.NoteStep({LinkStepKind::Escape, role, {}});
  port.Write(EscapeString(role), 3);
  if (!WaitForPrompt(port, clock, timeoutMs)) return false;
  port.NoteStep({LinkStepKind::PromptSeen, role, {}});
  return true;
}

bool WaitForPrompt(CRadioPort& port, Clock& clock, std::uint32_t timeoutMs) {
  std::uint8_t byte = 0;
  std::uint64_t deadline = clock.NowMs() + timeoutMs;
  // At least one read, even with a time-out of 0.
  std::int16_t got = port.ReadByte(&byte);
  while (got == 0 && clock.NowMs() < deadline) got = port.ReadByte(&byte);

  std::uint64_t promptDeadline = clock.NowMs() + kPromptCompletionMs;
  // A wrong first byte means some other talker; no point waiting longer.
  if (got == 0 || byte != kPromptStart) return false;

  int carriageReturns = 0;
  for (;;) {
    if (clock.NowMs() >= promptDeadline) return false;
    if (port.ReadByte(&byte) != 0 && byte == kCarriageReturn) {
      if (++carriageReturns == kPromptCarriageReturns) return true;
    }
  }
}

std::string ReadLine(CRadioPort& port, Clock& clock, std::uint32_t timeoutMs) {
  return ReadLineUntil(port, clock, clock.NowMs() + timeoutMs, kReplyLineCapacity);
}

bool LeaveCommandMode(CRadioPort& port, Clock& clock, std::uint32_t timeoutMs) {
  // The deadline is set before anything is sent: it covers purge and write.
  std::uint64_t deadline = clock.NowMs() + timeoutMs;
  port.Purge();
  port.NoteStep({LinkStepKind::Exit, RadioRole::Server, {}});
  port.Write(kExitCommand, 4);
  if (ReadLineUntil(port, clock, deadline, kLeaveReplyCapacity) != kExitConfirmation) return false;
  port.NoteStep({LinkStepKind::ExitConfirmed, RadioRole::Server, {}});
  return true;
}

bool LeaveCommandModeAfterInterrupt(CRadioPort& port, Clock& clock, std::uint32_t timeoutMs) {
  std::uint64_t deadline = clock.NowMs() + timeoutMs;
  port.Purge();
  port.NoteStep({LinkStepKind::Exit, RadioRole::Server, {}});
  port.Write(kExitCommand, 4);
  // The rest of a reply that was on its way when the interrupt came may
  // arrive first: every line up to the deadline is looked at.
  while (clock.NowMs() < deadline) {
    if (ReadLineUntil(port, clock, deadline, kLeaveReplyCapacity) == kExitConfirmation) {
      port.NoteStep({LinkStepKind::ExitConfirmed, RadioRole::Server, {}});
      return true;
    }
  }
  return false;
}

void WriteLine(CRadioPort& port, std::string_view step, std::string_view line, bool bytePerWrite) {
  port.NoteStep({LinkStepKind::LineStarted, RadioRole::Server, step});
  if (bytePerWrite) {
    for (char c : line) port.Write(&c, 1);
  } else {
    port.Write(line.data(), static_cast<std::int16_t>(line.size()));
  }
  port.NoteStep({LinkStepKind::LineSent, RadioRole::Server, step});
}

std::uint16_t QueryValue(CRadioPort& port, Clock& clock, const std::string& registerName) {
  const std::string command = "AT" + registerName + "\r";
  for (int attempt = 0; attempt < kQueryAttempts; ++attempt) {
    port.Purge();
    port.NoteStep({LinkStepKind::Query, RadioRole::Server, QueryStepName(registerName)});
    port.Write(command.data(), static_cast<std::int16_t>(command.size()));
    std::string line = ReadLine(port, clock, kQueryReplyTimeoutMs);

    // The radio may echo the command as a line of its own first. A line is
    // the echo when it ends with the line end and everything before that
    // matches the start of the command (so a bare "\n\r" counts as one
    // too). A line cut off by the time-out is no echo: what follows it is
    // the rest of that line, not a reply of its own.
    if (line.ends_with(kReplyLineEnd)) {
      std::size_t n = line.size() - kReplyLineEnd.size();
      if (n <= command.size() && line.compare(0, n, command, 0, n) == 0) {
        line = ReadLine(port, clock, kQueryReplyTimeoutMs);
      }
    }
    // Anything but a whole reply (empty, garbled, cut off) is a failed
    // attempt rather than a number in a report.
    if (IsWholeReply(line)) return DecimalValue(line.substr(0, line.size() - kReplyLineEnd.size()));
  }
  return kQueryFailed;
}

}  // namespace zorveth
