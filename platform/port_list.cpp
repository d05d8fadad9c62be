#include "platform/port_list.h"

#include "text/text_compare.h"

namespace zorveth {

void PortList::AppendEntry(const std::string& text) {
  m_entries.push_back(text);
}

bool PortList::SelectByPrefix(int startIndex, const std::string& prefix) {
  // Searched like a combo box, so the saved port selects the same entry
  // here as in the dialog.
  const int index = FindByPrefix(
      static_cast<int>(m_entries.size()), startIndex, prefix,
      [this](int i) -> const std::string& { return m_entries[static_cast<std::size_t>(i)]; });
  if (index < 0) return false;
  m_selected = index;
  return true;
}

void PortList::SelectIndex(int index) {
  m_selected = (index >= 0 && index < static_cast<int>(m_entries.size())) ? index : -1;
}

}  // namespace zorveth
