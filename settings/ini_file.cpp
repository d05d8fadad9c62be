#include "settings/ini_file.h"

#include <cstdio>
#include <fstream>
#include <string_view>
#include <system_error>

#include "settings/atomic_file.h"
#include "text/text_compare.h"
#include "text/text_numbers.h"

namespace zorveth {

namespace {

std::string HeaderText(const std::string& section) {
  return "[" + section + "]";
}

void AppendPieces(std::string_view line, std::vector<std::string>& lines) {
  // The file has always been read with a fixed 1023-byte line buffer, so an
  // overlong line comes back as several lines of at most 1022 characters.
  // Keeping that split means a document reads the same as it always did.
  while (!line.empty()) {
    std::string_view piece = line.substr(0, CIniFile::kMaxLineLength);
    lines.emplace_back(piece);
    line.remove_prefix(piece.size());
  }
}

// Whatever can be read of the file; false when it cannot be opened. Plain
// stdio, as a stream buffer throws when the path turns out to be a directory.
bool ReadWholeFile(const std::filesystem::path& path, std::string& text) {
  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[4096];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
  std::fclose(file);
  return true;
}

}  // namespace

bool CIniFile::Load(const std::filesystem::path& path) {
  m_lines.clear();
  std::string text;
  if (!ReadWholeFile(path, text)) {
    // Opening for reading creates a missing file, as the settings file has
    // always appeared in the working directory on the first run.
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) {
      std::ofstream create(path, std::ios::binary | std::ios::app);
    }
    return true;
  }
  // Read as bytes and drop the CR of each CR LF here, so that a file written
  // on either platform loads the same everywhere.
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      rest.remove_prefix(end + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    }
    AppendPieces(line, m_lines);
  }
  return true;
}

bool CIniFile::Save(const std::filesystem::path& path) const {
  std::string contents;
  for (const auto& line : m_lines) {
    contents += line;
    contents += "\r\n";
  }
  return ReplaceFileAtomically(path, contents);
}

int CIniFile::FindSection(const std::string& section) const {
  const std::string header = HeaderText(section);
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    if (EqualsIgnoringCase(m_lines[i], header)) return static_cast<int>(i);
  }
  return -1;
}

int CIniFile::AddSection(const std::string& section) {
  if (section.empty()) return -1;
  int index = FindSection(section);
  if (index >= 0) return index;
  m_lines.push_back(HeaderText(section));
  return static_cast<int>(m_lines.size()) - 1;
}

bool CIniFile::IsSection(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= m_lines.size()) return false;
  const std::string& line = m_lines[static_cast<std::size_t>(index)];
  return line.size() > 2 && line.front() == '[' && line.back() == ']';
}

int CIniFile::FindKey(int start, const std::string& key, std::string& value) const {
  const std::string pattern = key + " = ";
  for (int i = start < 0 ? 0 : start; static_cast<std::size_t>(i) < m_lines.size(); ++i) {
    if (IsSection(i)) return -1;
    const std::string& line = m_lines[static_cast<std::size_t>(i)];
    if (StartsWithIgnoringCase(line, pattern)) {
      value = line.substr(pattern.size());
      return i;
    }
  }
  return -1;
}

bool CIniFile::SetInt(const std::string& section, const std::string& key, std::int32_t value) {
  int header = AddSection(section);
  if (header < 0) return false;
  std::string line = key + " = " + std::to_string(value);
  std::string oldValue;
  int existing = FindKey(header + 1, key, oldValue);
  if (existing >= 0) {
    m_lines[static_cast<std::size_t>(existing)] = std::move(line);
  } else {
    m_lines.insert(m_lines.begin() + header + 1, std::move(line));
  }
  return true;
}

bool CIniFile::GetInt(const std::string& section, const std::string& key,
                      std::int32_t& value) const {
  int header = FindSection(section);
  if (header < 0) return false;
  std::string text;
  if (FindKey(header + 1, key, text) < 0) return false;
  value = LeadingInteger(text);
  return true;
}

}  // namespace zorveth
