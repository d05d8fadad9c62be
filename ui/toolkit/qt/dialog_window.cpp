#include "ui/toolkit/qt/dialog_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/toolkit/qt/control_widgets.h"

namespace zorveth::ui::qt {

DialogSurface::DialogSurface(const DialogTemplate& dialog, QWidget* parent)
    : QWidget(parent), m_template(dialog) {
  setFont(DialogFont(dialog.fontName, dialog.fontPointSize));
  m_units = MeasureBaseUnits(font());
  resize(HorizontalUnitsToPixels(dialog.cx, m_units), VerticalUnitsToPixels(dialog.cy, m_units));
  for (const ControlTemplate& control : dialog.controls) {
    QWidget* widget = CreateControlWidget(control, this, m_units);
    if (!widget) continue;
    m_ordered.emplace_back(&control, widget);
    if (control.id != -1) m_controls.emplace(control.id, widget);  // the first of an id wins
    const int id = control.id;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      connect(button, &QAbstractButton::clicked, this, [this, id] {
        Deliver({id, CommandKind::ButtonClicked});
      });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      // activated: only a choice of the user, never a change from code.
      connect(combo, &QComboBox::activated, this, [this, id] {
        Deliver({id, CommandKind::SelectionChanged});
      });
    }
  }
  // Group boxes frame controls that are their siblings; keep them beneath
  // whatever the template lists before them.
  for (auto& [control, widget] : m_ordered) {
    if (control->kind == ControlKind::GroupBox) widget->lower();
  }
}

QWidget* DialogSurface::Control(int id) const {
  const auto found = m_controls.find(id);
  return found == m_controls.end() ? nullptr : found->second;
}

QPushButton* DialogSurface::DefaultButton() const {
  for (const auto& [control, widget] : m_ordered) {
    if (control->kind == ControlKind::PushButton &&
        (control->style & control_style::kDefaultButton) != 0) {
      return qobject_cast<QPushButton*>(widget);
    }
  }
  return nullptr;
}

void DialogSurface::Deliver(const Command& command) {
  if (m_onCommand) m_onCommand(command);
}

DialogWindow::DialogWindow(const DialogTemplate& dialog, QWidget* owner) : QDialog(owner) {
  setWindowTitle(ToQString(dialog.title));
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
  if (dialog.style & dialog_style::kCaption) flags |= Qt::WindowTitleHint;
  if (dialog.style & dialog_style::kSystemMenu)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (dialog.style & dialog_style::kMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  setWindowFlags(flags);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // A dialog frame: the window is exactly menu bar plus client area.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  if (!dialog.menu.empty()) {
    m_menuBar = new QMenuBar(this);
    // Keep the menu inside the dialog even where a desktop offers a global
    // menu bar: the dialog is the whole application.
    m_menuBar->setNativeMenuBar(false);
    m_menuBar->setFont(DialogFont(dialog.fontName, dialog.fontPointSize));
    for (const MenuItem& item : dialog.menu) {
      if (item.items.empty()) {
        QAction* action = m_menuBar->addAction(ToQString(item.text));
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] {
          Deliver({id, CommandKind::MenuCommand});
        });
      } else {
        AddMenu(m_menuBar->addMenu(ToQString(item.text)), item.items);
      }
    }
    layout->setMenuBar(m_menuBar);
  }
  m_surface = new DialogSurface(dialog, this);
  m_surface->setFixedSize(m_surface->size());
  layout->addWidget(m_surface);
}

void DialogWindow::AddMenu(QMenu* menu, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    if (!item.items.empty()) {
      AddMenu(menu->addMenu(ToQString(item.text)), item.items);
    } else if (item.text.empty() && item.id == 0) {
      menu->addSeparator();
    } else {
      const int id = item.id;
      connect(menu->addAction(ToQString(item.text)), &QAction::triggered, this, [this, id] {
        Deliver({id, CommandKind::MenuCommand});
      });
    }
  }
}

void DialogWindow::SetCommandHandler(CommandHandler handler) {
  m_onCommand = handler;
  m_surface->SetCommandHandler(std::move(handler));
}

void DialogWindow::AppendSystemItem(int id, const QString& text, bool separatorBefore) {
  m_systemItems.push_back({id, text, separatorBefore});
}

QMenu* DialogWindow::BuildSystemMenu(QWidget* parent) const {
  if (m_systemItems.empty()) return nullptr;
  auto* menu = new QMenu(parent);
  for (const auto& [id, text, separatorBefore] : m_systemItems) {
    // A separator at the very top separates nothing here, as the window
    // menu's own entries are the desktop's.
    if (separatorBefore && !menu->isEmpty()) menu->addSeparator();
    QAction* action = menu->addAction(text);
    action->setData(id);
  }
  return menu;
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(BuildSystemMenu(this));
  if (!menu) {
    event->ignore();
    return;
  }
  const QAction* chosen = menu->exec(event->globalPos());
  if (chosen) Deliver({chosen->data().toInt(), CommandKind::SystemCommand});
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) {
    QDialog::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Escape:
      Deliver({kIdCancel, CommandKind::ButtonClicked});
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      PressEnter();
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void DialogWindow::PressEnter() {
  // As the Windows dialog manager: the focused push button, else the
  // default button, else OK even when there is no OK button.
  if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
    focused->click();
  } else if (QPushButton* byDefault = m_surface->DefaultButton()) {
    if (byDefault->isEnabled() && byDefault->isVisible()) byDefault->click();
  } else {
    Deliver({kIdOk, CommandKind::ButtonClicked});
  }
}

void DialogWindow::closeEvent(QCloseEvent* event) {
  // Only the dialog object ends the window (EndModal); the close box is a
  // cancel command like Escape.
  event->ignore();
  if (!m_allowClose || m_allowClose()) Deliver({kIdCancel, CommandKind::ButtonClicked});
}

void DialogWindow::reject() {
  Deliver({kIdCancel, CommandKind::ButtonClicked});
}

void DialogWindow::accept() {
  Deliver({kIdOk, CommandKind::ButtonClicked});
}

void DialogWindow::done(int) {
  // QDialog's own paths to done() are all routed through commands above.
}

void DialogWindow::Deliver(const Command& command) {
  if (m_onCommand) m_onCommand(command);
}

}  // namespace zorveth::ui::qt
