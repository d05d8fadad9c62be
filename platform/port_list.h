#pragma once

#include <string>
#include <vector>

#include "platform/port_discovery.h"

namespace zorveth {

// A COM port list held in memory, for the command-line tool and the tests:
// the entries in the order they were appended and the selected index.
class PortList : public PortListBox {
 public:
  void AppendEntry(const std::string& text) override;
  bool SelectByPrefix(int startIndex, const std::string& prefix) override;
  void SelectIndex(int index) override;

  const std::vector<std::string>& Entries() const { return m_entries; }
  // -1 when nothing is selected.
  int Selected() const { return m_selected; }

 private:
  std::vector<std::string> m_entries;
  int m_selected = -1;
};

}  // namespace zorveth
