#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>
#include <vector>

#include "ui/toolkit/qt/qt_toolkit.h"

namespace zorveth::ui::qt::testing {

// A dialog object for tests: runs body inside the live modal loop, records
// the commands that reach it and, like CDialog, ends on OK and cancel.
class ScriptedDialog : public DialogEvents {
 public:
  using Body = std::function<void(WindowHandle)>;
  ScriptedDialog(QtToolkit& toolkit, Body body) : m_toolkit(toolkit), m_body(std::move(body)) {}

  bool OnInitDialog(WindowHandle self) override {
    m_handle = self;
    if (m_onInit) m_onInit(self);
    // Tied to m_context: a pane's timer dies with the pane object.
    QTimer::singleShot(0, &m_context, [this] {
      if (m_body) m_body(m_handle);
      if (m_handle != kNoWindow && endAfterBody) m_toolkit.EndDialog(m_handle, kIdCancel);
    });
    return true;
  }
  bool OnCommand(const Command& command) override {
    commands.push_back(command);
    if (onCommand) onCommand(command);
    if (command.kind == CommandKind::ButtonClicked &&
        (command.id == kIdOk || command.id == kIdCancel) && endOnOkCancel) {
      m_toolkit.EndDialog(m_handle, command.id);
    }
    return true;
  }
  void OnWindowDestroyed() override {
    m_handle = kNoWindow;
    ++destroyed;
  }
  void OnInit(std::function<void(WindowHandle)> init) { m_onInit = std::move(init); }
  WindowHandle Handle() const { return m_handle; }

  std::vector<Command> commands;
  std::function<void(const Command&)> onCommand;
  bool endOnOkCancel = true;
  bool endAfterBody = true;
  int destroyed = 0;

 private:
  QtToolkit& m_toolkit;
  Body m_body;
  QObject m_context;
  std::function<void(WindowHandle)> m_onInit;
  WindowHandle m_handle = kNoWindow;
};

// Runs action on the next turn of whatever modal loop is running then, e.g.
// the message box or popup menu the test is about to open.
inline void WhenModal(std::function<void()> action) {
  QTimer::singleShot(0, std::move(action));
}

}  // namespace zorveth::ui::qt::testing
