#pragma once

#include <string>

namespace zorveth {

class Registry;

// What port discovery needs of the COM port list (combo box 1018 of the main
// dialog); the dialog toolkit implements it, tests use an in-memory one.
class PortListBox {
 public:
  virtual ~PortListBox() = default;
  virtual void AppendEntry(const std::string& text) = 0;
  // Selects the first entry whose text begins with prefix, ignoring case,
  // searching the entries after startIndex to the end and then from the top
  // back to startIndex (startIndex -1 searches from the top). False, and the
  // selection unchanged, when none does.
  virtual bool SelectByPrefix(int startIndex, const std::string& prefix) = 0;
  virtual void SelectIndex(int index) = 0;
};

// Fills the list with up to 20 serial ports in enumeration order and
// returns the number of ports the system reports (0 when none or unknown).
int ListSerialPorts(PortListBox& list);
int ListSerialPorts(PortListBox& list, Registry& registry);

// Selects the saved port ("Serial Port" under the settings key) by prefix
// from the top, or entry 0.
void SelectSavedPort(PortListBox& list);
void SelectSavedPort(PortListBox& list, Registry& registry);

}  // namespace zorveth
