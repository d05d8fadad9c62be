// What a user does to the real widgets: clicks, keys, menus, message boxes,
// typing into digits-only edits, and the operations' wait cursor.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "tests/ui/qt/qt_test_support.h"
#include "ui/templates/templates.h"

namespace zorveth::ui::qt {
namespace {

using testing::ScriptedDialog;
using testing::WhenModal;

bool Contains(const std::vector<Command>& commands, int id, CommandKind kind) {
  return std::any_of(commands.begin(), commands.end(),
                     [&](const Command& c) { return c.id == id && c.kind == kind; });
}

QAction* FindAction(const QList<QAction*>& actions, const QString& text) {
  for (QAction* action : actions) {
    if (action->text() == text) return action;
    if (action->menu()) {
      if (QAction* inner = FindAction(action->menu()->actions(), text)) return inner;
    }
  }
  return nullptr;
}

TEST(QtCommands, ButtonClickAndMenuCommandReachTheDialog) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    QTest::mouseClick(toolkit.ControlWidget(self, kConfigureButton), Qt::LeftButton);
    FindAction(toolkit.TopLevel(self)->MenuBar()->actions(), "&Settings")->trigger();
    FindAction(toolkit.TopLevel(self)->MenuBar()->actions(), "&About")->trigger();
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
  EXPECT_TRUE(Contains(events.commands, kConfigureButton, CommandKind::ButtonClicked));
  EXPECT_TRUE(Contains(events.commands, kMenuSettings, CommandKind::MenuCommand));
  EXPECT_TRUE(Contains(events.commands, kMenuAbout, CommandKind::MenuCommand));
}

TEST(QtCommands, SystemItemSitsInTheContextMenuAndArrivesAsSystemCommand) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    QWidget* client = toolkit.ClientArea(self);
    WhenModal([] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      QAction* about = FindAction(menu->actions(), "&About Zorveth...");
      ASSERT_NE(about, nullptr);
      menu->setActiveAction(about);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint where(5, client->height() - 5);  // dialog background
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, where, client->mapToGlobal(where));
    QApplication::sendEvent(client, &rightClick);
  });
  events.OnInit([&](WindowHandle self) {
    toolkit.AppendSystemMenuItem(self, kSystemMenuAbout, LoadResourceString(kAboutMenuStringId),
                                 true);
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
  EXPECT_TRUE(Contains(events.commands, kSystemMenuAbout, CommandKind::SystemCommand));
}

TEST(QtCommands, ComboSelectionByTheUserIsACommandSelectionFromCodeIsNot) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    toolkit.ComboSelect(self, kTechnologyList, 1);
    auto* combo = qobject_cast<QComboBox*>(toolkit.ControlWidget(self, kTechnologyList));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);  // the user picks the next entry
    EXPECT_EQ(toolkit.ComboSelection(self, kTechnologyList), 2);
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
  ASSERT_EQ(events.commands.size(), 1u);
  EXPECT_EQ(events.commands[0].id, kTechnologyList);
  EXPECT_EQ(events.commands[0].kind, CommandKind::SelectionChanged);
}

TEST(QtCommands, DisabledDialogAndDisabledButtonIgnoreClicks) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    toolkit.EnableControl(self, kConfigureButton, false);
    QTest::mouseClick(toolkit.ControlWidget(self, kConfigureButton), Qt::LeftButton);
    toolkit.EnableControl(self, kConfigureButton, true);
    toolkit.EnableWindow(self, false);
    QTest::mouseClick(toolkit.ControlWidget(self, kConfigureButton), Qt::LeftButton);
    EXPECT_FALSE(toolkit.IsWindowEnabled(self));
    EXPECT_TRUE(toolkit.IsControlEnabled(self, kConfigureButton));  // its own state
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
  EXPECT_FALSE(Contains(events.commands, kConfigureButton, CommandKind::ButtonClicked));
}

TEST(QtDefaultKeys, EscapeAndCloseBoxCancelWithoutEndingTheDialogThemselves) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    QTest::keyClick(toolkit.TopLevel(self), Qt::Key_Escape);
    toolkit.TopLevel(self)->close();
    EXPECT_TRUE(toolkit.TopLevel(self)->isVisible());  // the dialog object decides
  });
  events.endOnOkCancel = false;
  toolkit.RunModal(AdvancedDialogTemplate(), kNoWindow, events);
  ASSERT_EQ(events.commands.size(), 2u);
  EXPECT_EQ(events.commands[0].id, kIdCancel);
  EXPECT_EQ(events.commands[1].id, kIdCancel);
}

TEST(QtDefaultKeys, EnterInAnEditWithoutDefaultButtonIsOk) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    QWidget* edit = toolkit.ControlWidget(self, kRetryNumberEdit);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
  });
  const int result = toolkit.RunModal(AdvancedDialogTemplate(), kNoWindow, events);
  EXPECT_EQ(result, kIdOk);
}

