#pragma once

// What an operation did, radio by radio, in the order it happened. Every
// operation returns one; the dialogs' message boxes and report lines, the
// command line's text, detail lines and JSON are all renderings of it, so
// none of them needs to work out from texts or bytes what happened.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/link_protocol.h"
#include "port/link_step.h"
#include "port/radio_port.h"

namespace zorveth {

enum class OperationKind { PollServer, PollClient, PollBoth, Configure, Initialize, Scan };

// One register as read; no value when no usable answer came in the query's
// attempts.
struct RegisterReading {
  std::string_view name;  // "C", "FP", ...: the protocol's fixed text
  std::optional<std::uint16_t> value;

  friend bool operator==(const RegisterReading&, const RegisterReading&) = default;
};

// One speed a radio was looked for at.
struct SpeedTried {
  // Not explicit: a speed alone, {speed}, is one that was tried and opened.
  SpeedTried(std::uint32_t speedTried = 0) : speed(speedTried) {}

  std::uint32_t speed = 0;
  // False when the port would not open at this speed; then why.
  bool opened = true;
  OpenFailure openFailure = OpenFailure::None;
  std::string openError;

  friend bool operator==(const SpeedTried&, const SpeedTried&) = default;
};

enum class ExitState {
  NotNeeded,     // the radio never answered its escape
  Confirmed,     // "ATE\r" sent and "ATE\n\r" came back
  NotConfirmed,  // sent, every attempt unconfirmed
};

// What a radio holds after the operation, as far as the tool can know.
enum class SettingsHeld {
  Unchanged,  // nothing was sent, or the radio refused the line
  New,        // it confirmed the line with "Write successful"
  MaybeNew,   // the line went out and no clear answer came back
};

// One role as the operation addressed it: the escape it used, never what
// the radio reports in its "M" register.
struct RadioOutcome {
  RadioRole role = RadioRole::Server;
  std::vector<SpeedTried> tried;
  std::optional<std::uint32_t> answeredAt;
  std::vector<RegisterReading> registers;  // in wire order
  // The settings line of configure or init, once it went out whole, and
  // the status line the radio gave to it, as received.
  std::optional<std::string> lineSent;
  std::optional<std::string> reply;
  ExitState exit = ExitState::NotNeeded;
  std::optional<MessageId> message;  // the message shown about this radio

  bool Answered() const { return answeredAt.has_value(); }
  // The register's value, none when it was not read or gave no answer.
  std::optional<std::uint16_t> Register(std::string_view name) const;
  // Every register but the revision answered: a poll reports the radio.
  bool ReadWhole() const;
  SettingsHeld Held() const;

  friend bool operator==(const RadioOutcome&, const RadioOutcome&) = default;
};

// Where an interrupt came and what it left behind.
struct InterruptOutcome {
  // The protocol's last step before it; none when nothing had been sent.
  std::optional<LinkStepKind> lastStep;
  std::optional<RadioRole> lastAddressed;
  bool exitSent = false;  // the one "ATE\r" after it
  bool exitConfirmed = false;
};

struct ShownMessage {
  MessageId id;
  std::optional<RadioRole> about;  // the radio it is about, when it is about one
};

struct OperationOutcome {
  OperationKind kind = OperationKind::PollBoth;
  std::string port;  // as the user named it
  std::vector<RadioOutcome> radios;
  std::vector<ShownMessage> messages;  // in the order shown
  // The port opened at no speed: why, in the system's words.
  std::optional<std::string> openError;
  OpenFailure openFailure = OpenFailure::None;
  std::optional<InterruptOutcome> interrupt;
  // configure and init: the line the operation meant to send.
  std::string intendedLine;

  // No failure message and no interrupt.
  bool Succeeded() const;
  const RadioOutcome* Find(RadioRole role) const;
  RadioOutcome* Find(RadioRole role);
  // The outcome of that role, added when it is first addressed.
  RadioOutcome& Addressing(RadioRole role);
};

// When the port opened at no speed tried, nothing reached a radio: the
// outcome then carries the first refusal as the port's open error.
void NoteWhenNothingOpened(OperationOutcome& outcome);

// The eleven report lines of a radio whose poll read whole, exactly as the
// poll dialog lists them.
std::vector<std::string> ReportLines(const RadioOutcome& radio);

}  // namespace zorveth
