#include "sim/radio_pair.h"

#include <algorithm>
#include <utility>

#include "sim/at_command.h"

namespace zorveth::sim {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr std::string_view kLineEnd = "\n\r";
// The tool counts carriage returns after the "-"; the line feeds are what a terminal user sees.
constexpr std::string_view kPrompt = "-\n\r\n\r\n\r\n\r";
constexpr std::string_view kPartialPrompt = "-\n\r\n\r\n\r";
constexpr std::string_view kWriteSuccessful = "Write successful\n\r";
constexpr std::string_view kInvalidCommand = "Invalid command\n\r";
constexpr std::string_view kExitConfirmation = "ATE\n\r";
// Longest command line kept; the lines the tool sends are well under 64 characters. Anything
// longer is answered as invalid without growing the buffer.
constexpr std::size_t kMaxLineLength = 256;

std::string EscapeOf(Role role) {
  return role == Role::Client ? "+C\r" : "+S\r";
}

}  // namespace

RadioPair::RadioPair(PairConfig config) {
  m_radios[kServerSlot].config = std::move(config.server);
  m_radios[kClientSlot].config = std::move(config.client);
}

RadioPair::RadioState& RadioPair::At(int slot) {
  return m_radios.at(static_cast<std::size_t>(slot));
}

const RadioPair::RadioState& RadioPair::At(int slot) const {
  return m_radios.at(static_cast<std::size_t>(slot));
}

std::uint8_t RadioPair::Receive(std::uint8_t byte, std::uint32_t lineSpeed, std::uint64_t timeUs) {
  std::uint8_t heardBy = 0;
  for (int slot : {kServerSlot, kClientSlot}) {
    RadioState& radio = At(slot);
    if (!radio.config.powered) continue;
    if (radio.config.speed != lineSpeed) {
      // At another speed the radio's receiver sees only framing noise: whatever it was matching
      // or collecting is spoilt.
      radio.escapeWindow.clear();
      radio.line.clear();
      radio.lineOverflow = false;
      continue;
    }
    heardBy |= slot == kServerSlot ? kServerSlotBit : kClientSlotBit;
    Hear(radio, slot, static_cast<char>(byte), timeUs);
  }
  return heardBy;
}

std::uint8_t RadioPair::Receive(std::string_view bytes, std::uint32_t lineSpeed,
                                std::uint64_t timeUs) {
  std::uint8_t heardBy = 0;
  for (char c : bytes) heardBy |= Receive(static_cast<std::uint8_t>(c), lineSpeed, timeUs);
  return heardBy;
}

void RadioPair::Hear(RadioState& radio, int slot, char byte, std::uint64_t timeUs) {
  if (!radio.commandMode) {
    radio.escapeWindow.push_back(byte);
    if (radio.escapeWindow.size() > 3) radio.escapeWindow.erase(0, 1);
    if (radio.escapeWindow == EscapeOf(radio.config.role)) EnterCommandMode(radio, slot, timeUs);
    return;
  }
  if (byte == kCarriageReturn) {
    HandleLine(radio, slot, timeUs);
  } else if (radio.line.size() < kMaxLineLength) {
    radio.line.push_back(byte);
  } else {
    radio.lineOverflow = true;
  }
}

void RadioPair::EnterCommandMode(RadioState& radio, int slot, std::uint64_t timeUs) {
  radio.commandMode = true;
  radio.escapeWindow.clear();
  radio.line.clear();
  radio.lineOverflow = false;
  Schedule(radio, slot, Prompt(radio), timeUs, radio.config.speed);
}

std::string RadioPair::Prompt(const RadioState& radio) const {
  const RadioFaults& faults = radio.config.faults;
  if (faults.noPrompt) return {};
  return std::string(faults.partialPrompt ? kPartialPrompt : kPrompt);
}

std::uint16_t RadioPair::QueryValue(RadioState& radio, const std::string& name,
                                    std::uint64_t timeUs) {
  const std::vector<std::uint16_t>& cycle = radio.config.signalCycle;
  if (name != "S" || cycle.empty()) return *RegisterValue(radio.config, name);
  const std::uint32_t step = radio.config.signalStepMs;
  const std::uint64_t index = step == 0 ? radio.signalQueries++ : timeUs / 1000 / step;
  return cycle[index % cycle.size()];
}

std::string RadioPair::ApplyWrite(RadioState& radio, const WriteValues& values) {
  std::string status = radio.config.faults.writeReply.value_or(std::string(kWriteSuccessful));
  // A radio that reports anything but success keeps its old settings.
  if (status == kWriteSuccessful) {
    radio.config.channel = values.channel;
    radio.config.packetLength = values.packetLength;
    radio.config.systemId = values.systemId;
    radio.config.broadcastAttempts = values.broadcastAttempts;
    if (values.role) radio.config.role = *values.role;
    radio.pendingSpeed = values.speed;
  }
  return status;
}

