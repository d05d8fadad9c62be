#include "link/outcome.h"

#include <algorithm>

#include "link/command_mode.h"

namespace zorveth {

std::optional<std::uint16_t> RadioOutcome::Register(std::string_view name) const {
  for (const RegisterReading& reading : registers) {
    if (reading.name == name) return reading.value;
  }
  return std::nullopt;
}

bool RadioOutcome::ReadWhole() const {
  // The revision is informative only; every other register must have read.
  for (const RadioRegister& known : kPollRegisters) {
    if (known.name != "REV" && !Register(known.name)) return false;
  }
  return true;
}

SettingsHeld RadioOutcome::Held() const {
  if (!lineSent) return SettingsHeld::Unchanged;
  if (reply && *reply == kReplyWriteSuccessful) return SettingsHeld::New;
  if (reply && IsNamedRefusal(*reply)) return SettingsHeld::Unchanged;
  // No reply, a cut-off or garbled one: the radio may have taken the line.
  return SettingsHeld::MaybeNew;
}

bool OperationOutcome::Succeeded() const {
  if (interrupt) return false;
  return std::none_of(messages.begin(), messages.end(),
                      [](const ShownMessage& shown) { return !IsSuccessMessage(shown.id); });
}

const RadioOutcome* OperationOutcome::Find(RadioRole role) const {
  for (const RadioOutcome& radio : radios) {
    if (radio.role == role) return &radio;
  }
  return nullptr;
}

RadioOutcome* OperationOutcome::Find(RadioRole role) {
  for (RadioOutcome& radio : radios) {
    if (radio.role == role) return &radio;
  }
  return nullptr;
}

RadioOutcome& OperationOutcome::Addressing(RadioRole role) {
  if (RadioOutcome* known = Find(role)) return *known;
  radios.push_back(RadioOutcome{});
  radios.back().role = role;
  return radios.back();
}

void NoteWhenNothingOpened(OperationOutcome& outcome) {
  const SpeedTried* firstRefusal = nullptr;
  for (const RadioOutcome& radio : outcome.radios) {
    for (const SpeedTried& tried : radio.tried) {
      if (tried.opened) return;
      if (!firstRefusal) firstRefusal = &tried;
    }
  }
  if (!firstRefusal) return;
  outcome.openError = firstRefusal->openError;
  outcome.openFailure = firstRefusal->openFailure;
}

std::vector<std::string> ReportLines(const RadioOutcome& radio) {
  auto value = [&](std::string_view name) {
    return std::to_string(radio.Register(name).value_or(kQueryFailed));
  };
  auto line = [&](std::string_view name) {
    return std::string(FindRegister(name)->reportLabel) + value(name);
  };
  const std::optional<std::uint16_t> role = radio.Register("M");
  const char* roleText = role == 1 ? "Server" : role == 2 ? "Client" : "";
  return {std::string("Settings polled from: ") + roleText,
          "============================================",
          line("C"),
          line("FP"),
          line("ID"),
          line("BA"),
          "Baud Rate:                     " + std::to_string(radio.answeredAt.value_or(0)),
          line("S"),
          line("REV"),
          " ",
          " "};
}

}  // namespace zorveth
