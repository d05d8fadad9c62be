#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <vector>

#include "ui/toolkit/dialog_template.h"
#include "ui/toolkit/toolkit.h"

class QMenu;
class QWidget;

namespace zorveth::ui::qt {

// A control's context menu and keyboard shortcuts: an event filter on the
// control (and, for a scrolled view, on its viewport, where the mouse
// events land) that turns them into the dialog's menu commands. It is a
// child of the control, so it goes with it.
class ControlExtras : public QObject {
 public:
  using Deliver = std::function<void(const Command&)>;

  // The control's extras, made on first use.
  static ControlExtras& Of(QWidget* control, Deliver deliver);
  // The extras a control has, nullptr when none.
  static ControlExtras* Find(const QWidget* control);

  void SetContextMenu(std::vector<MenuItem> items) { m_menu = std::move(items); }
  void SetShortcut(ControlShortcut shortcut, int commandId) { m_shortcuts[shortcut] = commandId; }
  // The context menu as it would pop up now, nullptr when the control has
  // none; each action carries its command id as data. The caller owns it.
  QMenu* BuildContextMenu(QWidget* parent) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ControlExtras(QWidget* control, Deliver deliver);
  void ShowContextMenu(const QPoint& globalPosition);

  QWidget* m_control;
  Deliver m_deliver;
  std::vector<MenuItem> m_menu;
  std::map<ControlShortcut, int> m_shortcuts;
};

}  // namespace zorveth::ui::qt
