#include "link/link_profile.h"

#include <array>
#include <chrono>
#include <ctime>
#include <sstream>

#include "link/link_protocol.h"
#include "text/text_numbers.h"

namespace zorveth {
namespace {

// One setting of [link]: its key, its range, and where it goes.
struct SettingRule {
  const char* key;
  std::int64_t minimum;
  std::int64_t maximum;
};
constexpr std::array<SettingRule, 5> kSettings = {{
    {"channel", 0, 65535},
    {"packet-length", 0, 2047},
    {"system-id", 0, 65535},
    {"retries", 0, 255},
    {"baud-rate", 2400, 38400},
}};

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool IsPollSpeed(std::int64_t value) {
  for (std::uint32_t speed : kPollSpeeds) {
    if (speed == value) return true;
  }
  return false;
}

class ProfileReader {
 public:
  ProfileReader(std::string fileName, std::string* error)
      : m_fileName(std::move(fileName)), m_error(error) {}

  std::optional<ProfileFile> Read(const std::string& text);

 private:
  bool Line(const std::string& raw);
  bool Setting(const std::string& key, const std::string& value);
  bool Fail(const std::string& why, bool withLine = true) {
    if (m_error) {
      *m_error = m_fileName + (withLine ? ":" + std::to_string(m_lineNumber) : "") + ": " + why;
    }
    return false;
  }

  std::string m_fileName;
  std::string* m_error;
  int m_lineNumber = 0;
  std::string m_section;
  bool m_versionSeen = false;
  std::array<std::optional<std::int64_t>, kSettings.size()> m_values;
  ProfileFile m_profile;
};

std::optional<ProfileFile> ProfileReader::Read(const std::string& text) {
  std::istringstream lines(text);
  std::string raw;
  while (std::getline(lines, raw)) {
    ++m_lineNumber;
    if (!Line(raw)) return std::nullopt;
  }
  if (!m_versionSeen) {
    Fail("no format version ([profile] format = " + std::to_string(kProfileFormatVersion) + ")",
         false);
    return std::nullopt;
  }
  for (std::size_t i = 0; i < kSettings.size(); ++i) {
    if (!m_values[i]) {
      Fail(std::string("missing setting '") + kSettings[i].key + "' in [link]", false);
      return std::nullopt;
    }
  }
  LinkProfile& link = m_profile.link;
  link.channel = static_cast<std::uint16_t>(*m_values[0]);
  link.packetLength = static_cast<std::uint16_t>(*m_values[1]);
  link.systemId = static_cast<std::uint16_t>(*m_values[2]);
  link.retries = static_cast<std::uint16_t>(*m_values[3]);
  link.baudRate = static_cast<std::uint32_t>(*m_values[4]);
  return m_profile;
}

bool ProfileReader::Line(const std::string& raw) {
  const std::string line = Trim(raw);
  if (line.empty() || line[0] == '#' || line[0] == ';') return true;
  if (line.front() == '[') {
    if (line.back() != ']') return Fail("a section is written [name]");
    m_section = Trim(line.substr(1, line.size() - 2));
    if (m_section != "profile" && m_section != "link" && m_section != "saved") {
      return Fail("unknown section [" + m_section + "]");
    }
    return true;
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) return Fail("expected 'key = value'");
  const std::string key = Trim(line.substr(0, equals));
  const std::string value = Trim(line.substr(equals + 1));
  if (m_section.empty()) return Fail("'" + key + "' comes before any section");
  return Setting(key, value);
}

bool ProfileReader::Setting(const std::string& key, const std::string& value) {
  if (m_section == "profile") {
    if (key != "format") return Fail("unknown key '" + key + "' in [profile]");
    if (value != std::to_string(kProfileFormatVersion)) {
      return Fail("format " + value + " is not one this version reads (" +
                  std::to_string(kProfileFormatVersion) + ")");
    }
    m_versionSeen = true;
    return true;
  }
  if (m_section == "saved") {
    ProfileNotes& notes = m_profile.saved;
    std::string* field = key == "date"     ? &notes.date
                         : key == "port"   ? &notes.port
                         : key == "server" ? &notes.server
                         : key == "client" ? &notes.client
                                           : nullptr;
    if (!field) return Fail("unknown key '" + key + "' in [saved]");
    *field = value;
    return true;
  }
  for (std::size_t i = 0; i < kSettings.size(); ++i) {
    const SettingRule& rule = kSettings[i];
    if (key != rule.key) continue;
    if (m_values[i]) return Fail(key + " is given twice");
    const auto number = ParseDecimal(value, 0, 99999999, false);
    if (!number) return Fail(key + " '" + value + "' is not a number");
    if (*number < rule.minimum || *number > rule.maximum) {
      return Fail(key + " " + value + " is out of range (" + std::to_string(rule.minimum) + "-" +
                  std::to_string(rule.maximum) + ")");
    }
    if (i == 4 && !IsPollSpeed(*number)) {
      return Fail("baud-rate " + value + " is not one of 38400, 19200, 9600, 4800 or 2400");
    }
    m_values[i] = *number;
    return true;
  }
  return Fail("unknown key '" + key + "' in [link]");
}

}  // namespace

std::optional<ProfileFile> ParseProfile(const std::string& text, const std::string& fileName,
                                        std::string* error) {
  return ProfileReader(fileName, error).Read(text);
}

std::string FormatProfile(const ProfileFile& profile) {
  const LinkProfile& link = profile.link;
  std::ostringstream out;
  out << "# A Zorveth link profile: the settings Configure writes to both radios.\n"
      << "# 'zorveth-cli apply FILE --port P' brings a pair to them; edit the values\n"
      << "# under [link] as needed. [saved] is information only.\n"
      << "[profile]\nformat = " << kProfileFormatVersion << "\n\n"
      << "[link]\n"
      << "# 0-65535, as the technology's channel list has them\n"
      << "channel = " << link.channel << "\n"
      << "# 0-2047\npacket-length = " << link.packetLength << "\n"
      << "# 0-65535\nsystem-id = " << link.systemId << "\n"
      << "# 0-255\nretries = " << link.retries << "\n"
      << "# 38400, 19200, 9600, 4800 or 2400\nbaud-rate = " << link.baudRate << "\n";
  const ProfileNotes& saved = profile.saved;
  out << "\n[saved]\n";
  if (!saved.date.empty()) out << "date = " << saved.date << "\n";
  if (!saved.port.empty()) out << "port = " << saved.port << "\n";
  if (!saved.server.empty()) out << "server = " << saved.server << "\n";
  if (!saved.client.empty()) out << "client = " << saved.client << "\n";
  return out.str();
}

std::string ProfileDateNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
#ifdef _WIN32
  gmtime_s(&parts, &now);
#else
  gmtime_r(&now, &parts);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
  return text;
}

std::vector<std::string> DescribeProfile(const LinkProfile& link) {
  return {"channel        " + std::to_string(link.channel),
          "packet length  " + std::to_string(link.packetLength),
          "system ID      " + std::to_string(link.systemId),
          "retries        " + std::to_string(link.retries),
          "baud rate      " + std::to_string(link.baudRate)};
}

}  // namespace zorveth
