// File dialog, clipboard, context menus, shortcuts and list selection of the
// Win32 toolkit.
// <windows.h> (through our header) before the other system headers.
// clang-format off
#include "ui/toolkit/win32/win32_toolkit.h"
#include <commctrl.h>
#include <commdlg.h>
// clang-format on

#include <algorithm>
#include <vector>

#include "ui/toolkit/win32/text_conversion.h"

namespace zorveth::ui::win32 {
namespace {

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

// Identifies our subclass of a control among any others it may have.
constexpr UINT_PTR kShortcutSubclassId = 0x5A56;

HMENU BuildPopup(const std::vector<MenuItem>& items) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (const MenuItem& item : items) {
    if (!item.items.empty()) {
      if (HMENU sub = BuildPopup(item.items)) {
        AppendMenuW(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
                    Widen(item.text).c_str());
      }
    } else if (item.text.empty() && item.id == 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), Widen(item.text).c_str());
    }
  }
  return menu;
}

bool ControlKeyDown() {
  return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

}  // namespace

std::optional<std::string> Win32Toolkit::AskSaveFileName(WindowHandle owner,
                                                         const SaveFileRequest& request) {
  if (owner == kNoWindow && !m_modalStack.empty())
    owner = reinterpret_cast<WindowHandle>(m_modalStack.back());
  // "Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0\0"
  std::string filter;
  if (!request.filterPattern.empty()) {
    filter += request.filterName + " (" + request.filterPattern + ")";
    filter += '\0';
    filter += request.filterPattern;
    filter += '\0';
  }
  filter += "All files (*.*)";
  filter += '\0';
  filter += "*.*";
  filter += '\0';
  std::vector<char> path(MAX_PATH, '\0');
  const std::size_t suggested = std::min(request.suggestedName.size(), path.size() - 1);
  std::copy_n(request.suggestedName.begin(), suggested, path.begin());

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Find(owner) ? ToHwnd(owner) : nullptr;
  dialog.lpstrFilter = filter.c_str();  // ends in two NULs: its own and c_str()'s
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  dialog.lpstrDefExt =
      request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  // The working directory stays where it was: the settings file is found
  // there.
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (request.openExisting ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
  // Cancelled, or the dialog failed.
  if (!(request.openExisting ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog))) {
    return std::nullopt;
  }
  return std::string(path.data());
}

void Win32Toolkit::SetClipboardText(const std::string& text) {
  std::string withCrLf;
  for (char c : text) {
    if (c == '\n') withCrLf += '\r';
    withCrLf += c;
  }
  const std::wstring wide = Widen(withCrLf);
  const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return;
  if (void* target = GlobalLock(memory)) {
    std::copy_n(wide.c_str(), wide.size() + 1, static_cast<wchar_t*>(target));
    GlobalUnlock(memory);
  }
  const HWND owner = m_modalStack.empty() ? nullptr : m_modalStack.back();
  if (OpenClipboard(owner)) {
    EmptyClipboard();
    // The clipboard owns the memory from here on, if it took it.
    if (SetClipboardData(CF_UNICODETEXT, memory)) memory = nullptr;
    CloseClipboard();
  }
  if (memory) GlobalFree(memory);
}

void Win32Toolkit::SetControlContextMenu(WindowHandle dialog, int controlId,
                                         const std::vector<MenuItem>& items) {
  if (!Control(dialog, controlId, ControlKind::ListBox, true)) return;
  Find(dialog)->contextMenus[controlId] = items;
}