void RadioPair::HandleLine(RadioState& radio, int slot, std::uint64_t timeUs) {
  std::string line = std::move(radio.line);
  bool overflow = radio.lineOverflow;
  radio.line.clear();
  radio.lineOverflow = false;

  std::string escape = EscapeOf(radio.config.role);
  if (line == std::string_view(escape).substr(0, 2)) {
    // The tool addresses a radio again that is still in command mode: prompt once more.
    Schedule(radio, slot, Prompt(radio), timeUs, radio.config.speed);
    return;
  }
  // Another radio's escape, heard while this one is in command mode; not meant for it.
  if (!line.empty() && line.front() == '+') return;

  const RadioFaults& faults = radio.config.faults;
  std::string echo = faults.noEcho ? std::string() : line + std::string(kLineEnd);
  AtCommand command = overflow ? AtCommand{} : ParseAtCommand(line);
  std::uint32_t transmitSpeed = radio.config.speed;
  std::string reply;
  switch (command.kind) {
    case AtCommand::Kind::Query:
      reply = echo;
      if (!faults.noQueryReplies) {
        reply += faults.queryReply.value_or(
            std::to_string(QueryValue(radio, command.registerName, timeUs)) +
            std::string(kLineEnd));
      }
      break;
    case AtCommand::Kind::Exit:
      // The confirmation is the echo of "ATE"; it is governed by its own switch so that a radio
      // without echo can still be left cleanly.
      if (!faults.noExitConfirmation) reply = std::string(kExitConfirmation);
      radio.commandMode = false;
      if (radio.pendingSpeed) {
        radio.config.speed = *radio.pendingSpeed;
        radio.pendingSpeed.reset();
      }
      break;
    case AtCommand::Kind::Write:
      reply = echo + ApplyWrite(radio, command.values);
      break;
    case AtCommand::Kind::Invalid:
      reply = echo + std::string(kInvalidCommand);
      break;
  }
  radio.escapeWindow.clear();
  // Sent at the speed the radio heard the line at, even when "ATE" just switched it.
  Schedule(radio, slot, std::move(reply), timeUs, transmitSpeed);
}

void RadioPair::Schedule(RadioState& radio, int slot, std::string bytes, std::uint64_t fromUs,
                         std::uint32_t speed) {
  if (bytes.empty()) return;
  // A radio answers its lines in order, even if its reply delay was shortened meanwhile.
  std::uint64_t due = std::max(
      fromUs + static_cast<std::uint64_t>(radio.config.replyDelayMs) * 1000, radio.lastDueUs);
  radio.lastDueUs = due;
  auto position = std::upper_bound(
      m_pending.begin(), m_pending.end(), due,
      [](std::uint64_t value, const ScheduledReply& reply) { return value < reply.dueUs; });
  m_pending.insert(position, ScheduledReply{due, slot, speed, std::move(bytes)});
}

std::optional<std::uint64_t> RadioPair::NextDueUs() const {
  if (m_pending.empty()) return std::nullopt;
  return m_pending.front().dueUs;
}

std::vector<ScheduledReply> RadioPair::TakeDue(std::uint64_t nowUs) {
  auto end = std::find_if(m_pending.begin(), m_pending.end(),
                          [nowUs](const ScheduledReply& reply) { return reply.dueUs > nowUs; });
  std::vector<ScheduledReply> due(std::make_move_iterator(m_pending.begin()),
                                  std::make_move_iterator(end));
  m_pending.erase(m_pending.begin(), end);
  return due;
}

RadioConfig RadioPair::Radio(int slot) const {
  return At(slot).config;
}

void RadioPair::SetRadio(int slot, const RadioConfig& config) {
  RadioState& radio = At(slot);
  radio.config = config;
  if (!config.powered) {
    radio = RadioState();
    radio.config = config;
    std::erase_if(m_pending, [slot](const ScheduledReply& reply) { return reply.slot == slot; });
  }
}

bool RadioPair::InCommandMode(int slot) const {
  return At(slot).commandMode;
}

std::optional<std::uint32_t> RadioPair::PendingSpeed(int slot) const {
  return At(slot).pendingSpeed;
}

std::array<Role, 2> RadioPair::Roles() const {
  return {m_radios[kServerSlot].config.role, m_radios[kClientSlot].config.role};
}

std::optional<std::size_t> RadioPair::HangUpAfterBytes() const {
  std::optional<std::size_t> smallest;
  for (const RadioState& radio : m_radios) {
    const std::optional<std::size_t>& count = radio.config.faults.hangUpAfterBytes;
    if (count && (!smallest || *count < *smallest)) smallest = count;
  }
  return smallest;
}

}  // namespace zorveth::sim
