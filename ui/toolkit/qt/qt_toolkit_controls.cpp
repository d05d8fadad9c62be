#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "ui/toolkit/qt/control_widgets.h"
#include "ui/toolkit/qt/qt_toolkit.h"

namespace zorveth::ui::qt {

namespace {

// A static text shows its mnemonic marks stripped; the text as set is kept
// beside it, so reading it back gives what was written.
constexpr const char* kTextProperty = "zorvethText";

bool InRange(int index, int count) {
  return index >= 0 && index < count;
}

}  // namespace

QWidget* QtToolkit::ControlWidget(WindowHandle dialog, int controlId) const {
  const DialogSurface* surface = ClientArea(dialog);
  return surface ? surface->Control(controlId) : nullptr;
}

void QtToolkit::EnableControl(WindowHandle dialog, int controlId, bool enabled) {
  if (QWidget* widget = ControlWidget(dialog, controlId)) widget->setEnabled(enabled);
}

bool QtToolkit::IsControlEnabled(WindowHandle dialog, int controlId) const {
  // The control's own state: a disabled dialog does not change it.
  const QWidget* widget = ControlWidget(dialog, controlId);
  return widget && !widget->testAttribute(Qt::WA_ForceDisabled);
}

void QtToolkit::ShowControl(WindowHandle dialog, int controlId, bool visible) {
  if (QWidget* widget = ControlWidget(dialog, controlId)) widget->setVisible(visible);
}

bool QtToolkit::IsControlVisible(WindowHandle dialog, int controlId) const {
  const QWidget* widget = ControlWidget(dialog, controlId);
  return widget && !widget->isHidden();
}

Rect QtToolkit::ControlRect(WindowHandle dialog, int controlId) const {
  const QWidget* widget = ControlWidget(dialog, controlId);
  if (!widget) return {};
  const QRect geometry = widget->geometry();
  return Rect{geometry.x(), geometry.y(), geometry.width(), geometry.height()};
}

void QtToolkit::SetControlText(WindowHandle dialog, int controlId, const std::string& text) {
  QWidget* widget = ControlWidget(dialog, controlId);
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(ToQString(text));
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(ToQString(text));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(StaticTextForDisplay(text));
    label->setProperty(kTextProperty, ToQString(text));
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(ToQString(text));
  } else if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->isEditable()) {
    combo->setEditText(ToQString(text));
  }
}

std::string QtToolkit::ControlText(WindowHandle dialog, int controlId) const {
  const QWidget* widget = ControlWidget(dialog, controlId);
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
    return ToStdString(button->text());
  }
  if (const auto* group = qobject_cast<const QGroupBox*>(widget))
    return ToStdString(group->title());
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    const QVariant set = label->property(kTextProperty);
    if (set.isValid()) return ToStdString(set.toString());
    const ControlTemplate* control = ClientArea(dialog)->Template().FindControl(controlId);
    return control ? control->text : ToStdString(label->text());
  }
  if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) return ToStdString(edit->text());
  if (qobject_cast<const QComboBox*>(widget)) return ComboText(dialog, controlId);
  return {};
}

void QtToolkit::SetChecked(WindowHandle dialog, int controlId, bool checked) {
  auto* radio = qobject_cast<QRadioButton*>(ControlWidget(dialog, controlId));
  if (!radio) return;
  // Qt will not clear the checked button of an exclusive group; the
  // caller may.
  const bool exclusive = radio->autoExclusive();
  radio->setAutoExclusive(false);
  radio->setChecked(checked);
  radio->setAutoExclusive(exclusive);
}

bool QtToolkit::IsChecked(WindowHandle dialog, int controlId) const {
  const auto* radio = qobject_cast<const QRadioButton*>(ControlWidget(dialog, controlId));
  return radio && radio->isChecked();
}

void QtToolkit::ComboAppend(WindowHandle dialog, int controlId, const std::string& text) {
  if (auto* combo = qobject_cast<QComboBox*>(ControlWidget(dialog, controlId))) {
    // addItem selects the first entry of an empty list; a Windows combo
    // keeps no selection until one is made.
    const int selected = combo->currentIndex();
    const QString shown = combo->currentText();
    combo->addItem(ToQString(text));
    if (selected == -1) {
      combo->setCurrentIndex(-1);
      if (combo->isEditable()) combo->setEditText(shown);
    }
  }
}

void QtToolkit::ComboReset(WindowHandle dialog, int controlId) {
  if (auto* combo = qobject_cast<QComboBox*>(ControlWidget(dialog, controlId))) {
    combo->clear();
    if (combo->isEditable()) combo->clearEditText();
  }
}

int QtToolkit::ComboCount(WindowHandle dialog, int controlId) const {
  const auto* combo = qobject_cast<const QComboBox*>(ControlWidget(dialog, controlId));
  return combo ? combo->count() : -1;
}

std::string QtToolkit::ComboEntry(WindowHandle dialog, int controlId, int index) const {
  const auto* combo = qobject_cast<const QComboBox*>(ControlWidget(dialog, controlId));
  return combo && InRange(index, combo->count()) ? ToStdString(combo->itemText(index)) : "";
}

int QtToolkit::ComboSelection(WindowHandle dialog, int controlId) const {
  const auto* combo = qobject_cast<const QComboBox*>(ControlWidget(dialog, controlId));
  if (!combo) return -1;
  const int index = combo->currentIndex();
  // Text typed over an editable combo is no longer the selected entry.
  if (combo->isEditable() && index >= 0 && combo->currentText() != combo->itemText(index)) {
    return -1;
  }
  return index;
}

void QtToolkit::ComboSelect(WindowHandle dialog, int controlId, int index) {
  auto* combo = qobject_cast<QComboBox*>(ControlWidget(dialog, controlId));
  if (!combo) return;
  if (index == -1) {
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) combo->clearEditText();
  } else if (InRange(index, combo->count())) {
    combo->setCurrentIndex(index);
    // Selecting the entry that is already current leaves typed text alone
    // in Qt; the entry's text must show all the same.
    if (combo->isEditable()) combo->setEditText(combo->itemText(index));
  }
}

std::string QtToolkit::ComboText(WindowHandle dialog, int controlId) const {
  const auto* combo = qobject_cast<const QComboBox*>(ControlWidget(dialog, controlId));
  if (!combo) return {};
  if (combo->isEditable()) return ToStdString(combo->currentText());
  return combo->currentIndex() >= 0 ? ToStdString(combo->itemText(combo->currentIndex())) : "";
}

void QtToolkit::ListAppend(WindowHandle dialog, int controlId, const std::string& text) {
  // addItem neither sorts (sorting is off) nor scrolls to the new line.
  if (auto* list = qobject_cast<QListWidget*>(ControlWidget(dialog, controlId))) {
    list->addItem(ToQString(text));
  }
}

int QtToolkit::ListCount(WindowHandle dialog, int controlId) const {
  const auto* list = qobject_cast<const QListWidget*>(ControlWidget(dialog, controlId));
  return list ? list->count() : -1;
}

void QtToolkit::ListDelete(WindowHandle dialog, int controlId, int index) {
  auto* list = qobject_cast<QListWidget*>(ControlWidget(dialog, controlId));
  if (list && InRange(index, list->count())) delete list->takeItem(index);
}

std::string QtToolkit::ListEntry(WindowHandle dialog, int controlId, int index) const {
  const auto* list = qobject_cast<const QListWidget*>(ControlWidget(dialog, controlId));
  return list && InRange(index, list->count()) ? ToStdString(list->item(index)->text()) : "";
}

}  // namespace zorveth::ui::qt
