#include "ui/init_radio_dlg.h"

#include "link/initialize.h"
#include "ui/configurator_dlg.h"
#include "ui/dialog_feedback.h"
#include "ui/templates/templates.h"

namespace zorveth::ui {

CInitRadioDlg::CInitRadioDlg(CConfiguratorDlg& mainDialog)
    : CDialog(mainDialog.GetToolkit(), InitRadioDialogTemplate(), &mainDialog),
      m_mainDialog(mainDialog) {}

RadioRole CInitRadioDlg::SelectedRole() const {
  return GetToolkit().IsChecked(Handle(), kClientRoleButton) ? RadioRole::Client
                                                             : RadioRole::Server;
}

void CInitRadioDlg::SelectRole(RadioRole role) {
  GetToolkit().SetChecked(Handle(), kClientRoleButton, role == RadioRole::Client);
  GetToolkit().SetChecked(Handle(), kServerRoleButton, role == RadioRole::Server);
}

bool CInitRadioDlg::InitDialog() {
  // Client at every opening: the safer role when in doubt.
  SelectRole(RadioRole::Client);
  return true;
}

bool CInitRadioDlg::OnCommand(const Command& command) {
  // The role buttons are plain radio buttons: keeping exactly one of them
  // selected is done here, for every click, before anything else.
  if (IsClick(command, kClientRoleButton)) SelectRole(RadioRole::Client);
  if (IsClick(command, kServerRoleButton)) SelectRole(RadioRole::Server);
  if (IsClick(command, kInitializeButton)) {
    InitializeRadio();
    return true;
  }
  return CDialog::OnCommand(command);
}

void CInitRadioDlg::InitializeRadio() {
  const RadioRole role = SelectedRole();
  {
    CInitWarningDlg confirmation(GetToolkit());
    confirmation.m_clientRole = role == RadioRole::Client;
    confirmation.DoModal();
    if (!confirmation.m_continue) return;
  }
  DialogServices& services = m_mainDialog.Services();
  const LinkChoices choices = m_mainDialog.CurrentChoices();
  std::unique_ptr<CRadioPort> port = services.createPort(choices.comPort);
  DialogFeedback feedback(*this, kInitializeButton);
  services.operationStarted(role == RadioRole::Client ? "init client" : "init server");
  zorveth::InitializeRadio(role, choices, m_mainDialog.Settings(), *port, *services.clock,
                           feedback);
}

CClientWarningPane::CClientWarningPane(Toolkit& toolkit)
    : CDialog(toolkit, ClientWarningPaneTemplate()) {}

CServerWarningPane::CServerWarningPane(Toolkit& toolkit)
    : CDialog(toolkit, ServerWarningPaneTemplate()) {}

CInitWarningDlg::CInitWarningDlg(Toolkit& toolkit)
    : CDialog(toolkit, InitWarningDialogTemplate()), m_clientPane(toolkit), m_serverPane(toolkit) {}

bool CInitWarningDlg::InitDialog() {
  Toolkit& toolkit = GetToolkit();
  const Rect place = toolkit.ControlRect(Handle(), kPaneFrame);
  for (CDialog* pane :
       {static_cast<CDialog*>(&m_clientPane), static_cast<CDialog*>(&m_serverPane)}) {
    if (!pane->CreateChild(*this)) continue;
    toolkit.MoveWindow(pane->Handle(), place);
    toolkit.RaiseWindow(pane->Handle());
  }
  const bool client = m_clientRole;
  toolkit.ShowWindow(m_clientPane.Handle(), client);
  toolkit.ShowWindow(m_serverPane.Handle(), !client);
  return true;
}

bool CInitWarningDlg::OnCommand(const Command& command) {
  if (IsClick(command, kContinueButton)) {
    m_continue = true;
    OnOK();
    return true;
  }
  return CDialog::OnCommand(command);
}

}  // namespace zorveth::ui
