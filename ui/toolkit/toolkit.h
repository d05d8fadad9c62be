#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit/dialog_template.h"
#include "ui/toolkit/icon_image.h"

namespace zorveth::ui {

// The windowing operations the dialogs use. Dialogs address their controls
// by numeric id inside a live dialog window; a backend (Qt, Win32, or the
// in-memory one the tests drive) builds the windows from DialogTemplate
// data. Everything runs on the one user-interface thread.
//
// Conventions every backend keeps:
// - A WindowHandle names a live dialog window (top-level or child). It is
//   valid from the moment DialogEvents::OnInitDialog receives it until
//   DialogEvents::OnWindowDestroyed; 0 (kNoWindow) names none.
// - Operations on an unknown window or control id do nothing and return the
//   "nothing" value given below (empty text, -1, false); they never throw.
// - Changing a control from code never produces a Command (selecting a
//   combo entry from code is not a "selection changed"); only the user does.

using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

// Ids with a fixed meaning in every dialog.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

enum class CommandKind {
  ButtonClicked,     // a push or radio button was clicked (also Enter/Escape, below)
  SelectionChanged,  // the user picked another entry of a combo box
  MenuCommand,       // an item of the dialog's menu bar, of a control's context
                     // menu, or a control's keyboard shortcut
  SystemCommand,     // an item of the window (system) menu, with its id
  Timer,             // a timer the dialog started (StartTimer), with its id
};

struct Command {
  int id = 0;
  CommandKind kind = CommandKind::ButtonClicked;
};

// A rectangle in pixels of the backend, relative to the client area of a
// dialog window. Dialogs only pass these on (frame 1046 -> child pane).
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The platform's keys for the usual editing commands on a control.
enum class ControlShortcut {
  Copy,       // Ctrl+C (and Ctrl+Insert where the platform has it)
  SelectAll,  // Ctrl+A
};

// What the platform's save-file dialog is asked for.
struct SaveFileRequest {
  std::string title;             // caption of the file dialog
  std::string suggestedName;     // file name proposed in the name field
  std::string filterName;        // "Text files"
  std::string filterPattern;     // "*.txt"; "All files (*.*)" is always offered too
  std::string defaultExtension;  // "txt": added to a name typed without one
  // The platform's open-file dialog instead: a file that exists is chosen.
  bool openExisting = false;
};

// One line of a plot control: its label (shown with its colour) and its
// values, oldest first; a missing value is a gap in the line.
struct PlotSeries {
  std::string label;
  std::vector<std::optional<double>> values;

  friend bool operator==(const PlotSeries&, const PlotSeries&) = default;
};

// What a backend calls on the dialog object behind a window.
class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  // The window and all its controls exist (with the template's initial list
  // entries) and are not yet shown. Return true to let the toolkit set the
  // initial focus (first tab stop).
  virtual bool OnInitDialog(WindowHandle self) = 0;
  // A command reached the dialog. Return true when handled. For a
  // SystemCommand the backend does its default handling (move, minimise,
  // close...) when this returns false.
  //
  // Default commands, produced by the backend as Win32's dialog manager does:
  // - push button 2, Escape and the close box: {kIdCancel, ButtonClicked};
  // - Enter: a click of the push button that has the focus; else a click of
  //   the first push button styled kDefaultButton; else {kIdOk,
  //   ButtonClicked} (even when the dialog has no control 1).
  // The dialog decides what ends it (CDialog ends on 1 and 2 by default);
  // the backend never closes a dialog by itself.
  virtual bool OnCommand(const Command& command) = 0;
  // The window is gone (after EndDialog returned from RunModal, or with its
  // parent for a child dialog). The handle is no longer valid.
  virtual void OnWindowDestroyed() = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // --- Application -------------------------------------------------------

  // The executable's file name without directory and extension ("zorveth",
  // "Zorveth"): the caption of every message box.
  virtual std::string ApplicationName() const = 0;

  // Handles pending repaint, resize and timer events without taking any
  // user input (no clicks, no keys), then returns at once. Long operations
  // call it while they wait so their windows keep repainting.
  virtual void PumpPendingEvents() = 0;

  // Shows the busy cursor over the whole application. Calls nest: the
  // normal cursor returns when every Begin has had its End.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;

  // --- Timers ------------------------------------------------------------

  // Starts a repeating timer of the dialog: about every intervalMs the
  // dialog gets {timerId, Timer} until StopTimer or until its window goes.
  // A timer is no user input: it also fires behind a message box. Starting
  // a running timer restarts it.
  virtual void StartTimer(WindowHandle dialog, int timerId, int intervalMs) = 0;
  virtual void StopTimer(WindowHandle dialog, int timerId) = 0;

