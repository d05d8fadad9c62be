#pragma once

#include <windows.h>
// <windows.h> renames MessageBox to MessageBoxW; the toolkit's member of
// that name must keep its own name in every translation unit.
#undef MessageBox

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit/toolkit.h"

namespace zorveth::ui::win32 {

// The toolkit on native Win32 dialogs: every template becomes an in-memory
// DLGTEMPLATEEX run by the system's dialog manager, so keyboard handling,
// default buttons, mnemonics and modality are Windows' own. A WindowHandle
// is the dialog's HWND.
class Win32Toolkit : public Toolkit {
 public:
  explicit Win32Toolkit(HINSTANCE instance);
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  // The file name of the running executable without directory and
  // extension.
  static std::string ApplicationNameOfProcess();

  // Application.
  std::string ApplicationName() const override { return m_applicationName; }
  void PumpPendingEvents() override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

  // Dialog windows.
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

  // Any control.
  void EnableControl(WindowHandle dialog, int controlId, bool enabled) override;
  bool IsControlEnabled(WindowHandle dialog, int controlId) const override;
  void ShowControl(WindowHandle dialog, int controlId, bool visible) override;
  bool IsControlVisible(WindowHandle dialog, int controlId) const override;
  Rect ControlRect(WindowHandle dialog, int controlId) const override;
  void SetControlText(WindowHandle dialog, int controlId, const std::string& text) override;
  std::string ControlText(WindowHandle dialog, int controlId) const override;
  void SetControlContextMenu(WindowHandle dialog, int controlId,
                             const std::vector<MenuItem>& items) override;
  void SetControlShortcut(WindowHandle dialog, int controlId, ControlShortcut shortcut,
                          int commandId) override;

  // Radio buttons, combo boxes, list boxes.
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
  void StartTimer(WindowHandle dialog, int timerId, int intervalMs) override;
  void StopTimer(WindowHandle dialog, int timerId) override;
  void SetPlotSeries(WindowHandle dialog, int controlId, int series,
                     const PlotSeries& data) override;

 private:
  struct Window {
    const DialogTemplate* source = nullptr;
    DialogEvents* events = nullptr;
    bool modal = false;
    bool ended = false;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    std::vector<HICON> pictures;                              // icons shown by static controls
    HWND focusWhileDisabled = nullptr;                        // see EnableControl
    std::map<int, std::vector<MenuItem>> contextMenus;        // by control id
    std::map<int, std::map<ControlShortcut, int>> shortcuts;  // control id -> key -> command
    std::map<int, std::vector<PlotSeries>> plots;             // by control id
    HFONT largeFont = nullptr;                                // for kLargeText statics
  };
  // What the dialog procedure needs at WM_INITDIALOG.
  struct Creation {
    Win32Toolkit* toolkit;
    const DialogTemplate* source;
    DialogEvents* events;
    bool modal;
  };

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // WM_COMMAND: buttons, Enter and Escape, menus, accelerators, combo boxes.
  INT_PTR HandleCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  BOOL InitDialog(HWND hwnd, const Creation& creation);
  void AttachMenu(HWND hwnd, const DialogTemplate& source);
  bool Dispatch(HWND hwnd, const Command& command);
  bool PaintMinimised(HWND hwnd, const Window& window);
  // WM_CONTEXTMENU: pops up the clicked control's menu; false when it has
  // none.
  bool ShowContextMenu(HWND dialog, HWND clicked, LPARAM where);
  // Subclass of a control with shortcuts: its Ctrl keys become commands.
  static LRESULT CALLBACK ShortcutProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);
  void Forget(HWND hwnd);
  // What a control needs beyond its template once it exists (a large font).
  void PrepareControl(Window& window, const ControlTemplate& control, HWND item);
  // WM_DRAWITEM of a plot control; false for any other control.
  bool DrawPlot(HWND dialog, const DRAWITEMSTRUCT& item);

  Window* Find(WindowHandle handle);
  const Window* Find(WindowHandle handle) const;
  // The control's window when dialog is ours and has a control of this id
  // (and, unless any, of this kind); nullptr otherwise.
  HWND Control(WindowHandle dialog, int controlId, ControlKind kind, bool any = false) const;

  HINSTANCE m_instance;
  std::string m_applicationName;
  std::map<HWND, Window> m_windows;
  std::vector<HWND> m_modalStack;  // running modal dialogs, innermost last
  int m_waitCursorDepth = 0;
  HCURSOR m_cursorBeforeWait = nullptr;
};

}  // namespace zorveth::ui::win32
