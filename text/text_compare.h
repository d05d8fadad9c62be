#pragma once

#include <cstddef>
#include <string_view>

namespace zorveth {

// Case-insensitive comparison of single-byte text: ASCII letters fold to one
// case, every other byte compares as it is (the settings files are plain
// single-byte text, and a locale must not change how a key is matched).
inline char FoldAsciiCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
  }
  return true;
}

inline bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// The prefix search of a combo box over count entries (entryAt(i) gives the
// text of entry i): the entries after startIndex first, wrapping round to
// startIndex itself last; a start outside the list searches from the top.
// The index of the first entry that starts with prefix, ignoring ASCII
// letter case, or -1.
template <typename EntryAt>
int FindByPrefix(int count, int startIndex, std::string_view prefix, EntryAt entryAt) {
  if (count <= 0) return -1;
  const int first = (startIndex < 0 || startIndex >= count) ? 0 : startIndex + 1;
  for (int step = 0; step < count; ++step) {
    const int index = (first + step) % count;
    if (StartsWithIgnoringCase(entryAt(index), prefix)) return index;
  }
  return -1;
}

}  // namespace zorveth