  // --- Dialog windows ----------------------------------------------------

  // Builds a top-level dialog from the template and runs it modally: calls
  // events.OnInitDialog, shows the window, then delivers commands until
  // EndDialog is called for it; destroys the window (OnWindowDestroyed) and
  // returns the result given to EndDialog. While it runs, its owner and the
  // owner's owners take no input. owner kNoWindow: the active dialog (the
  // innermost one running), or no owner when none runs.
  virtual int RunModal(const DialogTemplate& dialog, WindowHandle owner, DialogEvents& events) = 0;

  // Ends the modal run of dialog with result (kIdOk, kIdCancel, ...). The
  // run returns once the current command handler has returned.
  virtual void EndDialog(WindowHandle dialog, int result) = 0;

  // Builds a child dialog (a template with dialog_style::kChild) inside
  // parent, calls events.OnInitDialog and returns its handle. It starts
  // hidden unless the template says kVisible and is destroyed with its
  // parent (OnWindowDestroyed is called then).
  virtual WindowHandle CreateChildDialog(const DialogTemplate& dialog, WindowHandle parent,
                                         DialogEvents& events) = 0;

  // Places a child dialog onto a rectangle of its parent's client area
  // (resizing it) and repaints it.
  virtual void MoveWindow(WindowHandle window, const Rect& rect) = 0;
  // Brings a child dialog to the top of its siblings without moving it.
  virtual void RaiseWindow(WindowHandle window) = 0;
  virtual void ShowWindow(WindowHandle window, bool visible) = 0;
  virtual bool IsWindowVisible(WindowHandle window) const = 0;

  // A disabled dialog window refuses all input (including its menus and
  // close box); its controls keep their own enabled state.
  virtual void EnableWindow(WindowHandle window, bool enabled) = 0;
  virtual bool IsWindowEnabled(WindowHandle window) const = 0;

  // Big (title bar, task switcher) and small (window menu) icon of a window.
  virtual void SetWindowIcon(WindowHandle window, const IconResource& icon) = 0;

  // Appends an item with this id and text to the window's system menu,
  // after a separator when separatorBefore; choosing it delivers {id,
  // SystemCommand}. A backend without a system menu offers the item where
  // the window's own menu is (e.g. the dialog's context menu) or in the
  // menu bar.
  virtual void AppendSystemMenuItem(WindowHandle window, int id, const std::string& text,
                                    bool separatorBefore) = 0;

  // Modal save-file dialog of the platform owned by owner (kNoWindow: the
  // active dialog). Returns the chosen path (the platform asks before an
  // existing file is replaced), or nothing when the user cancelled. With
  // request.openExisting, the open-file dialog for a file that exists.
  virtual std::optional<std::string> AskSaveFileName(WindowHandle owner,
                                                     const SaveFileRequest& request) = 0;

  // Puts text on the clipboard. Lines are separated by '\n'; the backend
  // gives other programs the platform's own line ends.
  virtual void SetClipboardText(const std::string& text) = 0;

  // Modal message box owned by owner (kNoWindow: the active dialog): the
  // text, one OK button, no icon, ApplicationName() as caption. Returns when
  // the user has closed it.
  virtual void MessageBox(WindowHandle owner, const std::string& text) = 0;

  // --- Any control -------------------------------------------------------

  // Gives a control a context menu (right click, the Menu key, Shift+F10),
  // replacing any it had. An item with id 0 and no text is a separator;
  // choosing an item delivers {id, MenuCommand}.
  virtual void SetControlContextMenu(WindowHandle dialog, int controlId,
                                     const std::vector<MenuItem>& items) = 0;
  // While the control has the keyboard focus, the shortcut delivers
  // {commandId, MenuCommand} instead of doing what the control would do.
  virtual void SetControlShortcut(WindowHandle dialog, int controlId, ControlShortcut shortcut,
                                  int commandId) = 0;

  // A disabled control is greyed and ignores clicks and typing.
  virtual void EnableControl(WindowHandle dialog, int controlId, bool enabled) = 0;
  virtual bool IsControlEnabled(WindowHandle dialog, int controlId) const = 0;
  virtual void ShowControl(WindowHandle dialog, int controlId, bool visible) = 0;
  virtual bool IsControlVisible(WindowHandle dialog, int controlId) const = 0;
  // The control's rectangle in the dialog's client coordinates (also for a
  // hidden one).
  virtual Rect ControlRect(WindowHandle dialog, int controlId) const = 0;