void Win32Toolkit::SetControlShortcut(WindowHandle dialog, int controlId, ControlShortcut shortcut,
                                      int commandId) {
  HWND control = Control(dialog, controlId, ControlKind::ListBox, true);
  if (!control) return;
  Find(dialog)->shortcuts[controlId][shortcut] = commandId;
  SetWindowSubclass(control, ShortcutProc, kShortcutSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

bool Win32Toolkit::ShowContextMenu(HWND dialog, HWND clicked, LPARAM where) {
  const Window* window = Find(reinterpret_cast<WindowHandle>(dialog));
  if (!window || !clicked || GetParent(clicked) != dialog) return false;
  const auto found = window->contextMenus.find(GetDlgCtrlID(clicked));
  if (found == window->contextMenus.end() || found->second.empty()) return false;
  POINT point{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  if (where == static_cast<LPARAM>(-1)) {
    // From the keyboard (Menu key, Shift+F10): at the control.
    RECT rect{};
    GetWindowRect(clicked, &rect);
    point = {rect.left + 4, rect.top + 4};
  }
  HMENU menu = BuildPopup(found->second);
  if (!menu) return true;
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, point.x,
                                    point.y, 0, dialog, nullptr);
  DestroyMenu(menu);
  if (chosen != 0) Dispatch(dialog, {chosen, CommandKind::MenuCommand});
  return true;
}

LRESULT CALLBACK Win32Toolkit::ShortcutProc(HWND control, UINT message, WPARAM wParam,
                                            LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR data) {
  auto* toolkit = reinterpret_cast<Win32Toolkit*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, ShortcutProc, kShortcutSubclassId);
  } else if ((message == WM_KEYDOWN || message == WM_CHAR) && ControlKeyDown()) {
    // Ctrl+C and Ctrl+A arrive as key 'C'/'A' and then as characters 3 and
    // 1; the list box would take the characters for a search.
    ControlShortcut shortcut{};
    bool known = true;
    if (message == WM_KEYDOWN ? wParam == 'C' || wParam == VK_INSERT : wParam == 3) {
      shortcut = ControlShortcut::Copy;
    } else if (message == WM_KEYDOWN ? wParam == 'A' : wParam == 1) {
      shortcut = ControlShortcut::SelectAll;
    } else {
      known = false;
    }
    const HWND dialog = GetParent(control);
    const Window* window = toolkit->Find(reinterpret_cast<WindowHandle>(dialog));
    if (known && window) {
      const auto keys = window->shortcuts.find(GetDlgCtrlID(control));
      if (keys != window->shortcuts.end()) {
        const auto command = keys->second.find(shortcut);
        if (command != keys->second.end()) {
          if (message == WM_KEYDOWN) {
            toolkit->Dispatch(dialog, {command->second, CommandKind::MenuCommand});
          }
          return 0;
        }
      }
    }
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

int Win32Toolkit::ListSelection(WindowHandle dialog, int controlId) const {
  HWND control = Control(dialog, controlId, ControlKind::ListBox);
  if (!control) return -1;
  const LRESULT selected = SendMessageW(control, LB_GETCURSEL, 0, 0);
  return selected < 0 ? -1 : static_cast<int>(selected);
}

void Win32Toolkit::ListSelect(WindowHandle dialog, int controlId, int index) {
  HWND control = Control(dialog, controlId, ControlKind::ListBox);
  if (!control) return;
  const LRESULT count = SendMessageW(control, LB_GETCOUNT, 0, 0);
  if (index >= -1 && index < count)
    SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32Toolkit::ListScrollIntoView(WindowHandle dialog, int controlId, int index) {
  HWND control = Control(dialog, controlId, ControlKind::ListBox);
  if (!control || index < 0 || index >= SendMessageW(control, LB_GETCOUNT, 0, 0)) return;
  const int top = static_cast<int>(SendMessageW(control, LB_GETTOPINDEX, 0, 0));
  const int lineHeight =
      std::max(1, static_cast<int>(SendMessageW(control, LB_GETITEMHEIGHT, 0, 0)));
  RECT client{};
  GetClientRect(control, &client);
  const int fullLines = std::max(1, static_cast<int>(client.bottom - client.top) / lineHeight);
  if (index < top) {
    SendMessageW(control, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  } else if (index >= top + fullLines) {
    SendMessageW(control, LB_SETTOPINDEX, static_cast<WPARAM>(index - fullLines + 1), 0);
  }
}

// Timer ids are the dialog's own; the system keeps them per window and
// kills them with it.
void Win32Toolkit::StartTimer(WindowHandle dialog, int timerId, int intervalMs) {
  if (Find(dialog)) SetTimer(ToHwnd(dialog), static_cast<UINT_PTR>(timerId), intervalMs, nullptr);
}

void Win32Toolkit::StopTimer(WindowHandle dialog, int timerId) {
  if (Find(dialog)) KillTimer(ToHwnd(dialog), static_cast<UINT_PTR>(timerId));
}

// A minimised dialog shows its large icon, as the system does for any
// window that has one.
bool Win32Toolkit::PaintMinimised(HWND hwnd, const Window& window) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd, &paint);
  if (!dc) return false;
  SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client{};
  GetClientRect(hwnd, &client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  DrawIcon(dc, x, y, window.bigIcon);
  EndPaint(hwnd, &paint);
  return true;
}

}  // namespace zorveth::ui::win32
