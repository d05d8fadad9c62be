#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit/headless/headless_window.h"
#include "ui/toolkit/toolkit.h"

namespace zorveth::ui::headless {

class HeadlessDialog;

// A message box as the user saw it.
struct ShownMessage {
  std::string text;
  std::string caption;
  WindowHandle owner = kNoWindow;
  int ownerTemplateId = 0;  // 0 when it had no owner
  int waitCursorDepth = 0;  // the cursor while it was up
};

// The toolkit without a display. Dialogs live in memory; a test drives them
// through scripts: "when dialog N runs, do this". RunModal runs the script
// for that template (each opening takes the next script queued for its id)
// and, when the script is done and the dialog still runs, presses Escape;
// should that not end it either, it is ended as cancelled and counted in
// ForcedEnds(). So a test that forgets a dialog never hangs.
class HeadlessToolkit : public Toolkit {
 public:
  using DialogScript = std::function<void(HeadlessDialog&)>;
  using MessageAnswer = std::function<void(const ShownMessage&)>;

  explicit HeadlessToolkit(std::string applicationName = "zorveth");
  ~HeadlessToolkit() override;

  // Queues the script for the next run of the dialog with this template id.
  void OnDialog(int templateId, DialogScript script);
  // Called with every message box, before it is "closed" with OK.
  void OnMessage(MessageAnswer answer) { m_onMessage = std::move(answer); }

  // Queues the answer to the next save-file dialog: a path, or std::nullopt
  // for Cancel. A save-file dialog without a queued answer is cancelled.
  void AnswerSaveFile(std::optional<std::string> path) { m_saveAnswers.push_back(std::move(path)); }
  // Every save-file dialog asked for, in order.
  const std::vector<SaveFileRequest>& SaveFileRequests() const { return m_saveRequests; }
  // What the last SetClipboardText put there, and how often it was called.
  const std::string& ClipboardText() const { return m_clipboard; }
  int ClipboardWrites() const { return m_clipboardWrites; }

  const std::vector<ShownMessage>& Messages() const { return m_messages; }
  std::vector<std::string> MessageTexts() const;
  // Template ids in the order their dialogs were run modally.
  const std::vector<int>& DialogsRun() const { return m_dialogsRun; }
  int WaitCursorDepth() const { return m_waitCursorDepth; }
  int WaitCursorShown() const { return m_waitCursorShown; }
  int PumpCount() const { return m_pumpCount; }
  int ForcedEnds() const { return m_forcedEnds; }
  // Scripts queued but never used (a dialog that did not open).
  int UnusedScripts() const;

  // A driver for a live window (for example a child pane).
  HeadlessDialog Driver(WindowHandle window);
  HeadlessWindow* Window(WindowHandle window);
  const HeadlessWindow* Window(WindowHandle window) const;
  // Whether the window takes user input now: it exists, has not ended, is
  // enabled, and is the innermost modal dialog (or a child of it).
  bool AcceptsInput(WindowHandle window) const;
  // Delivers a command as user input would; false when it was refused.
  bool Deliver(WindowHandle window, const Command& command);
  // Fires a running timer of the window once, as its interval passing
  // would; false when there is no such timer.
  bool FireTimer(WindowHandle window, int timerId);

  // Toolkit.
  std::string ApplicationName() const override { return m_applicationName; }
  void PumpPendingEvents() override { ++m_pumpCount; }
  void StartTimer(WindowHandle dialog, int timerId, int intervalMs) override;
  void StopTimer(WindowHandle dialog, int timerId) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override { --m_waitCursorDepth; }
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

 private:
  WindowHandle Build(const DialogTemplate& dialog, DialogEvents& events);
  void Destroy(WindowHandle window);
  HeadlessControl* Control(WindowHandle dialog, int controlId, ControlKind kind);
  const HeadlessControl* Control(WindowHandle dialog, int controlId, ControlKind kind) const;

  std::string m_applicationName;
  std::map<WindowHandle, std::unique_ptr<HeadlessWindow>> m_windows;
  std::vector<WindowHandle> m_modalStack;
  std::map<int, std::deque<DialogScript>> m_scripts;
  MessageAnswer m_onMessage;
  std::deque<std::optional<std::string>> m_saveAnswers;
  std::vector<SaveFileRequest> m_saveRequests;
  std::string m_clipboard;
  int m_clipboardWrites = 0;
  std::vector<ShownMessage> m_messages;
  std::vector<int> m_dialogsRun;
  WindowHandle m_nextHandle = 1;
  int m_waitCursorDepth = 0;
  int m_waitCursorShown = 0;
  int m_pumpCount = 0;
  int m_forcedEnds = 0;
};

}  // namespace zorveth::ui::headless
