// The control operations of the Win32 toolkit: plain messages to the
// control's window, found by id in a dialog of ours.
#include <vector>

#include "ui/toolkit/win32/text_conversion.h"
#include "ui/toolkit/win32/win32_toolkit.h"

namespace zorveth::ui::win32 {
namespace {

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

// The text of a combo entry or list line, by the control's own length and
// text messages.
std::string ItemText(HWND control, UINT lengthMessage, UINT textMessage, int index) {
  const LRESULT length = SendMessageW(control, lengthMessage, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};  // CB_ERR / LB_ERR: no such entry
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(control, textMessage, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(buffer.data()));
  if (copied < 0) return {};
  return Narrow(std::wstring(buffer.data(), static_cast<std::size_t>(copied)));
}

}  // namespace

HWND Win32Toolkit::Control(WindowHandle dialog, int controlId, ControlKind kind, bool any) const {
  const Window* window = Find(dialog);
  if (!window || controlId == -1) return nullptr;
  const ControlTemplate* control = window->source->FindControl(controlId);
  if (!control || (!any && control->kind != kind)) return nullptr;
  return GetDlgItem(ToHwnd(dialog), controlId);
}

void Win32Toolkit::EnableControl(WindowHandle dialog, int controlId, bool enabled) {
  HWND control = Control(dialog, controlId, ControlKind::PushButton, true);
  if (!control) return;
  Window& window = *Find(dialog);
  const HWND hwnd = ToHwnd(dialog);
  if (!enabled) {
    // Windows takes the focus from a control being disabled and gives it to
    // nobody: keys would then reach no dialog at all (not even Escape) once
    // the operation that greyed its own button is over. The dialog keeps
    // the focus meanwhile and hands it back when the control returns.
    const HWND focus = GetFocus();
    const bool hadFocus = focus && (focus == control || IsChild(control, focus));
    ::EnableWindow(control, FALSE);
    if (hadFocus) {
      window.focusWhileDisabled = control;
      const HWND now = GetFocus();
      if (!now || (now != hwnd && !IsChild(hwnd, now))) SetFocus(hwnd);
    }
    return;
  }
  ::EnableWindow(control, TRUE);
  if (window.focusWhileDisabled == control) {
    window.focusWhileDisabled = nullptr;
    const HWND now = GetFocus();
    if (!now || now == hwnd) {
      // As Tab would: the default-button look follows the focus.
      SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
  }
}

bool Win32Toolkit::IsControlEnabled(WindowHandle dialog, int controlId) const {
  HWND control = Control(dialog, controlId, ControlKind::PushButton, true);
  return control && ::IsWindowEnabled(control);
}

void Win32Toolkit::ShowControl(WindowHandle dialog, int controlId, bool visible) {
  if (HWND control = Control(dialog, controlId, ControlKind::PushButton, true)) {
    ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
  }
}

bool Win32Toolkit::IsControlVisible(WindowHandle dialog, int controlId) const {
  HWND control = Control(dialog, controlId, ControlKind::PushButton, true);
  return control && (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

Rect Win32Toolkit::ControlRect(WindowHandle dialog, int controlId) const {
  HWND control = Control(dialog, controlId, ControlKind::PushButton, true);
  RECT rect{};
  if (!control || !GetWindowRect(control, &rect)) return {};
  // Screen to the dialog's client coordinates (both corners, so a
  // right-to-left layout comes out right too).
  MapWindowPoints(nullptr, ToHwnd(dialog), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void Win32Toolkit::SetControlText(WindowHandle dialog, int controlId, const std::string& text) {
  if (HWND control = Control(dialog, controlId, ControlKind::PushButton, true)) {
    SetWindowTextW(control, Widen(text).c_str());
  }
}

std::string Win32Toolkit::ControlText(WindowHandle dialog, int controlId) const {
  HWND control = Control(dialog, controlId, ControlKind::PushButton, true);
  return control ? WindowText(control) : std::string();
}

// --- Radio buttons ------------------------------------------------------------

void Win32Toolkit::SetChecked(WindowHandle dialog, int controlId, bool checked) {
  if (HWND control = Control(dialog, controlId, ControlKind::RadioButton)) {
    SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

bool Win32Toolkit::IsChecked(WindowHandle dialog, int controlId) const {
  HWND control = Control(dialog, controlId, ControlKind::RadioButton);
  return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// --- Combo boxes --------------------------------------------------------------

void Win32Toolkit::ComboAppend(WindowHandle dialog, int controlId, const std::string& text) {
  if (HWND control = Control(dialog, controlId, ControlKind::ComboBox)) {
    // The combos are not CBS_SORT, so "add" appends.
    SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  }
}

void Win32Toolkit::ComboReset(WindowHandle dialog, int controlId) {
  // Empties the list, the selection and an editable combo's edit field.
  if (HWND control = Control(dialog, controlId, ControlKind::ComboBox)) {
    SendMessageW(control, CB_RESETCONTENT, 0, 0);
  }
}

int Win32Toolkit::ComboCount(WindowHandle dialog, int controlId) const {
  HWND control = Control(dialog, controlId, ControlKind::ComboBox);
  if (!control) return -1;
  const LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
  return count < 0 ? -1 : static_cast<int>(count);
}

std::string Win32Toolkit::ComboEntry(WindowHandle dialog, int controlId, int index) const {
  HWND control = Control(dialog, controlId, ControlKind::ComboBox);
  if (!control || index < 0) return {};
  return ItemText(control, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

int Win32Toolkit::ComboSelection(WindowHandle dialog, int controlId) const {
  HWND control = Control(dialog, controlId, ControlKind::ComboBox);
  if (!control) return -1;
  const LRESULT selection = SendMessageW(control, CB_GETCURSEL, 0, 0);
  if (selection < 0) return -1;
  // What the user typed over a selected entry of an editable combo is no
  // longer that entry.
  const ControlTemplate* source = Find(dialog)->source->FindControl(controlId);
  if ((source->style & control_style::kDropDown) != 0 &&
      WindowText(control) != ComboEntry(dialog, controlId, static_cast<int>(selection))) {
    return -1;
  }
  return static_cast<int>(selection);
}

void Win32Toolkit::ComboSelect(WindowHandle dialog, int controlId, int index) {
  HWND control = Control(dialog, controlId, ControlKind::ComboBox);
  if (!control || index < -1) return;
  if (index >= SendMessageW(control, CB_GETCOUNT, 0, 0)) return;
  // CB_SETCURSEL notifies nobody: a change from code is no user's choice.
  SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string Win32Toolkit::ComboText(WindowHandle dialog, int controlId) const {
  // The selected entry of a drop-down list, or the edit field of an
  // editable combo.
  HWND control = Control(dialog, controlId, ControlKind::ComboBox);
  return control ? WindowText(control) : std::string();
}

// --- List boxes -----------------------------------------------------------------

void Win32Toolkit::ListAppend(WindowHandle dialog, int controlId, const std::string& text) {
  if (HWND control = Control(dialog, controlId, ControlKind::ListBox)) {
    SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  }
}

int Win32Toolkit::ListCount(WindowHandle dialog, int controlId) const {
  HWND control = Control(dialog, controlId, ControlKind::ListBox);
  if (!control) return -1;
  const LRESULT count = SendMessageW(control, LB_GETCOUNT, 0, 0);
  return count < 0 ? -1 : static_cast<int>(count);
}

void Win32Toolkit::ListDelete(WindowHandle dialog, int controlId, int index) {
  HWND control = Control(dialog, controlId, ControlKind::ListBox);
  if (control && index >= 0) SendMessageW(control, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

std::string Win32Toolkit::ListEntry(WindowHandle dialog, int controlId, int index) const {
  HWND control = Control(dialog, controlId, ControlKind::ListBox);
  if (!control || index < 0) return {};
  return ItemText(control, LB_GETTEXTLEN, LB_GETTEXT, index);
}

}  // namespace zorveth::ui::win32
