#include "ui/toolkit/qt/control_widgets.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <algorithm>

#include "ui/toolkit/qt/icon_conversion.h"
#include "ui/toolkit/qt/plot_widget.h"

namespace zorveth::ui::qt {

namespace {

bool Has(const ControlTemplate& control, std::uint32_t style) {
  return (control.style & style) != 0;
}

Qt::FocusPolicy FocusFor(const ControlTemplate& control) {
  return Has(control, control_style::kTabStop) ? Qt::StrongFocus : Qt::ClickFocus;
}

QWidget* CreatePushButton(const ControlTemplate& control, QWidget* parent) {
  auto* button = new QPushButton(ToQString(control.text), parent);
  // Enter is routed by the dialog (focused button, else the default one,
  // else OK); Qt's own auto-default juggling would get in the way.
  button->setAutoDefault(false);
  button->setFocusPolicy(FocusFor(control));
  return button;
}

QWidget* CreateRadioButton(const ControlTemplate& control, QWidget* parent) {
  QRadioButton* radio = Has(control, control_style::kAutoRadio)
                            ? new QRadioButton(ToQString(control.text), parent)
                            : new ManualRadioButton(ToQString(control.text), parent);
  // A manual radio button must be clearable from code even when it is the
  // checked one, which Qt refuses for auto-exclusive buttons.
  radio->setAutoExclusive(Has(control, control_style::kAutoRadio));
  radio->setFocusPolicy(Qt::StrongFocus);
  return radio;
}

QWidget* CreateStaticText(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(StaticTextForDisplay(control.text), parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment((Has(control, control_style::kCentered) ? Qt::AlignHCenter : Qt::AlignLeft) |
                      Qt::AlignTop);
  if (Has(control, control_style::kSunken)) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
  }
  if (Has(control, control_style::kLargeText)) {
    // Read at arm's length: three times the dialog's font, bold.
    QFont large = label->font();
    // The dialog font may be sized in pixels (its point size then is -1).
    if (large.pixelSize() > 0) {
      large.setPixelSize(large.pixelSize() * 3);
    } else {
      large.setPointSizeF(large.pointSizeF() * 3);
    }
    large.setBold(true);
    label->setFont(large);
  }
  return label;
}

QWidget* CreateIcon(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(parent);
  if (control.icon) {
    const int size = label->style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, label);
    label->setPixmap(ToQIcon(*control.icon).pixmap(size, size));
  }
  return label;
}

QWidget* CreateEdit(const ControlTemplate& control, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setFrame(Has(control, control_style::kBorder) || Has(control, control_style::kClientEdge));
  if (Has(control, control_style::kDigitsOnly)) {
    // Only typing and pasting are filtered; text set from code is shown
    // as given (QLineEdit::setText bypasses the validator).
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  }
  edit->setFocusPolicy(FocusFor(control));
  return edit;
}

QWidget* CreateComboBox(const ControlTemplate& control, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  if (Has(control, control_style::kDropDown)) {
    combo->setEditable(true);
    // What the user types stays in the field only: it never becomes an
    // entry, and no inline completion rewrites it.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
  }
  for (const auto& entry : control.initialEntries) combo->addItem(ToQString(entry));
  combo->setCurrentIndex(-1);
  combo->setFocusPolicy(FocusFor(control));
  return combo;
}

QWidget* CreateListBox(const ControlTemplate& control, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setSortingEnabled(false);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
  // A long line is cut at the edge, not shortened with an ellipsis.
  list->setTextElideMode(Qt::ElideNone);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setVerticalScrollBarPolicy(Has(control, control_style::kVerticalScroll)
                                       ? Qt::ScrollBarAsNeeded
                                       : Qt::ScrollBarAlwaysOff);
  list->setFrameStyle(Has(control, control_style::kClientEdge)
                          ? QFrame::StyledPanel | QFrame::Sunken
                          : QFrame::NoFrame);
  for (const auto& entry : control.initialEntries) list->addItem(ToQString(entry));
  list->setFocusPolicy(FocusFor(control));
  return list;
}

QWidget* CreateFrame(const ControlTemplate&, QWidget* parent) {
  auto* frame = new QFrame(parent);
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  return frame;
}

}  // namespace

bool FrameGroupBox::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut) {
    for (QWidget* next = nextInFocusChain(); next && next != this;
         next = next->nextInFocusChain()) {
      if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() && next->isVisible()) {
        next->setFocus(Qt::ShortcutFocusReason);
        break;
      }
    }
    return true;
  }
  return QGroupBox::event(event);
}

QString StaticTextForDisplay(const std::string& text) {
  const QString source = ToQString(text);
  QString shown;
  shown.reserve(source.size());
  for (qsizetype i = 0; i < source.size(); ++i) {
    if (source[i] != u'&') {
      shown += source[i];
    } else if (i + 1 < source.size() && source[i + 1] == u'&') {
      shown += u'&';
      ++i;
    }
  }
  return shown;
}

QWidget* CreateControlWidget(const ControlTemplate& control, QWidget* parent, BaseUnits base) {
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::PushButton:
      widget = CreatePushButton(control, parent);
      break;
    case ControlKind::RadioButton:
      widget = CreateRadioButton(control, parent);
      break;
    case ControlKind::GroupBox: {
      auto* group = new FrameGroupBox(ToQString(control.text), parent);
      group->setFocusPolicy(Qt::NoFocus);
      widget = group;
      break;
    }
    case ControlKind::StaticText:
      widget = CreateStaticText(control, parent);
      break;
    case ControlKind::Icon:
      widget = CreateIcon(control, parent);
      break;
    case ControlKind::Frame:
      widget = CreateFrame(control, parent);
      break;
    case ControlKind::Edit:
      widget = CreateEdit(control, parent);
      break;
    case ControlKind::ComboBox:
      widget = CreateComboBox(control, parent);
      break;
    case ControlKind::ListBox:
      widget = CreateListBox(control, parent);
      break;
    case ControlKind::Plot:
      widget = new PlotWidget(parent);
      break;
  }
  if (!widget) return nullptr;
  widget->setGeometry(ControlGeometry(control, widget, base));
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    // The template height includes the drop-down list: show as many
    // entries as fit in it.
    const int listHeight = VerticalUnitsToPixels(control.cy, base) - widget->height();
    combo->setMaxVisibleItems(std::max(1, listHeight / std::max(1, combo->fontMetrics().height())));
  }
  if (Has(control, control_style::kDisabled)) widget->setEnabled(false);
  // Children of a visible parent show with it; a hidden one must say so.
  widget->setVisible(!Has(control, control_style::kHidden));
  return widget;
}

QRect ControlGeometry(const ControlTemplate& control, const QWidget* widget, BaseUnits base) {
  QRect rect = DialogRectToPixels(control.x, control.y, control.cx, control.cy, base);
  if (control.kind == ControlKind::ComboBox) {
    rect.setHeight(widget->sizeHint().height());
  } else if (control.kind == ControlKind::Icon) {
    // Like a Windows icon control, sized to the icon rather than the template.
    const int size = widget->style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, widget);
    rect.setSize(QSize(size, size));
  }
  return rect;
}

}  // namespace zorveth::ui::qt
