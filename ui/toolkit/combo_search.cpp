#include <cstddef>
#include <string_view>

#include "ui/toolkit/toolkit.h"

namespace zorveth::ui {
namespace {

// ASCII-only case folding: entries are single-byte texts and the locale must
// not decide whether "com3" matches "COM3".
char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool BeginsWith(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Fold(text[i]) != Fold(prefix[i])) return false;
  }
  return true;
}

}  // namespace

int ComboSelectByPrefix(Toolkit& toolkit, WindowHandle dialog, int controlId, int startIndex,
                        const std::string& prefix) {
  const int count = toolkit.ComboCount(dialog, controlId);
  if (count <= 0) return -1;
  // The entries after startIndex first, wrapping round to startIndex itself
  // last; a start outside the list searches from the top.
  const int first = (startIndex < 0 || startIndex >= count) ? 0 : startIndex + 1;
  for (int step = 0; step < count; ++step) {
    const int index = (first + step) % count;
    if (BeginsWith(toolkit.ComboEntry(dialog, controlId, index), prefix)) {
      toolkit.ComboSelect(dialog, controlId, index);
      return index;
    }
  }
  return -1;
}

}  // namespace zorveth::ui
