#pragma once

#include <string>
#include <vector>

#include "ui/toolkit/toolkit.h"

namespace zorveth::ui::headless {

class HeadlessToolkit;

// What a test does with a live dialog, as a user would: each action is
// refused (returns false, changes nothing) when the window does not take
// input (disabled, ended, or under a modal dialog) or the control cannot
// take it (missing, disabled, hidden, wrong kind).
class HeadlessDialog {
 public:
  HeadlessDialog(HeadlessToolkit& toolkit, WindowHandle window)
      : m_toolkit(toolkit), m_window(window) {}

  WindowHandle Handle() const { return m_window; }
  int TemplateId() const;
  std::string Title() const;
  HeadlessToolkit& Toolkit() { return m_toolkit; }

  // --- Input ---
  bool Click(int controlId);
  // Picks entry index of a combo box, which notifies the dialog.
  bool Select(int controlId, int index);
  // Picks the entry with exactly this text.
  bool Select(int controlId, const std::string& entry);
  // Replaces the text of an edit field or editable combo, as if typed.
  // A digits-only edit drops every other character; false when any was
  // dropped.
  bool Type(int controlId, const std::string& text);
  bool Menu(int commandId);
  bool SystemMenu(int commandId);
  // Enter with the focus on focusControl (0: on no push button).
  bool PressEnter(int focusControl = 0);
  bool PressEscape();
  // Clicks line index of a list box (selects it; no command).
  bool SelectLine(int controlId, int index);
  // Opens the control's context menu and chooses the item with this id.
  bool ContextMenu(int controlId, int itemId);
  // Presses the shortcut with the focus on the control; false when the
  // control has no command for it.
  bool PressShortcut(int controlId, ControlShortcut shortcut);
  bool CloseBox();
  // Fires one of the dialog's running timers once.
  bool FireTimer(int timerId);

  // --- Reading ---
  bool Ended() const;
  bool Enabled() const;  // the window as a whole
  bool Enabled(int controlId) const;
  bool Visible(int controlId) const;
  bool Checked(int controlId) const;
  std::string Text(int controlId) const;                  // for a combo box: the text shown
  std::vector<std::string> Entries(int controlId) const;  // combo or list box
  int Selection(int controlId) const;                     // combo or list box
  std::vector<MenuItem> ContextMenuItems(int controlId) const;
  // The last line of a list box scrolled into view, -1 when none was.
  int ScrolledTo(int controlId) const;
  std::vector<std::pair<int, std::string>> SystemMenuItems() const;
  // The lines of a plot control as last set; empty for any other control.
  std::vector<PlotSeries> Plot(int controlId) const;
  const IconResource* Icon() const;
  // Child dialogs in creation order.
  std::vector<WindowHandle> Children() const;
  WindowHandle Owner() const;

 private:
  HeadlessToolkit& m_toolkit;
  WindowHandle m_window;
};

}  // namespace zorveth::ui::headless