TEST(QtDefaultKeys, EnterClicksTheFocusedButtonElseTheDefaultOne) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    QWidget* clear = toolkit.ControlWidget(self, kClearInformationButton);
    clear->setFocus();
    QTest::keyClick(clear, Qt::Key_Return);
    QWidget* list = toolkit.ControlWidget(self, kResultList);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
  });
  toolkit.RunModal(PollDialogTemplate(), kNoWindow, events);
  ASSERT_GE(events.commands.size(), 2u);
  EXPECT_EQ(events.commands[0].id, kClearInformationButton);
  EXPECT_EQ(events.commands[1].id, kPollBothButton);  // first button styled default
}

TEST(QtMessageBox, ModalBoxHasOnlyOkNoIconAndTheApplicationCaption) {
  QtToolkit toolkit(QtToolkit::ApplicationNameFromPath("/usr/local/bin/zorveth.bin"));
  QString caption, text;
  QWidget* parent = nullptr;
  int buttons = 0;
  QMessageBox::Icon icon = QMessageBox::Warning;
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    WhenModal([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      caption = box->windowTitle();
      text = box->text();
      icon = box->icon();
      buttons = static_cast<int>(box->buttons().size());
      parent = box->parentWidget();
      box->button(QMessageBox::Ok)->click();
    });
    toolkit.MessageBox(self, "Packet Length has to be between 0 - 2047");
    EXPECT_EQ(parent, toolkit.TopLevel(self));
  });
  toolkit.RunModal(AdvancedDialogTemplate(), kNoWindow, events);
  EXPECT_EQ(caption, "zorveth");
  EXPECT_EQ(text, "Packet Length has to be between 0 - 2047");
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(buttons, 1);
}

TEST(QtMessageBox, OwnerIsActiveAgainAfterABoxOrAChildDialogEnds) {
  QtToolkit toolkit("zorveth");
  bool activeAfterBox = false;
  bool activeAfterChild = false;
  QWidget* owner = nullptr;
  ScriptedDialog child(toolkit, {});
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    owner = toolkit.TopLevel(self);
    WhenModal([] { qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->accept(); });
    toolkit.MessageBox(self, "Configuration is Set");
    activeAfterBox = QTest::qWaitForWindowActive(owner, 2000);
    toolkit.RunModal(AboutDialogTemplate(), self, child);
    activeAfterChild = QTest::qWaitForWindowActive(owner, 2000);
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
  // Otherwise the main dialog's mnemonics are dead until the user clicks it.
  EXPECT_TRUE(activeAfterBox);
  EXPECT_TRUE(activeAfterChild);
}

TEST(QtControls, DigitsOnlyEditRefusesTypedLettersButTakesAnyTextFromCode) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    auto* edit = qobject_cast<QLineEdit*>(toolkit.ControlWidget(self, kSystemIdEdit));
    edit->setFocus();
    QTest::keyClicks(edit, "1a2-3 x4");
    EXPECT_EQ(toolkit.ControlText(self, kSystemIdEdit), "1234");
    toolkit.SetControlText(self, kSystemIdEdit, "-5x");
    EXPECT_EQ(toolkit.ControlText(self, kSystemIdEdit), "-5x");
  });
  toolkit.RunModal(AdvancedDialogTemplate(), kNoWindow, events);
}

TEST(QtControls, SelectByPrefixWorksOnTheRealComboBox) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    for (const char* port : {"COM1", "COM3 (ttyUSB0)", "COM33 (ttyACM0)"}) {
      toolkit.ComboAppend(self, kComPortList, port);
    }
    EXPECT_EQ(toolkit.ComboSelection(self, kComPortList), -1);  // appending selects nothing
    EXPECT_EQ(ComboSelectByPrefix(toolkit, self, kComPortList, -1, "com3"), 1);
    EXPECT_EQ(ComboSelectByPrefix(toolkit, self, kComPortList, 1, "COM3"), 2);
    EXPECT_EQ(ComboSelectByPrefix(toolkit, self, kComPortList, 2, "COM3"), 1);  // wraps round
    EXPECT_EQ(ComboSelectByPrefix(toolkit, self, kComPortList, -1, "COM9"), -1);
    EXPECT_EQ(toolkit.ComboText(self, kComPortList), "COM3 (ttyUSB0)");
    auto* combo = qobject_cast<QComboBox*>(toolkit.ControlWidget(self, kComPortList));
    EXPECT_EQ(combo->currentText(), "COM3 (ttyUSB0)");  // what the user sees
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
}

TEST(QtControls, EditableComboReportsTypedTextAndNoSelection) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    toolkit.ComboReset(self, kChannelList);
    for (const char* channel : {"67", "68"}) toolkit.ComboAppend(self, kChannelList, channel);
    toolkit.ComboSelect(self, kChannelList, 0);
    auto* combo = qobject_cast<QComboBox*>(toolkit.ControlWidget(self, kChannelList));
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "6");  // no completion may turn it into "67"
    EXPECT_EQ(toolkit.ComboText(self, kChannelList), "6");
    EXPECT_EQ(toolkit.ComboSelection(self, kChannelList), -1);
    EXPECT_EQ(toolkit.ComboCount(self, kChannelList), 2);  // typing adds no entry
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
}

