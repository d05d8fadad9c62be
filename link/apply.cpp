#include "link/apply.h"

#include "link/configure.h"
#include "link/settings_poll.h"
#include "port/cancellation.h"
#include "text/text_numbers.h"

namespace zorveth {
namespace {

class NoReport : public LineSink {
 public:
  void AppendLine(const std::string& /*line*/) override {}
};

class Applier {
 public:
  Applier(const LinkProfile& profile, const std::string& portName, CRadioPort& port, Clock& clock,
          OperationFeedback& feedback, ApplyOutcome& outcome)
      : m_profile(profile),
        m_portName(portName),
        m_port(port),
        m_clock(clock),
        m_feedback(feedback),
        m_outcome(outcome) {}

  // Polls both radios; true when both answered.
  bool FindBoth(bool readBack);
  void WriteWhatDiffers();

 private:
  std::optional<RadioOutcome> Poll(RadioRole role);
  bool OpenAt(std::uint32_t speed);

  const LinkProfile& m_profile;
  std::string m_portName;
  CRadioPort& m_port;
  Clock& m_clock;
  OperationFeedback& m_feedback;
  ApplyOutcome& m_outcome;
};

std::optional<RadioOutcome> Applier::Poll(RadioRole role) {
  std::string portText = m_portName;
  NoReport report;
  SettingsPoll poll(portText, m_port, m_clock, report, m_feedback);
  const OperationOutcome polled = role == RadioRole::Server ? poll.PollServer() : poll.PollClient();
  for (const ShownMessage& message : polled.messages) m_outcome.messages.push_back(message);
  if (polled.openError) m_outcome.openError = polled.openError;
  if (polled.interrupt) throw OperationCancelled();
  for (const RadioOutcome& radio : polled.radios) {
    if (radio.role == role && radio.Answered()) return radio;
  }
  return std::nullopt;
}

bool Applier::FindBoth(bool readBack) {
  bool both = true;
  for (RadioRole role : {RadioRole::Server, RadioRole::Client}) {
    // A port that opened at no speed is not tried again for the other role.
    if (m_outcome.openError && !readBack) return false;
    std::optional<RadioOutcome> found = Poll(role);
    RadioApply* radio = nullptr;
    for (RadioApply& known : m_outcome.radios) {
      if (known.role == role) radio = &known;
    }
    if (!radio) {
      m_outcome.radios.push_back({});
      radio = &m_outcome.radios.back();
      radio->role = role;
    }
    if (!found) {
      both = false;
      if (!readBack) radio->before.role = role;
      continue;
    }
    if (readBack) {
      radio->after = *found;
      radio->remaining = CompareWithProfile(*found, m_profile);
    } else {
      radio->before = *found;
      radio->differences = CompareWithProfile(*found, m_profile);
    }
  }
  return both;
}

bool Applier::OpenAt(std::uint32_t speed) {
  m_port.Close();
  m_port.SetParams(PortNumberFromText(m_portName), speed);
  return m_port.Open() == kPortOk;
}

void Applier::WriteWhatDiffers() {
  AdvancedSettings settings;
  settings.fixedPacketLength = m_profile.packetLength;
  settings.retryNumber = m_profile.retries;
  settings.systemIdentification = m_profile.systemId;
  RadioConfigurator configurator(m_port, m_clock, m_feedback);
  ScopedPortClose portClose(m_port);
  bool clientWritten = false;
  // Client first, as Configure does: the Server keeps the link up meanwhile.
  for (RadioRole role : {RadioRole::Client, RadioRole::Server}) {
    RadioApply* radio = nullptr;
    for (RadioApply& known : m_outcome.radios) {
      if (known.role == role) radio = &known;
    }
    if (!radio || radio->differences.empty()) continue;
    if (role == RadioRole::Server && clientWritten) configurator.PauseBetweenRadios();
    const std::uint32_t speed = *radio->before.answeredAt;
    m_feedback.Progress(std::string("writing ") + RoleName(role) + " at " + std::to_string(speed) +
                        " baud...");
    if (OpenAt(speed)) {
      if (role == RadioRole::Client) {
        configurator.WriteClient(m_outcome.line);
      } else {
        configurator.WriteServer(m_outcome.line);
      }
    }
    RadioOutcome& sent = configurator.Outcome().Addressing(role);
    radio->written = sent;
    if (sent.lineSent) m_outcome.changed = true;
    clientWritten = clientWritten || role == RadioRole::Client;
  }
}

}  // namespace

const RadioApply* ApplyOutcome::Radio(RadioRole role) const {
  for (const RadioApply& radio : radios) {
    if (radio.role == role) return &radio;
  }
  return nullptr;
}

bool ApplyOutcome::BothFound() const {
  const RadioApply* server = Radio(RadioRole::Server);
  const RadioApply* client = Radio(RadioRole::Client);
  return server && client && server->before.Answered() && client->before.Answered();
}

bool ApplyOutcome::Matches() const {
  if (!BothFound()) return false;
  for (const RadioApply& radio : radios) {
    if (!radio.differences.empty()) return false;
  }
  return true;
}

namespace {

std::string SettingName(const char* setting) {
  std::string words = setting;
  for (char& c : words) c = c == '-' ? ' ' : c;
  return words == "system id" ? "system ID" : words;
}

std::string ValueText(const std::optional<std::uint32_t>& value) {
  return value ? std::to_string(*value) : "?";
}

std::string Reported(const RadioOutcome& radio) {
  auto value = [&](std::string_view name) {
    const auto found = radio.Register(name);
    return found ? std::to_string(*found) : std::string("?");
  };
  return std::string(RoleName(radio.role)) + " at " + std::to_string(radio.answeredAt.value_or(0)) +
         " baud, signal strength " + value("S") + ", firmware revision " + value("REV");
}

}  // namespace

std::string DifferenceWords(const SettingDifference& difference, bool wanted) {
  return SettingName(difference.setting) + " " +
         (wanted ? std::to_string(difference.wants) : ValueText(difference.holds));
}

std::vector<std::string> DifferenceLines(const ApplyOutcome& outcome) {
  std::vector<std::string> lines;
  for (const RadioApply& radio : outcome.radios) {
    const std::string role = RoleName(radio.role);
    if (!radio.before.Answered()) {
      lines.push_back(role + "  not found");
      continue;
    }
    if (radio.differences.empty()) lines.push_back(role + "  matches the profile");
    for (const SettingDifference& difference : radio.differences) {
      lines.push_back(role + "  " + DifferenceWords(difference, false) + " -> " +
                      std::to_string(difference.wants));
    }
  }
  return lines;
}

std::optional<ProfileFile> ProfileFromPair(const ApplyOutcome& polls, const std::string& date,
                                           std::string* why, std::string* clientNote) {
  const RadioOutcome& server = polls.Radio(RadioRole::Server)->before;
  const RadioOutcome& client = polls.Radio(RadioRole::Client)->before;
  ProfileFile profile;
  std::uint16_t* fields[] = {&profile.link.channel, &profile.link.packetLength,
                             &profile.link.systemId, &profile.link.retries};
  const char* names[] = {"C", "FP", "ID", "BA"};
  for (int i = 0; i < 4; ++i) {
    const auto value = server.Register(names[i]);
    if (!value) {
      *why = std::string("the Server gave no usable answer for register ") + names[i];
      return std::nullopt;
    }
    *fields[i] = *value;
  }
  profile.link.baudRate = *server.answeredAt;
  const std::vector<SettingDifference> differs = CompareWithProfile(client, profile.link);
  clientNote->clear();
  for (const SettingDifference& difference : differs) {
    *clientNote += (clientNote->empty() ? "" : ", ") + DifferenceWords(difference, false);
  }
  if (!clientNote->empty()) {
    *clientNote = "the Client differs from the Server (" + *clientNote +
                  "); the profile holds the Server's settings";
  }
  profile.saved = {date, polls.port, Reported(server), Reported(client)};
  return profile;
}

std::vector<SettingDifference> CompareWithProfile(const RadioOutcome& polled,
                                                  const LinkProfile& profile) {
  struct Check {
    const char* setting;
    std::optional<std::uint32_t> holds;
    std::uint32_t wants;
  };
  auto reg = [&](std::string_view name) -> std::optional<std::uint32_t> {
    const auto value = polled.Register(name);
    return value ? std::optional<std::uint32_t>(*value) : std::nullopt;
  };
  const Check checks[] = {
      {"channel", reg("C"), profile.channel},
      {"packet-length", reg("FP"), profile.packetLength},
      {"system-id", reg("ID"), profile.systemId},
      {"retries", reg("BA"), profile.retries},
      {"baud-rate", polled.answeredAt, profile.baudRate},
  };
  std::vector<SettingDifference> differences;
  for (const Check& check : checks) {
    if (check.holds != check.wants) {
      differences.push_back({check.setting, check.holds, check.wants});
    }
  }
  return differences;
}

ApplyOutcome ApplyProfile(const LinkProfile& profile, bool checkOnly, const std::string& portName,
                          CRadioPort& port, Clock& clock, OperationFeedback& feedback) {
  ApplyOutcome outcome;
  outcome.port = portName;
  outcome.checkOnly = checkOnly;
  AdvancedSettings settings;
  settings.fixedPacketLength = profile.packetLength;
  settings.retryNumber = profile.retries;
  settings.systemIdentification = profile.systemId;
  outcome.line = BuildConfigurationLine(profile.channel, settings,
                                        static_cast<std::int32_t>(profile.baudRate));
  try {
    Applier applier(profile, portName, port, clock, feedback, outcome);
    if (!applier.FindBoth(false)) return outcome;
    if (outcome.Matches()) {
      outcome.verified = true;
      return outcome;
    }
    if (checkOnly) return outcome;
    applier.WriteWhatDiffers();
    bool held = applier.FindBoth(true);
    for (const RadioApply& radio : outcome.radios) held = held && radio.remaining.empty();
    outcome.verified = held;
  } catch (const OperationCancelled&) {
    outcome.interrupt.emplace();
  }
  return outcome;
}

}  // namespace zorveth
