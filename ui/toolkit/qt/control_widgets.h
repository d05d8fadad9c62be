#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QString>
#include <string>

#include "ui/toolkit/dialog_template.h"
#include "ui/toolkit/qt/dialog_units.h"

class QWidget;

namespace zorveth::ui::qt {

// Template texts are UTF-8 (plain ASCII in practice).
inline QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}
inline std::string ToStdString(const QString& text) {
  return text.toStdString();
}

// A group box draws a titled frame only. The controls it frames are
// siblings on top of it, exactly where the template puts them, so its
// mnemonic moves the focus to the next control in tab order instead of
// to a child.
class FrameGroupBox : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  bool event(QEvent* event) override;
};

// A radio button that the dialog checks itself (no kAutoRadio): a click
// reports the command but leaves the check mark alone.
class ManualRadioButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override {}
};

// A static text: '&' marks a mnemonic as in every other control, "&&" is a
// literal ampersand.
QString StaticTextForDisplay(const std::string& text);

// Creates the widget for one control as a child of parent, placed and
// styled from the template; nullptr for a kind it does not know.
QWidget* CreateControlWidget(const ControlTemplate& control, QWidget* parent, BaseUnits base);

// Dialog-unit geometry of a control, turned into pixels. Combo boxes keep
// the height of their closed field; the rest of the template height is the
// drop-down list.
QRect ControlGeometry(const ControlTemplate& control, const QWidget* widget, BaseUnits base);

}  // namespace zorveth::ui::qt
