// Building real widgets from every template: kinds, texts, fonts and the
// dialog-unit geometry that keeps the templates' proportions.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "tests/ui/qt/qt_test_support.h"
#include "ui/templates/templates.h"
#include "ui/toolkit/qt/control_widgets.h"
#include "ui/toolkit/qt/dialog_units.h"
#include "ui/toolkit/qt/plot_widget.h"

namespace zorveth::ui::qt {
namespace {

using testing::ScriptedDialog;

const std::vector<int> kTopLevelIds = {
    kMainDialogId,        kAboutDialogId,    kPollDialogId,         kInitRadioDialogId,
    kInitWarningDialogId, kAdvancedDialogId, kSignalMonitorDialogId};
const std::vector<int> kPaneIds = {kClientWarningPaneId, kServerWarningPaneId};

bool KindMatches(ControlKind kind, const QWidget* widget) {
  switch (kind) {
    case ControlKind::PushButton:
      return qobject_cast<const QPushButton*>(widget);
    case ControlKind::RadioButton:
      return qobject_cast<const QRadioButton*>(widget);
    case ControlKind::GroupBox:
      return qobject_cast<const QGroupBox*>(widget);
    case ControlKind::StaticText:
    case ControlKind::Icon:
      return qobject_cast<const QLabel*>(widget);
    case ControlKind::Frame:
      return qobject_cast<const QFrame*>(widget);
    case ControlKind::Edit:
      return qobject_cast<const QLineEdit*>(widget);
    case ControlKind::ComboBox:
      return qobject_cast<const QComboBox*>(widget);
    case ControlKind::ListBox:
      return qobject_cast<const QListWidget*>(widget);
    case ControlKind::Plot:
      return dynamic_cast<const PlotWidget*>(widget);
  }
  return false;
}

// Checks every addressed control of a live window against its template.
void ExpectControlsMatch(QtToolkit& toolkit, WindowHandle window, const DialogTemplate& dialog) {
  for (const ControlTemplate& control : dialog.controls) {
    if (control.id == -1) continue;
    SCOPED_TRACE("dialog " + std::to_string(dialog.id) + " control " + std::to_string(control.id));
    QWidget* widget = toolkit.ControlWidget(window, control.id);
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(KindMatches(control.kind, widget));
    if (control.kind != ControlKind::ComboBox && control.kind != ControlKind::ListBox) {
      EXPECT_EQ(toolkit.ControlText(window, control.id), control.text);
    }
    EXPECT_EQ(toolkit.IsControlVisible(window, control.id),
              (control.style & control_style::kHidden) == 0);
    if (control.kind == ControlKind::ComboBox) {
      ASSERT_EQ(toolkit.ComboCount(window, control.id),
                static_cast<int>(control.initialEntries.size()));
      for (std::size_t i = 0; i < control.initialEntries.size(); ++i) {
        EXPECT_EQ(toolkit.ComboEntry(window, control.id, static_cast<int>(i)),
                  control.initialEntries[i]);
      }
      EXPECT_EQ(toolkit.ComboSelection(window, control.id), -1);
      EXPECT_EQ(qobject_cast<QComboBox*>(widget)->isEditable(),
                (control.style & control_style::kDropDown) != 0);
    }
  }
}

TEST(QtTemplates, EveryTopLevelTemplateBuildsWithItsControls) {
  QtToolkit toolkit("zorveth");
  for (int id : kTopLevelIds) {
    const DialogTemplate& dialog = *FindDialogTemplate(id);
    ScriptedDialog events(toolkit, [&](WindowHandle self) {
      ExpectControlsMatch(toolkit, self, dialog);
      EXPECT_EQ(toolkit.TopLevel(self)->windowTitle().toStdString(), dialog.title);
    });
    toolkit.RunModal(dialog, kNoWindow, events);
    EXPECT_EQ(events.destroyed, 1);
  }
}

TEST(QtTemplates, WarningPanesBuildInsideTheirParent) {
  QtToolkit toolkit("zorveth");
  for (int id : kPaneIds) {
    const DialogTemplate& pane = *FindDialogTemplate(id);
    ScriptedDialog paneEvents(toolkit, {});
    ScriptedDialog host(toolkit, [&](WindowHandle self) {
      const WindowHandle child = toolkit.CreateChildDialog(pane, self, paneEvents);
      ASSERT_NE(child, kNoWindow);
      ExpectControlsMatch(toolkit, child, pane);
      EXPECT_FALSE(toolkit.IsWindowVisible(child));  // hidden until shown
      EXPECT_EQ(toolkit.ClientArea(child)->parentWidget(), toolkit.ClientArea(self));
    });
    toolkit.RunModal(InitWarningDialogTemplate(), kNoWindow, host);
    EXPECT_EQ(paneEvents.destroyed, 1);
  }
}

TEST(QtTemplates, MainDialogHasItsMenuBarAboveTheClientArea) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    DialogWindow* window = toolkit.TopLevel(self);
    ASSERT_NE(window->MenuBar(), nullptr);
    QStringList titles;
    for (QAction* action : window->MenuBar()->actions()) titles << action->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&Advanced", "&About"}));
    const QRect bar = window->MenuBar()->geometry();
    const QRect client = window->Surface()->geometry();
    EXPECT_LE(bar.bottom(), client.top()) << "menu bar overlaps the controls";
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
}

TEST(QtDialogUnits, BaseUnitsOfTheDialogFontMatchTheClassicDialogFont) {
  const QFont font = DialogFont("MS Sans Serif", 8);
  EXPECT_EQ(QFontInfo(font).family(), "DejaVu Sans") << "fonts-dejavu-core missing?";
  const BaseUnits units = MeasureBaseUnits(font);
  // MS Sans Serif 8 measures 6 x 13; the stand-in must stay close to it so
  // texts sized for it fit.
  EXPECT_GE(units.x, 6);
  EXPECT_LE(units.x, 7);
  EXPECT_EQ(units.y, 13);
}

TEST(QtDialogUnits, ConversionRoundsToTheNearestPixel) {
  const BaseUnits units{7, 13};
  EXPECT_EQ(HorizontalUnitsToPixels(230, units), 403);  // 402.5 rounds up
  EXPECT_EQ(VerticalUnitsToPixels(246, units), 400);    // 399.75
  EXPECT_EQ(VerticalUnitsToPixels(3, units), 5);        // 4.875
  EXPECT_EQ(HorizontalUnitsToPixels(-2, units), -4);    // -3.5 away from zero
}

TEST(QtDialogGeometry, MainButtonsStandInOneRowLeftToRight) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    const Rect poll = toolkit.ControlRect(self, kPollInformationButton);
    const Rect configure = toolkit.ControlRect(self, kConfigureButton);
    const Rect exit = toolkit.ControlRect(self, kIdCancel);
    EXPECT_EQ(poll.top, configure.top);
    EXPECT_EQ(configure.top, exit.top);
    EXPECT_LT(poll.left + poll.width, configure.left);
    EXPECT_LT(configure.left + configure.width, exit.left);
    EXPECT_LE(exit.left + exit.width, toolkit.ClientArea(self)->width());
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
}

