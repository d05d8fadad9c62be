#include "ui/advanced_dlg.h"

#include <cstdio>
#include <string>

#include "radio/command_mode.h"
#include "ui/templates/templates.h"

namespace zorveth::ui {
namespace {

std::string Format(std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return text;
}

struct RangeCheck {
  int editId;
  std::int32_t maximum;
  const char* message;
};

// In the order the user is told about them; all start at 0.
constexpr RangeCheck kChecks[] = {
    {kPacketLengthEdit, 2047, "Packet Length has to be between 0 - 2047"},
    {kRetryNumberEdit, 255, "Retry Number has to be between 0 - 255"},
    {kSystemIdEdit, 65535, "System ID has to be between 0 - 65535"},
};

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
  std::int32_t values[3];
  for (int i = 0; i < 3; ++i) {
    values[i] = LeadingInteger(GetToolkit().ControlText(Handle(), kChecks[i].editId));
  }
  for (int i = 0; i < 3; ++i) {
    if (values[i] < 0 || values[i] > kChecks[i].maximum) {
      MessageBox(kChecks[i].message);
      return;
    }
  }
  m_settings = {values[0], values[1], values[2]};
  m_applied = true;
  // The values hold for this run either way; the user must know they will
  // be gone at the next start.
  if (!m_services.saveSettings(m_settings)) MessageBox("Unable to Save Settings");
  OnOK();
}

}  // namespace zorveth::ui
