#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/link_profile.h"
#include "link/operation_feedback.h"
#include "link/outcome.h"
#include "port/clock.h"
#include "port/radio_port.h"

namespace zorveth {

// One setting a radio holds that differs from what the profile wants.
struct SettingDifference {
  const char* setting;                 // "channel", "packet-length", ... as in the profile
  std::optional<std::uint32_t> holds;  // none: the radio gave no usable answer for it
  std::uint32_t wants;
};

// What apply did with one radio.
struct RadioApply {
  RadioRole role = RadioRole::Server;
  RadioOutcome before;  // the poll that found it
  std::vector<SettingDifference> differences;
  // Configure's exchange for this radio, when it went out.
  std::optional<RadioOutcome> written;
  std::optional<RadioOutcome> after;  // the read-back poll
  std::vector<SettingDifference> remaining;
};

struct ApplyOutcome {
  std::string port;
  std::string line;  // the configuration line the profile makes
  bool checkOnly = false;
  std::vector<RadioApply> radios;      // Server, then Client
  std::vector<ShownMessage> messages;  // the polls' own failures
  std::optional<std::string> openError;
  bool changed = false;   // a configuration line went out to a radio
  bool verified = false;  // read back (or found) holding the profile
  std::optional<InterruptOutcome> interrupt;

  const RadioApply* Radio(RadioRole role) const;
  // Both radios were found.
  bool BothFound() const;
  // Both were found and neither differs from the profile.
  bool Matches() const;
};

// The differences between what a poll read of a radio and the profile; the
// speed it answered at stands for the baud rate.
std::vector<SettingDifference> CompareWithProfile(const RadioOutcome& polled,
                                                  const LinkProfile& profile);

// The settings as a setting's name says them in a sentence: "channel 70",
// "baud rate 9600".
std::string DifferenceWords(const SettingDifference& difference, bool wanted);

// Per radio and setting, what it holds and what the profile wants:
// "Client  channel 70 -> 67"; "Server  matches the profile".
std::vector<std::string> DifferenceLines(const ApplyOutcome& outcome);

// The profile of a pair both of whose radios were polled: the Server's
// settings, what each radio reported, the date given. None, with the
// reason, when the Server left one unread; a Client that differs is said
// in clientNote.
std::optional<ProfileFile> ProfileFromPair(const ApplyOutcome& polls, const std::string& date,
                                           std::string* why, std::string* clientNote);

// Brings the pair on the port to the profile: finds each radio at whatever
// speed it listens (as poll server and poll client do), compares, and
// unless checkOnly writes only to the radios that differ, Client before
// Server, each at the speed it answered with Configure's exchange for it;
// then reads both back. A pair that matches hears only the polls. The port
// is closed on every path; an interrupt (OperationCancelled) ends it with
// the outcome saying so.
ApplyOutcome ApplyProfile(const LinkProfile& profile, bool checkOnly, const std::string& portName,
                          CRadioPort& port, Clock& clock, OperationFeedback& feedback);

}  // namespace zorveth