// No two controls overlap except a group box around what it frames, every
// control lies inside the client area, and every text fits its control.
TEST(QtDialogGeometry, ControlsNeitherOverlapNorLeaveTheDialogNorClipTheirTexts) {
  QtToolkit toolkit("zorveth");
  for (int id : kTopLevelIds) {
    const DialogTemplate& dialog = *FindDialogTemplate(id);
    ScriptedDialog events(toolkit, [&](WindowHandle self) {
      const DialogSurface* client = toolkit.ClientArea(self);
      const auto& placed = client->Placed();
      ASSERT_EQ(placed.size(), dialog.controls.size()) << "dialog " << id;
      for (std::size_t i = 0; i < placed.size(); ++i) {
        const auto [control, widget] = placed[i];
        SCOPED_TRACE("dialog " + std::to_string(id) + " control '" + control->text + "'");
        EXPECT_TRUE(client->rect().contains(widget->geometry()));
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
          const int textWidth =
              button->fontMetrics().horizontalAdvance(StaticTextForDisplay(control->text));
          EXPECT_LT(textWidth, widget->width()) << "text clipped";
        }
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
          const auto [other, otherWidget] = placed[j];
          if (control->kind == ControlKind::GroupBox || other->kind == ControlKind::GroupBox ||
              (control->style & control_style::kHidden) ||
              (other->style & control_style::kHidden)) {
            continue;
          }
          EXPECT_FALSE(widget->geometry().intersects(otherWidget->geometry()))
              << "overlaps '" << other->text << "'";
        }
      }
    });
    toolkit.RunModal(dialog, kNoWindow, events);
  }
}

TEST(QtDialogGeometry, ComboBoxesSitInsideTheGroupBoxesThatFrameThem) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    const auto groups = toolkit.ClientArea(self)->findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 4);
    for (int id : {kTechnologyList, kChannelList, kComPortList, kNewBaudRateList}) {
      const QRect combo = toolkit.ControlWidget(self, id)->geometry();
      const bool framed = std::any_of(groups.begin(), groups.end(), [&](QGroupBox* group) {
        return group->geometry().contains(combo);
      });
      EXPECT_TRUE(framed) << "combo " << id;
    }
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
}

}  // namespace
}  // namespace zorveth::ui::qt
