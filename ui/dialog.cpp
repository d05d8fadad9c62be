#include "ui/dialog.h"

namespace zorveth::ui {

int CDialog::DoModal() {
  const WindowHandle owner = m_owner ? m_owner->Handle() : kNoWindow;
  return m_toolkit.RunModal(m_template, owner, *this);
}

bool CDialog::CreateChild(CDialog& parent) {
  return m_toolkit.CreateChildDialog(m_template, parent.Handle(), *this) != kNoWindow;
}

bool CDialog::OnCommand(const Command& command) {
  if (IsClick(command, kIdOk)) {
    OnOK();
    return true;
  }
  if (IsClick(command, kIdCancel)) {
    OnCancel();
    return true;
  }
  return false;
}

}  // namespace zorveth::ui
