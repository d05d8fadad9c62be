#pragma once

#include <string>
#include <vector>

#include "link/apply.h"
#include "ui/dialog.h"
#include "ui/dialog_services.h"

namespace zorveth::ui {

// "Save Profile...": asks where, polls both radios on the port and writes
// their link settings as a profile; then one message with the result.
void SaveProfileOfPair(CDialog& owner, DialogServices& services, CRadioPort& port,
                       const std::string& portName);

// "Apply Profile...": asks for a profile, polls both radios, and where they
// differ shows how in the Apply Profile window; only Apply writes (only the
// radios that differ), then both are read back and one message says how it
// ended.
void ApplyProfileToPair(CDialog& owner, DialogServices& services, CRadioPort& port,
                        const std::string& portName);

// The Apply Profile window (151): the differences, Apply and Cancel.
class CApplyProfileDlg : public CDialog {
 public:
  CApplyProfileDlg(Toolkit& toolkit, std::string file, std::vector<std::string> differences,
                   CDialog* owner);

 protected:
  bool InitDialog() override;
  bool OnCommand(const Command& command) override;

 private:
  std::string m_file;
  std::vector<std::string> m_differences;
};

}  // namespace zorveth::ui
