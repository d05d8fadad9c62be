#pragma once

// Drives a running Qt application the way a user would, one step at a time,
// from inside its own event loops: each step waits (up to a generous
// deadline) until what the user would look for is on screen, then acts.
//
// The dialogs run their operations on the user-interface thread and keep
// only non-input events flowing meanwhile, and every dialog is a nested
// modal loop. So the script is a repeating timer that only looks, and every
// action runs from a zero-delay timer of its own: an action that opens a
// modal window blocks in that window's loop, while the looking timer goes on
// ticking inside it.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zorveth::testing {

// The visible top-level window with this title, if any.
inline QWidget* VisibleWindowTitled(const QString& title) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->windowTitle() == title) return widget;
  }
  return nullptr;
}

// The push button of window whose text (mnemonic ampersand included) is text.
inline QPushButton* ButtonLabelled(QWidget* window, const QString& text) {
  if (!window) return nullptr;
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

// A key as the user types it: it goes to whatever has the keyboard focus in
// window, so a control that swallowed it would show up as a failure.
inline void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QWidget* target = window->focusWidget();
  if (!target || target->window() != window) target = window;
  QTest::keyClick(target, key, modifiers);
}

inline bool OperationRunning() {
  const QCursor* cursor = QApplication::overrideCursor();
  return cursor && cursor->shape() == Qt::WaitCursor;
}

class UserScript : public QObject {
 public:
  explicit UserScript(std::chrono::milliseconds stepDeadline = std::chrono::seconds(30))
      : m_stepDeadline(stepDeadline) {
    m_ticker.setInterval(20);
    connect(&m_ticker, &QTimer::timeout, this, [this] { Tick(); });
  }

  // Waits until ready() holds, then runs act() once.
  void Then(std::string what, std::function<bool()> ready, std::function<void()> act) {
    m_steps.push_back({std::move(what), std::move(ready), std::move(act)});
  }
  // Runs on every tick, also while an operation blocks the dialogs: for what
  // can only be seen while it happens.
  void Watch(std::function<void()> observer) { m_observers.push_back(std::move(observer)); }

  void Start() {
    m_clock.start();
    m_ticker.start();
  }
  // Gives up on the remaining steps and closes whatever is open, so the
  // application's own loop ends and the test can report.
  void Abort(const std::string& why) {
    if (m_failure.empty()) m_failure = why;
    m_unwinding = true;
  }

  bool Completed() const { return m_next == m_steps.size() && m_failure.empty(); }
  const std::string& Failure() const { return m_failure; }
  // What is on screen, for failure messages.
  static std::string Describe() {
    std::string text = "windows:";
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (!widget->isVisible()) continue;
      text += " [" + widget->windowTitle().toStdString();
      if (auto* box = qobject_cast<QMessageBox*>(widget)) text += ": " + box->text().toStdString();
      text += "]";
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
      text += "; top modal: " + modal->windowTitle().toStdString();
    }
    if (OperationRunning()) text += "; busy";
    return text;
  }

 private:
  struct Step {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
  };

  void Tick() {
    for (const auto& observer : m_observers) observer();
    if (m_unwinding) {
      Unwind();
      return;
    }
    if (m_actionPending) return;
    if (m_next >= m_steps.size()) {
      // The last action should have ended the program, and with it the
      // ticking.
      if (std::chrono::milliseconds(m_clock.elapsed()) > m_stepDeadline) {
        Abort("the program did not end after: " + m_steps.back().what + " (" + Describe() + ")");
      }
      return;
    }
    Step& step = m_steps[m_next];
    if (!step.ready()) {
      if (std::chrono::milliseconds(m_clock.elapsed()) > m_stepDeadline) {
        Abort("gave up waiting for: " + step.what + " (" + Describe() + ")");
      }
      return;
    }
    ++m_next;
    m_actionPending = true;
    QTimer::singleShot(0, this, [this, act = step.act] {
      // Once it has started the next step may look: an action that opens a
      // modal window does not come back until that window is gone.
      m_actionPending = false;
      m_clock.restart();
      if (act) act();
    });
  }

  // Answers message boxes and cancels dialogs, innermost first, leaving a
  // running operation alone until it ends. A dialog that refuses to cancel
  // is hidden, which ends its modal loop whatever its owner thinks.
  void Unwind() {
    if (!m_unwindClock.isValid()) m_unwindClock.start();
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || m_actionPending) return;
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box && OperationRunning()) return;
    const bool force = std::chrono::milliseconds(m_unwindClock.elapsed()) > m_stepDeadline / 3;
    m_actionPending = true;
    QTimer::singleShot(0, this, [this, force, window = QPointer<QWidget>(modal)] {
      m_actionPending = false;
      if (!window) return;
      if (auto* message = qobject_cast<QMessageBox*>(window.data())) {
        if (!message->buttons().isEmpty()) message->buttons().first()->click();
      } else if (auto* dialog = qobject_cast<QDialog*>(window.data())) {
        if (force) {
          dialog->hide();
        } else {
          dialog->reject();
        }
      }
    });
  }

  std::chrono::milliseconds m_stepDeadline;
  QTimer m_ticker;
  QElapsedTimer m_clock;
  QElapsedTimer m_unwindClock;
  std::vector<Step> m_steps;
  std::vector<std::function<void()>> m_observers;
  std::size_t m_next = 0;
  bool m_actionPending = false;
  bool m_unwinding = false;
  std::string m_failure;
};

}  // namespace zorveth::testing
