#pragma once

#include "settings/advanced_settings.h"
#include "ui/dialog.h"
#include "ui/dialog_services.h"

namespace zorveth::ui {

// The advanced settings dialog (141): shows the fixed packet length, the
// number of retries and the system ID, and on Apply checks, keeps and saves
// them. The opener takes the values back only when Applied() is true, so
// Cancel, Escape or Enter never change anything, even after an Apply that
// stopped at a later value's message.
class CAdvancedDlg : public CDialog {
 public:
  CAdvancedDlg(DialogServices& services, const AdvancedSettings& settings);

  // The values after the last completed Apply (the given ones before that).
  const AdvancedSettings& Settings() const { return m_settings; }
  bool Applied() const { return m_applied; }

 protected:
  bool InitDialog() override;
  bool OnCommand(const Command& command) override;

 private:
  void Apply();

  DialogServices& m_services;
  AdvancedSettings m_settings;
  bool m_applied = false;
};

}  // namespace zorveth::ui
