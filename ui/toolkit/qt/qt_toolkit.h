#pragma once

#include <QPointer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/toolkit/qt/dialog_window.h"
#include "ui/toolkit/toolkit.h"

class QApplication;
class QMenuBar;

namespace zorveth::ui::qt {

// The toolkit on Qt 6 Widgets. Top-level dialogs are QDialogs run with
// exec(); child dialogs are client areas placed inside their parent's.
// Handles are numbers that are never reused, so a stale one finds nothing.
class QtToolkit : public Toolkit {
 public:
  // Uses the QApplication that exists, or owns the one it is given.
  explicit QtToolkit(std::string applicationName, std::unique_ptr<QApplication> application = {});
  ~QtToolkit() override;

  // The executable's file name without directory and extension.
  static std::string ApplicationNameFromPath(const std::string& path);

  // For tests and the screenshot tool: the widgets behind a handle.
  QWidget* ControlWidget(WindowHandle dialog, int controlId) const;
  DialogWindow* TopLevel(WindowHandle window) const;  // the window's own or its parent's
  DialogSurface* ClientArea(WindowHandle window) const;

  std::string ApplicationName() const override { return m_applicationName; }
  void PumpPendingEvents() override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  int RunModal(const DialogTemplate& dialog, WindowHandle owner, DialogEvents& events) override;
  void EndDialog(WindowHandle dialog, int result) override;
  WindowHandle CreateChildDialog(const DialogTemplate& dialog, WindowHandle parent,
                                 DialogEvents& events) override;
  void MoveWindow(WindowHandle window, const Rect& rect) override;
  void RaiseWindow(WindowHandle window) override;
  void ShowWindow(WindowHandle window, bool visible) override;
  bool IsWindowVisible(WindowHandle window) const override;
  void EnableWindow(WindowHandle window, bool enabled) override;
  bool IsWindowEnabled(WindowHandle window) const override;
  void SetWindowIcon(WindowHandle window, const IconResource& icon) override;
  void AppendSystemMenuItem(WindowHandle window, int id, const std::string& text,
                            bool separatorBefore) override;
  std::optional<std::string> AskSaveFileName(WindowHandle owner,
                                             const SaveFileRequest& request) override;
  void SetClipboardText(const std::string& text) override;
  void MessageBox(WindowHandle owner, const std::string& text) override;
  void SetControlContextMenu(WindowHandle dialog, int controlId,
                             const std::vector<MenuItem>& items) override;
  void SetControlShortcut(WindowHandle dialog, int controlId, ControlShortcut shortcut,
                          int commandId) override;
  void EnableControl(WindowHandle dialog, int controlId, bool enabled) override;
  bool IsControlEnabled(WindowHandle dialog, int controlId) const override;
  void ShowControl(WindowHandle dialog, int controlId, bool visible) override;
  bool IsControlVisible(WindowHandle dialog, int controlId) const override;
  Rect ControlRect(WindowHandle dialog, int controlId) const override;
  void SetControlText(WindowHandle dialog, int controlId, const std::string& text) override;
  std::string ControlText(WindowHandle dialog, int controlId) const override;
  void SetChecked(WindowHandle dialog, int controlId, bool checked) override;
  bool IsChecked(WindowHandle dialog, int controlId) const override;
  void ComboAppend(WindowHandle dialog, int controlId, const std::string& text) override;
  void ComboReset(WindowHandle dialog, int controlId) override;
  int ComboCount(WindowHandle dialog, int controlId) const override;
  std::string ComboEntry(WindowHandle dialog, int controlId, int index) const override;
  int ComboSelection(WindowHandle dialog, int controlId) const override;
  void ComboSelect(WindowHandle dialog, int controlId, int index) override;
  std::string ComboText(WindowHandle dialog, int controlId) const override;
  void ListAppend(WindowHandle dialog, int controlId, const std::string& text) override;
  int ListCount(WindowHandle dialog, int controlId) const override;
  void ListDelete(WindowHandle dialog, int controlId, int index) override;
  std::string ListEntry(WindowHandle dialog, int controlId, int index) const override;
  int ListSelection(WindowHandle dialog, int controlId) const override;
  void ListSelect(WindowHandle dialog, int controlId, int index) override;
  void ListScrollIntoView(WindowHandle dialog, int controlId, int index) override;
  void SetPlotSeries(WindowHandle dialog, int controlId, int series,
                     const PlotSeries& data) override;
  void StartTimer(WindowHandle dialog, int timerId, int intervalMs) override;
  void StopTimer(WindowHandle dialog, int timerId) override;

 private:
  struct Window {
    QPointer<DialogSurface> surface;
    QPointer<DialogWindow> dialog;  // top-level windows only
    DialogEvents* events = nullptr;
    WindowHandle parent = kNoWindow;  // child dialogs only
    bool ended = false;
    int result = kIdCancel;
  };

  const Window* Find(WindowHandle handle) const;
  Window* Find(WindowHandle handle);
  QWidget* Widget(const Window& window) const;
  void Dispatch(WindowHandle handle, const Command& command);
  bool AcceptsClose(WindowHandle handle) const;
  // Forgets the window and its children, children first, telling each
  // dialog object its window is gone.
  void Destroy(WindowHandle handle);
  void DiscardQueuedInput();

  std::unique_ptr<QApplication> m_application;
  std::string m_applicationName;
  std::map<WindowHandle, Window> m_windows;
  std::vector<WindowHandle> m_modalStack;
  WindowHandle m_nextHandle = 1;
  int m_waitCursorDepth = 0;
  int m_pumpDepth = 0;
};

}  // namespace zorveth::ui::qt
