#pragma once

#include <string>

#include "ui/toolkit/toolkit.h"

namespace zorveth::ui {

// Base of every dialog: names its template and talks to its live window
// through the toolkit. The window exists only while the dialog runs (or, for
// a child dialog, while its parent does); the object may outlive it.
class CDialog : public DialogEvents {
 public:
  // owner nullptr: the toolkit picks the active window when the dialog runs.
  CDialog(Toolkit& toolkit, const DialogTemplate& dialogTemplate, CDialog* owner = nullptr)
      : m_toolkit(toolkit), m_template(dialogTemplate), m_owner(owner) {}
  ~CDialog() override = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally; returns how it ended (kIdOk, kIdCancel, ...).
  int DoModal();
  // Creates the dialog as a child window of parent; false when it failed.
  bool CreateChild(CDialog& parent);

  int TemplateId() const { return m_template.id; }
  const DialogTemplate& Template() const { return m_template; }
  WindowHandle Handle() const { return m_handle; }
  Toolkit& GetToolkit() { return m_toolkit; }
  const Toolkit& GetToolkit() const { return m_toolkit; }

  // The dialog's default actions: both end it, with their result.
  virtual void OnOK() { EndDialog(kIdOk); }
  virtual void OnCancel() { EndDialog(kIdCancel); }
  void EndDialog(int result) { m_toolkit.EndDialog(m_handle, result); }

  // A message box owned by this dialog.
  void MessageBox(const std::string& text) { m_toolkit.MessageBox(m_handle, text); }

 protected:
  // The controls exist; fill them. Return true to let the toolkit set the
  // focus.
  virtual bool InitDialog() { return true; }
  // Dispatches a command; the default ends the dialog on 1 (OK) and 2
  // (cancel) and leaves everything else unhandled.
  bool OnCommand(const Command& command) override;

  static bool IsClick(const Command& command, int id) {
    return command.kind == CommandKind::ButtonClicked && command.id == id;
  }

 private:
  bool OnInitDialog(WindowHandle self) final {
    m_handle = self;
    return InitDialog();
  }
  void OnWindowDestroyed() final { m_handle = kNoWindow; }

  Toolkit& m_toolkit;
  const DialogTemplate& m_template;
  CDialog* m_owner;
  WindowHandle m_handle = kNoWindow;
};

}  // namespace zorveth::ui