  // Text of an edit field, static text, group box or button. A digits-only
  // edit accepts any text from code; only typing is filtered.
  virtual void SetControlText(WindowHandle dialog, int controlId, const std::string& text) = 0;
  virtual std::string ControlText(WindowHandle dialog, int controlId) const = 0;

  // --- Radio buttons -----------------------------------------------------

  virtual void SetChecked(WindowHandle dialog, int controlId, bool checked) = 0;
  virtual bool IsChecked(WindowHandle dialog, int controlId) const = 0;

  // --- Combo boxes -------------------------------------------------------

  // Appends an entry at the end (combos are never sorted).
  virtual void ComboAppend(WindowHandle dialog, int controlId, const std::string& text) = 0;
  // Removes every entry and clears the selection (and an editable combo's
  // text).
  virtual void ComboReset(WindowHandle dialog, int controlId) = 0;
  virtual int ComboCount(WindowHandle dialog, int controlId) const = 0;
  // Text of entry index; empty when out of range.
  virtual std::string ComboEntry(WindowHandle dialog, int controlId, int index) const = 0;
  // Index of the selected entry, -1 when none (also after the user typed
  // into an editable combo something that is not an entry).
  virtual int ComboSelection(WindowHandle dialog, int controlId) const = 0;
  // Selects entry index (its text becomes the shown text); -1 clears the
  // selection. Out of range: nothing changes.
  virtual void ComboSelect(WindowHandle dialog, int controlId, int index) = 0;
  // The text shown: the selected entry's, or for an editable combo what is
  // in its edit field (typed or selected); empty when nothing is selected.
  virtual std::string ComboText(WindowHandle dialog, int controlId) const = 0;

  // --- List boxes --------------------------------------------------------

  // Appends a line at the end; the list does not sort and does not scroll.
  virtual void ListAppend(WindowHandle dialog, int controlId, const std::string& text) = 0;
  // Number of lines, -1 when the control is not a list box.
  virtual int ListCount(WindowHandle dialog, int controlId) const = 0;
  virtual void ListDelete(WindowHandle dialog, int controlId, int index) = 0;
  virtual std::string ListEntry(WindowHandle dialog, int controlId, int index) const = 0;
  // The selected line of a single-selection list, -1 when none.
  virtual int ListSelection(WindowHandle dialog, int controlId) const = 0;
  // Selects line index (the list may scroll to show it); -1 clears the
  // selection. Out of range: nothing changes.
  virtual void ListSelect(WindowHandle dialog, int controlId, int index) = 0;
  // Scrolls the list as little as needed for line index to be in view.
  virtual void ListScrollIntoView(WindowHandle dialog, int controlId, int index) = 0;

  // --- Plots -------------------------------------------------------------

  // Sets line number `series` (0, 1, ...; the lines below it are added
  // empty when missing) of a plot control, replacing what it had, and
  // repaints it. The scale runs from 0 to the highest value shown, at least
  // 100; the newest value is at the right edge.
  virtual void SetPlotSeries(WindowHandle dialog, int controlId, int series,
                             const PlotSeries& data) = 0;
};

// Where a plot puts its values, shared by every backend that draws one: the
// top of the scale, its step between grid lines, and how many values the
// width spans (at least kPlotMinimumSpan, so a few first values do not
// stretch across it).
inline constexpr std::size_t kPlotMinimumSpan = 60;
struct PlotScale {
  double top = 100;
  double step = 25;
  std::size_t span = kPlotMinimumSpan;
};
PlotScale ScaleOfPlot(const std::vector<PlotSeries>& series);

// Combo select-by-prefix, shared by every backend: searches the entries
// after startIndex to the end, then from the top back to startIndex, for the
// first whose text begins with prefix ignoring case (startIndex -1 searches
// the whole list from the top). Selects it and returns its index; -1 and the
// selection unchanged when none matches.
int ComboSelectByPrefix(Toolkit& toolkit, WindowHandle dialog, int controlId, int startIndex,
                        const std::string& prefix);

// The toolkit of this platform (Qt on Linux, Win32 on Windows), defined by
// the backend CMake links into the program. argc/argv are the program's; the
// backend may consume its own options and derives ApplicationName() from
// argv[0].
std::unique_ptr<Toolkit> CreatePlatformToolkit(int& argc, char** argv);

}  // namespace zorveth::ui
