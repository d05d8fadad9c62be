#include "ui/toolkit/qt/control_extras.h"

#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>
#include <memory>

#include "ui/toolkit/qt/control_widgets.h"

namespace zorveth::ui::qt {
namespace {

constexpr const char* kObjectName = "zorveth-control-extras";

void AddItems(QMenu* menu, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    if (!item.items.empty()) {
      AddItems(menu->addMenu(ToQString(item.text)), item.items);
    } else if (item.text.empty() && item.id == 0) {
      menu->addSeparator();
    } else {
      menu->addAction(ToQString(item.text))->setData(item.id);
    }
  }
}

}  // namespace

ControlExtras::ControlExtras(QWidget* control, Deliver deliver)
    : QObject(control), m_control(control), m_deliver(std::move(deliver)) {
  setObjectName(kObjectName);
  control->installEventFilter(this);
  if (auto* view = qobject_cast<QAbstractScrollArea*>(control)) {
    view->viewport()->installEventFilter(this);
  }
}

ControlExtras& ControlExtras::Of(QWidget* control, Deliver deliver) {
  if (ControlExtras* extras = Find(control)) return *extras;
  return *new ControlExtras(control, std::move(deliver));
}

ControlExtras* ControlExtras::Find(const QWidget* control) {
  return control ? control->findChild<ControlExtras*>(kObjectName, Qt::FindDirectChildrenOnly)
                 : nullptr;
}

QMenu* ControlExtras::BuildContextMenu(QWidget* parent) const {
  if (m_menu.empty()) return nullptr;
  auto* menu = new QMenu(parent);
  AddItems(menu, m_menu);
  return menu;
}

void ControlExtras::ShowContextMenu(const QPoint& globalPosition) {
  std::unique_ptr<QMenu> menu(BuildContextMenu(m_control));
  if (!menu) return;
  const QAction* chosen = menu->exec(globalPosition);
  if (chosen && m_deliver) m_deliver({chosen->data().toInt(), CommandKind::MenuCommand});
}

bool ControlExtras::eventFilter(QObject* /*watched*/, QEvent* event) {
  if (event->type() == QEvent::ContextMenu && !m_menu.empty()) {
    auto* request = static_cast<QContextMenuEvent*>(event);
    // From the keyboard (Menu key, Shift+F10) the menu opens at the
    // control, not wherever the mouse pointer happens to be.
    const QPoint where = request->reason() == QContextMenuEvent::Mouse
                             ? request->globalPos()
                             : m_control->mapToGlobal(QPoint(4, 4));
    ShowContextMenu(where);
    event->accept();
    return true;
  }
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    for (const auto& [shortcut, commandId] : m_shortcuts) {
      const QKeySequence::StandardKey standard =
          shortcut == ControlShortcut::Copy ? QKeySequence::Copy : QKeySequence::SelectAll;
      if (!key->matches(standard)) continue;
      // Claim the key before any application shortcut; act on the press.
      event->accept();
      if (event->type() == QEvent::KeyPress && m_deliver) {
        m_deliver({commandId, CommandKind::MenuCommand});
      }
      return true;
    }
  }
  return false;
}

}  // namespace zorveth::ui::qt
