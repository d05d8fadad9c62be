#include "ui/advanced_dlg.h"

#include <cstdio>
#include <string>

#include "text/text_numbers.h"
#include "ui/templates/templates.h"

namespace zorveth::ui {
namespace {

std::string Format(std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return text;
}

}  // namespace

CAdvancedDlg::CAdvancedDlg(DialogServices& services, const AdvancedSettings& settings)
    : CDialog(services.toolkit, AdvancedDialogTemplate()),
      m_services(services),
      m_settings(settings) {}

bool CAdvancedDlg::InitDialog() {
  // Shown as they are, even out of range (a hand-edited file): Apply refuses
  // them until they are corrected.
  GetToolkit().SetControlText(Handle(), kPacketLengthEdit, Format(m_settings.fixedPacketLength));
  GetToolkit().SetControlText(Handle(), kRetryNumberEdit, Format(m_settings.retryNumber));
  GetToolkit().SetControlText(Handle(), kSystemIdEdit, Format(m_settings.systemIdentification));
  return true;
}

bool CAdvancedDlg::OnCommand(const Command& command) {
  if (IsClick(command, kApplyButton)) {
    Apply();
    return true;
  }
  return CDialog::OnCommand(command);
}

void CAdvancedDlg::Apply() {
  auto valueOf = [this](int editId) {
    return LeadingInteger(GetToolkit().ControlText(Handle(), editId));
  };
  const AdvancedSettings typed = {valueOf(kPacketLengthEdit), valueOf(kRetryNumberEdit),
                                  valueOf(kSystemIdEdit)};
  if (const char* rangeError = AdvancedSettingsRangeError(typed)) {
    MessageBox(rangeError);
    return;
  }
  m_settings = typed;
  m_applied = true;
  // The values hold for this run either way; the user must know they will
  // be gone at the next start.
  if (!m_services.saveSettings(m_settings)) MessageBox(kUnableToSaveSettings);
  OnOK();
}

}  // namespace zorveth::ui
