// The poll dialog's report extras on real Qt widgets: the list's context
// menu, Save Report through QFileDialog, the copy keys, and scrolling to a
// new report.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <iterator>

#include "tests/settings/temp_dir.h"
#include "tests/ui/qt/qt_test_support.h"
#include "ui/dialog_services.h"
#include "ui/poll_dlg.h"
#include "ui/templates/templates.h"

namespace zorveth::ui::qt {
namespace {

using testing::ScriptedDialog;
using zorveth::testing::TempDir;

// Runs action once a modal widget of type T is up (a file dialog opened by
// a menu command opens only after the menu's own loop has ended). Gives up
// after a number of turns, so a dialog that never comes fails the test
// instead of hanging it.
template <typename T>
void WhenModalIs(std::function<void(T*)> action, int turnsLeft = 500) {
  QTimer::singleShot(10, [action = std::move(action), turnsLeft] {
    if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
      action(widget);
    } else if (auto* popup = qobject_cast<T*>(QApplication::activePopupWidget())) {
      action(popup);
    } else if (turnsLeft > 0) {
      WhenModalIs<T>(action, turnsLeft - 1);
    } else {
      ADD_FAILURE() << "the expected modal window did not open";
    }
  });
}

void RightClick(QListWidget* list) {
  QWidget* viewport = list->viewport();
  const QPoint where(10, 10);
  QContextMenuEvent event(QContextMenuEvent::Mouse, where, viewport->mapToGlobal(where));
  QApplication::sendEvent(viewport, &event);
}

QStringList Texts(const QMenu* menu) {
  QStringList texts;
  for (const QAction* action : menu->actions()) texts << action->text();
  return texts;
}

class QtPollReport : public ::testing::Test {
 protected:
  QtPollReport() : services(MakeSystemServices(toolkit)), poll(*services, "COM1") {}

  // Runs the poll dialog with body inside its modal loop, then closes it.
  void Run(std::function<void(QListWidget*)> body) {
    QTimer::singleShot(0, [&] {
      auto* list = qobject_cast<QListWidget*>(toolkit.ControlWidget(poll.Handle(), kResultList));
      ASSERT_NE(list, nullptr);
      for (int i = 0; i < 40; ++i) {
        toolkit.ListAppend(poll.Handle(), kResultList, "line " + std::to_string(i));
      }
      body(list);
      poll.EndDialog(kIdCancel);
    });
    poll.DoModal();
  }

  QtToolkit toolkit{"zorveth"};
  std::unique_ptr<DialogServices> services;
  CPollDlg poll;
};

TEST_F(QtPollReport, ContextMenuSaveReportWritesTheListWhereTheFileDialogSays) {
  TempDir dir;
  const std::string path = (dir.path() / "report").string();  // typed without ".txt"
  QStringList offered;
  QString title;
  Run([&](QListWidget* list) {
    WhenModalIs<QMenu>([&](QMenu* menu) {
      offered = Texts(menu);
      WhenModalIs<QFileDialog>([&](QFileDialog* files) {
        title = files->windowTitle();
        // Typed into the name field as a user would: the dialog fills that
        // field with the suggested name once its folder has loaded, which can
        // come after a selectFile made at once.
        QCoreApplication::processEvents();
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(path));
        static_cast<QDialog*>(files)->accept();  // QFileDialog checks the name
      });
      menu->setActiveAction(menu->actions().at(1));
      QTest::keyClick(menu, Qt::Key_Return);
    });
    RightClick(list);
  });
  EXPECT_EQ(offered, (QStringList{"Copy &All", "&Save Report..."}));
  EXPECT_EQ(title, "Save Report");
  std::ifstream in(path + ".txt", std::ios::binary);
  std::string expected;
  for (int i = 0; i < 40; ++i) expected += "line " + std::to_string(i) + "\n";
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
}

TEST_F(QtPollReport, CopyAllAndTheCopyKeysFillTheClipboard) {
  Run([&](QListWidget* list) {
    WhenModalIs<QMenu>([&](QMenu* menu) {
      menu->setActiveAction(menu->actions().at(0));
      QTest::keyClick(menu, Qt::Key_Return);
    });
    RightClick(list);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("line 0\nline 1\n"));
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith("line 39\n"));

    list->setFocus();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "line 2");

    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().count('\n'), 40);
  });
}

TEST_F(QtPollReport, ScrollIntoViewShowsTheLineAndNoMore) {
  Run([&](QListWidget* list) {
    QApplication::processEvents();
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    toolkit.ListScrollIntoView(poll.Handle(), kResultList, 39);
    QApplication::processEvents();
    const QRect last = list->visualItemRect(list->item(39));
    EXPECT_TRUE(list->viewport()->rect().contains(last));
    toolkit.ListScrollIntoView(poll.Handle(), kResultList, 30);  // already in view: stays
    EXPECT_EQ(list->visualItemRect(list->item(39)), last);
  });
}

}  // namespace
}  // namespace zorveth::ui::qt