TEST(QtControls, ManualRadioButtonsReportClicksAndObeyTheDialogOnly) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    toolkit.SetChecked(self, kClientRoleButton, true);
    toolkit.SetChecked(self, kServerRoleButton, false);
    QTest::mouseClick(toolkit.ControlWidget(self, kServerRoleButton), Qt::LeftButton);
    EXPECT_FALSE(toolkit.IsChecked(self, kServerRoleButton));  // the dialog decides
    toolkit.SetChecked(self, kServerRoleButton, true);
    toolkit.SetChecked(self, kClientRoleButton, false);
    EXPECT_TRUE(toolkit.IsChecked(self, kServerRoleButton));
    EXPECT_FALSE(toolkit.IsChecked(self, kClientRoleButton));
  });
  toolkit.RunModal(InitRadioDialogTemplate(), kNoWindow, events);
  EXPECT_TRUE(Contains(events.commands, kServerRoleButton, CommandKind::ButtonClicked));
}

TEST(QtControls, ListAppendsAtTheEndWithoutScrollingAndDeletesByIndex) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog events(toolkit, [&](WindowHandle self) {
    for (int i = 0; i < 60; ++i) toolkit.ListAppend(self, kResultList, "line " + std::to_string(i));
    QApplication::processEvents();
    auto* list = qobject_cast<QListWidget*>(toolkit.ControlWidget(self, kResultList));
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    EXPECT_GT(list->verticalScrollBar()->maximum(), 0);  // the newer lines are reachable
    toolkit.ListDelete(self, kResultList, 59);
    toolkit.ListDelete(self, kResultList, 0);
    EXPECT_EQ(toolkit.ListCount(self, kResultList), 58);
    EXPECT_EQ(toolkit.ListEntry(self, kResultList, 0), "line 1");
    EXPECT_EQ(toolkit.ListCount(self, kPollBothButton), -1);
  });
  toolkit.RunModal(PollDialogTemplate(), kNoWindow, events);
}

TEST(QtChildDialogs, PanesCoverTheHiddenFrameAndOnlyTheShownOneIsVisible) {
  QtToolkit toolkit("zorveth");
  ScriptedDialog client(toolkit, {}), server(toolkit, {});
  ScriptedDialog host(toolkit, [&](WindowHandle self) {
    const Rect frame = toolkit.ControlRect(self, kPaneFrame);
    const WindowHandle clientPane =
        toolkit.CreateChildDialog(ClientWarningPaneTemplate(), self, client);
    const WindowHandle serverPane =
        toolkit.CreateChildDialog(ServerWarningPaneTemplate(), self, server);
    for (WindowHandle pane : {clientPane, serverPane}) {
      toolkit.MoveWindow(pane, frame);
      toolkit.RaiseWindow(pane);
    }
    toolkit.ShowWindow(serverPane, true);
    toolkit.ShowWindow(clientPane, false);
    QWidget* shown = toolkit.ClientArea(serverPane);
    EXPECT_EQ(shown->geometry(), QRect(frame.left, frame.top, frame.width, frame.height));
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(toolkit.ClientArea(clientPane)->isVisible());
    EXPECT_TRUE(toolkit.ControlWidget(serverPane, kServerWarningText)->isVisible());
    EXPECT_EQ(toolkit.ControlWidget(self, kServerWarningText), nullptr);  // the pane's own
  });
  toolkit.RunModal(InitWarningDialogTemplate(), kNoWindow, host);
  EXPECT_EQ(client.destroyed, 1);
  EXPECT_EQ(server.destroyed, 1);
}

TEST(QtWaitCursor, NestedBeginsNeedAsManyEnds) {
  QtToolkit toolkit("zorveth");
  toolkit.BeginWaitCursor();
  toolkit.BeginWaitCursor();
  toolkit.EndWaitCursor();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  toolkit.EndWaitCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  toolkit.EndWaitCursor();  // an extra End changes nothing
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtWaitCursor, MessageBoxDuringAnOperationShowsTheNormalPointer) {
  QtToolkit toolkit("zorveth");
  Qt::CursorShape during = Qt::WaitCursor;
  toolkit.BeginWaitCursor();
  WhenModal([&] {
    during = QApplication::overrideCursor()->shape();
    QApplication::activeModalWidget()->close();
  });
  toolkit.MessageBox(kNoWindow, "Configuration is Set");
  EXPECT_EQ(during, Qt::ArrowCursor);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  toolkit.EndWaitCursor();
}

}  // namespace
}  // namespace zorveth::ui::qt
