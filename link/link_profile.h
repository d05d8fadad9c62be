#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorveth {

// The settings of one link that Configure writes to both radios, as a
// technician keeps them in a profile file.
struct LinkProfile {
  std::uint16_t channel = 67;
  std::uint16_t packetLength = 262;
  std::uint16_t systemId = 111;
  std::uint16_t retries = 4;
  std::uint32_t baudRate = 19200;
};

// What each radio said when the profile was saved: information only, never
// written to a radio.
struct ProfileNotes {
  std::string date;
  std::string port;
  std::string server;
  std::string client;
};

struct ProfileFile {
  LinkProfile link;
  ProfileNotes saved;
};

inline constexpr int kProfileFormatVersion = 1;

// Reads a profile. Anything it cannot take (an unknown section or key, a
// setting missing or given twice, a value out of range or not a number) is
// refused with the file, the line and the reason: "site3.profile:7:
// packet-length 3000 is out of range (0-2047)".
std::optional<ProfileFile> ParseProfile(const std::string& text, const std::string& fileName,
                                        std::string* error);
// The file as save writes it: commented, one setting a line.
std::string FormatProfile(const ProfileFile& profile);

// Now, as a profile's [saved] date says it: "2026-12-10 14:47:49 UTC".
std::string ProfileDateNow();

// The link settings one per line, as "profile show" prints them.
std::vector<std::string> DescribeProfile(const LinkProfile& link);

}  // namespace zorveth
