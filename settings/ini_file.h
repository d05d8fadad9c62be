#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zorveth {

// A minimal INI document: the file's lines in order, without line ends.
//
// Sections start at a header line "[Name]"; a key line inside a section
// reads "Key = value" with exactly one blank on each side of '='. Names
// match ignoring ASCII case, over the whole header line and without any
// trimming, and only integer values are read or written. Every lookup scans
// the lines again; nothing is cached. Lines the document does not recognise
// are kept exactly as they were.
class CIniFile {
 public:
  CIniFile() = default;
  virtual ~CIniFile() = default;

  // Replaces the document with the lines of the file. LF ends a line and a
  // CR right before it is dropped; empty lines are dropped; a line longer
  // than kMaxLineLength is split into pieces of at most that length. A
  // missing file is created empty. Always true: an unreadable file simply
  // gives an empty document.
  bool Load(const std::filesystem::path& path);

  // Writes every line followed by CR LF. The file is replaced as a whole:
  // on any failure the old file is left as it was and the result is false.
  bool Save(const std::filesystem::path& path) const;

  // Index of the first line equal to "[section]" ignoring case, or -1.
  int FindSection(const std::string& section) const;
  // Index of the section's header, appended at the end when missing; -1
  // when section is empty.
  int AddSection(const std::string& section);
  // True when line index exists, is longer than two characters and starts
  // with '[' and ends with ']'.
  bool IsSection(int index) const;
  // Index of the first line from start up to the next section header that
  // begins with "key = " ignoring case, or -1. On success value receives
  // the rest of that line.
  int FindKey(int start, const std::string& key, std::string& value) const;

  // Sets "key = value" in section, creating the section at the end when
  // missing. An existing key line is replaced whole; a new one goes right
  // after the header, so keys added one after another end up in reverse
  // order. False only when section is empty.
  bool SetInt(const std::string& section, const std::string& key, std::int32_t value);
  // Reads the key's value as a leading integer (see LeadingInteger). False,
  // and value untouched, when the section or key is missing.
  bool GetInt(const std::string& section, const std::string& key, std::int32_t& value) const;

  const std::vector<std::string>& Lines() const { return m_lines; }

  static constexpr std::size_t kMaxLineLength = 1022;

 private:
  std::vector<std::string> m_lines;
};

}  // namespace zorveth
