#include "settings/port_list.h"

#include "settings/text_compare.h"

namespace zorveth {

void PortList::AppendEntry(const std::string& text) {
  m_entries.push_back(text);
}

bool PortList::SelectByPrefix(int startIndex, const std::string& prefix) {
  const int count = static_cast<int>(m_entries.size());
  if (count == 0) return false;
  // Like a combo box: the entries after startIndex, then around from the top;
  // -1 (or anything out of range) searches the whole list from the top.
  int first = (startIndex < 0 || startIndex >= count) ? 0 : startIndex + 1;
  for (int step = 0; step < count; ++step) {
    int index = (first + step) % count;
    if (StartsWithIgnoringCase(m_entries[static_cast<std::size_t>(index)], prefix)) {
      m_selected = index;
      return true;
    }
  }
  return false;
}

void PortList::SelectIndex(int index) {
  m_selected = (index >= 0 && index < static_cast<int>(m_entries.size())) ? index : -1;
}

}  // namespace zorveth
