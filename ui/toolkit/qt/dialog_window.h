#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "ui/toolkit/dialog_template.h"
#include "ui/toolkit/qt/dialog_units.h"
#include "ui/toolkit/toolkit.h"

class QMenu;
class QMenuBar;
class QPushButton;

namespace zorveth::ui::qt {

using CommandHandler = std::function<void(const Command&)>;

// The client area of a dialog: the template's controls at their own
// positions, in the template's font. A top-level dialog holds one below its
// menu bar; a child dialog (pane) is one, placed inside its parent's.
class DialogSurface : public QWidget {
 public:
  DialogSurface(const DialogTemplate& dialog, QWidget* parent);

  void SetCommandHandler(CommandHandler handler) { m_onCommand = std::move(handler); }
  // nullptr for an id the template does not have.
  QWidget* Control(int id) const;
  const DialogTemplate& Template() const { return m_template; }
  BaseUnits Units() const { return m_units; }
  // Every control with its template, in tab order (labels included).
  const std::vector<std::pair<const ControlTemplate*, QWidget*>>& Placed() const {
    return m_ordered;
  }
  // The first push button styled as the default one, if any.
  QPushButton* DefaultButton() const;

 private:
  void Deliver(const Command& command);

  const DialogTemplate& m_template;
  BaseUnits m_units;
  std::map<int, QWidget*> m_controls;
  std::vector<std::pair<const ControlTemplate*, QWidget*>> m_ordered;
  CommandHandler m_onCommand;
};

// A top-level dialog window: caption, optional menu bar, the client area,
// and the dialog manager's default keys. It never ends itself: Escape, Enter
// and the close box become commands for the dialog object to decide on.
class DialogWindow : public QDialog {
 public:
  DialogWindow(const DialogTemplate& dialog, QWidget* owner);

  void SetCommandHandler(CommandHandler handler);
  // Asked before a close request from the window manager becomes a cancel
  // command; a dialog busy with an operation or behind a modal one refuses.
  void SetCloseFilter(std::function<bool()> allowClose) { m_allowClose = std::move(allowClose); }
  DialogSurface* Surface() const { return m_surface; }
  QMenuBar* MenuBar() const { return m_menuBar; }
  // Linux has no window (system) menu: its extra items go into the
  // dialog's context menu (right click on the dialog, the Menu key or
  // Shift+F10), and choosing one is a system command.
  void AppendSystemItem(int id, const QString& text, bool separatorBefore);
  // The menu the context menu would show now, built afresh; nullptr when
  // there is nothing to offer. The caller owns it.
  QMenu* BuildSystemMenu(QWidget* parent) const;
  // Ends the modal run, as the dialog object asked.
  void EndModal(int result) { QDialog::done(result); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void reject() override;
  void accept() override;
  void done(int result) override;

 private:
  void Deliver(const Command& command);
  void PressEnter();
  void AddMenu(QMenu* menu, const std::vector<MenuItem>& items);

  DialogSurface* m_surface = nullptr;
  QMenuBar* m_menuBar = nullptr;
  struct SystemItem {
    int id;
    QString text;
    bool separatorBefore;
  };
  std::vector<SystemItem> m_systemItems;
  CommandHandler m_onCommand;
  std::function<bool()> m_allowClose;
};

}  // namespace zorveth::ui::qt
