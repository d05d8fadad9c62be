#pragma once

#include "link/command_mode.h"
#include "ui/dialog.h"

namespace zorveth::ui {

class CConfiguratorDlg;

// The initialization dialog (137): a standing warning, the role to give the
// one radio that is switched on, and "&Initialize". It stays open after each
// initialization so one radio after another can be done.
class CInitRadioDlg : public CDialog {
 public:
  explicit CInitRadioDlg(CConfiguratorDlg& mainDialog);

  RadioRole SelectedRole() const;

 protected:
  bool InitDialog() override;
  bool OnCommand(const Command& command) override;

 private:
  void SelectRole(RadioRole role);
  void InitializeRadio();

  CConfiguratorDlg& m_mainDialog;
};

// A warning pane (139 for the Client, 140 for the Server) shown inside the
// confirmation dialog; no behaviour of its own.
class CClientWarningPane : public CDialog {
 public:
  explicit CClientWarningPane(Toolkit& toolkit);
};

class CServerWarningPane : public CDialog {
 public:
  explicit CServerWarningPane(Toolkit& toolkit);
};

// The confirmation before anything is sent (138): shows the chosen role's
// pane on the place of the hidden frame 1046. Only "Continue" sets the
// continue flag; every other way out leaves it 0.
class CInitWarningDlg : public CDialog {
 public:
  explicit CInitWarningDlg(Toolkit& toolkit);

  bool m_continue = false;
  // Set by the caller before the dialog runs: true shows the client pane.
  bool m_clientRole = false;

 protected:
  bool InitDialog() override;
  bool OnCommand(const Command& command) override;

 private:
  CClientWarningPane m_clientPane;
  CServerWarningPane m_serverPane;
};

}  // namespace zorveth::ui
