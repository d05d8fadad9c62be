#include "ui/toolkit/win32/win32_toolkit.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "ui/toolkit/win32/dialog_template_builder.h"
#include "ui/toolkit/win32/icon_handles.h"
#include "ui/toolkit/win32/text_conversion.h"

namespace zorveth::ui::win32 {
namespace {

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}
WindowHandle ToHandle(HWND hwnd) {
  return reinterpret_cast<WindowHandle>(hwnd);
}

// A dialog procedure answers most messages with TRUE/FALSE and puts the
// message's own result here.
INT_PTR Answer(HWND hwnd, LRESULT result) {
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

HMENU BuildMenu(const std::vector<MenuItem>& items, bool popup) {
  HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
  if (!menu) return nullptr;
  for (const MenuItem& item : items) {
    const std::wstring text = Widen(item.text);
    if (item.items.empty()) {
      AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), text.c_str());
    } else if (HMENU sub = BuildMenu(item.items, true)) {
      AppendMenuW(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
    }
  }
  return menu;
}

// Longest time one PumpPendingEvents call spends: a window that keeps
// invalidating itself must not keep an operation from its work.
constexpr int kMaxMessagesPerPump = 200;

}  // namespace

Win32Toolkit::Win32Toolkit(HINSTANCE instance)
    : m_instance(instance), m_applicationName(ApplicationNameOfProcess()) {}

Win32Toolkit::~Win32Toolkit() {
  while (m_waitCursorDepth > 0) EndWaitCursor();
}

std::string Win32Toolkit::ApplicationNameOfProcess() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // truncated: try a larger buffer
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.resize(dot);
  return Narrow(name);
}

Win32Toolkit::Window* Win32Toolkit::Find(WindowHandle handle) {
  const auto found = m_windows.find(ToHwnd(handle));
  return found == m_windows.end() ? nullptr : &found->second;
}

const Win32Toolkit::Window* Win32Toolkit::Find(WindowHandle handle) const {
  const auto found = m_windows.find(ToHwnd(handle));
  return found == m_windows.end() ? nullptr : &found->second;
}

// --- The dialog procedure -------------------------------------------------

INT_PTR CALLBACK Win32Toolkit::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* creation = reinterpret_cast<const Creation*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->toolkit));
    return creation->toolkit->InitDialog(hwnd, *creation);
  }
  // Messages before WM_INITDIALOG (WM_SETFONT...) find no toolkit yet.
  auto* toolkit = reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return toolkit ? toolkit->HandleMessage(hwnd, message, wParam, lParam) : FALSE;
}

BOOL Win32Toolkit::InitDialog(HWND hwnd, const Creation& creation) {
  Window& window = m_windows[hwnd];
  window.source = creation.source;
  window.events = creation.events;
  window.modal = creation.modal;
  if (creation.modal) m_modalStack.push_back(hwnd);

  // The dialog manager makes the controls in template order, each below the
  // one before: walking the children is walking the template, also for the
  // unaddressed ones (labels, the About icon) that share id -1.
  HWND item = GetWindow(hwnd, GW_CHILD);
  for (const ControlTemplate& control : creation.source->controls) {
    if (!item) break;
    for (const std::string& entry : control.initialEntries) {
      const std::wstring text = Widen(entry);
      if (control.kind == ControlKind::ComboBox) {
        SendMessageW(item, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      } else if (control.kind == ControlKind::ListBox) {
        SendMessageW(item, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      }
    }
    if (control.kind == ControlKind::Icon && control.icon) {
      if (HICON picture = CreateIconFromResource(*control.icon, GetSystemMetrics(SM_CXICON))) {
        window.pictures.push_back(picture);
        SendMessageW(item, STM_SETICON, reinterpret_cast<WPARAM>(picture), 0);
      }
    }
    PrepareControl(window, control, item);
    item = GetWindow(item, GW_HWNDNEXT);
  }
  if (!creation.source->menu.empty() && (creation.source->style & dialog_style::kChild) == 0) {
    AttachMenu(hwnd, *creation.source);
  }
  // The handler may open other dialogs, which changes m_windows.
  DialogEvents* events = creation.events;
  return events->OnInitDialog(ToHandle(hwnd)) ? TRUE : FALSE;
}

void Win32Toolkit::AttachMenu(HWND hwnd, const DialogTemplate& source) {
  HMENU menu = BuildMenu(source.menu, false);
  if (!menu) return;
  // The template's size is that of the client area; a menu bar added after
  // creation would take its height from the bottom row of controls, so the
  // window grows by what the bar (on however many lines) took.
  RECT before{}, after{}, frame{};
  GetClientRect(hwnd, &before);
  SetMenu(hwnd, menu);
  GetClientRect(hwnd, &after);
  const int grow = (before.bottom - before.top) - (after.bottom - after.top);
  if (grow > 0 && GetWindowRect(hwnd, &frame)) {
    SetWindowPos(hwnd, nullptr, frame.left, frame.top - grow / 2, frame.right - frame.left,
                 frame.bottom - frame.top + grow, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

INT_PTR Win32Toolkit::HandleCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  const HWND from = reinterpret_cast<HWND>(lParam);
  // OK and cancel come from their buttons, from Enter and Escape (with
  // or without such a button) and from the close box.
  if (id == IDOK || id == IDCANCEL) {
    if (code == BN_CLICKED) Dispatch(hwnd, {id, CommandKind::ButtonClicked});
    return TRUE;
  }
  if (!from) {  // the menu bar (0) or an accelerator (1)
    if (code == 0 || code == 1) Dispatch(hwnd, {id, CommandKind::MenuCommand});
    return TRUE;
  }
  const Window* window = Find(ToHandle(hwnd));
  const ControlTemplate* control = window ? window->source->FindControl(id) : nullptr;
  if (!control) return FALSE;
  if ((control->kind == ControlKind::PushButton || control->kind == ControlKind::RadioButton) &&
      code == BN_CLICKED) {
    Dispatch(hwnd, {id, CommandKind::ButtonClicked});
    return TRUE;
  }
  if (control->kind == ControlKind::ComboBox && code == CBN_SELCHANGE) {
    Dispatch(hwnd, {id, CommandKind::SelectionChanged});
    return TRUE;
  }
  return FALSE;
}

INT_PTR Win32Toolkit::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return HandleCommand(hwnd, wParam, lParam);
    case WM_TIMER:
      Dispatch(hwnd, {static_cast<int>(wParam), CommandKind::Timer});
      return Answer(hwnd, 0);
    case WM_SYSCOMMAND:
      // The dialog takes its own items; move, minimise, close... stay the
      // system's.
      if (Dispatch(hwnd, {static_cast<int>(wParam & 0xFFFF), CommandKind::SystemCommand})) {
        return Answer(hwnd, 0);
      }
      return FALSE;
    case WM_DRAWITEM:
      return DrawPlot(hwnd, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_CONTEXTMENU:
      if (ShowContextMenu(hwnd, reinterpret_cast<HWND>(wParam), lParam)) return Answer(hwnd, 0);
      return FALSE;
    case WM_PAINT: {
      const Window* window = Find(ToHandle(hwnd));
      if (window && IsIconic(hwnd) && window->bigIcon && PaintMinimised(hwnd, *window)) {
        return Answer(hwnd, 0);
      }
      return FALSE;
    }
    case WM_QUERYDRAGICON: {
      // One of the messages whose result a dialog procedure returns itself.
      const Window* window = Find(ToHandle(hwnd));
      return window ? reinterpret_cast<INT_PTR>(window->bigIcon) : 0;
    }
    case WM_SETCURSOR:
      // While an operation runs, the pointer over its windows stays busy.
      if (m_waitCursorDepth > 0) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return Answer(hwnd, TRUE);
      }
      return FALSE;
    case WM_NCDESTROY:
      Forget(hwnd);
      return FALSE;
    default:
      return FALSE;
  }
}

bool Win32Toolkit::Dispatch(HWND hwnd, const Command& command) {
  const Window* window = Find(ToHandle(hwnd));
  if (!window || window->ended || !window->events) return false;
  // The handler may open further dialogs, which changes m_windows.
  DialogEvents* events = window->events;
  return events->OnCommand(command);
}

void Win32Toolkit::Forget(HWND hwnd) {
  const auto found = m_windows.find(hwnd);
  if (found == m_windows.end()) return;
  Window window = found->second;
  m_windows.erase(found);
  m_modalStack.erase(std::remove(m_modalStack.begin(), m_modalStack.end(), hwnd),
                     m_modalStack.end());
  // The window no longer uses its icons: its controls are gone and the
  // title bar with them.
  if (window.bigIcon) DestroyIcon(window.bigIcon);
  if (window.smallIcon) DestroyIcon(window.smallIcon);
  for (HICON picture : window.pictures) DestroyIcon(picture);
  if (window.largeFont) DeleteObject(window.largeFont);
  if (window.events) window.events->OnWindowDestroyed();
}

// --- Application ------------------------------------------------------------

void Win32Toolkit::PumpPendingEvents() {
  // Repaints, timers, posted and sent messages only: the user's clicks and
  // keys stay in the input queue untouched until the operation's handler
  // returns to the dialog's own loop.
  MSG message;
  for (int handled = 0; handled < kMaxMessagesPerPump; ++handled) {
    if (!PeekMessageW(&message, nullptr, 0, 0,
                      PM_REMOVE | PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE)) {
      break;
    }
    if (message.message == WM_QUIT) {
      // Not ours to take: leave it for the loop that owns it.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    DispatchMessageW(&message);
  }
}

void Win32Toolkit::BeginWaitCursor() {
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (m_waitCursorDepth++ == 0) m_cursorBeforeWait = previous;
}

void Win32Toolkit::EndWaitCursor() {
  if (m_waitCursorDepth == 0) return;
  if (--m_waitCursorDepth == 0) {
    SetCursor(m_cursorBeforeWait ? m_cursorBeforeWait : LoadCursorW(nullptr, IDC_ARROW));
    m_cursorBeforeWait = nullptr;
    // The operation took no input: keys and clicks that queued up while it
    // ran are dropped, not replayed now (a second click on a poll button
    // must not start a second poll).
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
    }
  }
}

// --- Dialog windows -----------------------------------------------------------

int Win32Toolkit::RunModal(const DialogTemplate& dialog, WindowHandle owner, DialogEvents& events) {
  if (owner == kNoWindow && !m_modalStack.empty()) owner = ToHandle(m_modalStack.back());
  const HWND ownerWindow = Find(owner) ? ToHwnd(owner) : nullptr;
  const DialogTemplateBuffer buffer(dialog);
  Creation creation{this, &dialog, &events, true};
  const INT_PTR result = DialogBoxIndirectParamW(m_instance, buffer.Get(), ownerWindow, DialogProc,
                                                 reinterpret_cast<LPARAM>(&creation));
  // -1: the window could not be made; to the caller that is a dialog the
  // user never accepted.
  return result == -1 ? kIdCancel : static_cast<int>(result);
}

void Win32Toolkit::EndDialog(WindowHandle dialog, int result) {
  Window* window = Find(dialog);
  if (!window || !window->modal || window->ended) return;
  window->ended = true;
  ::EndDialog(ToHwnd(dialog), result);
}

WindowHandle Win32Toolkit::CreateChildDialog(const DialogTemplate& dialog, WindowHandle parent,
                                             DialogEvents& events) {
  if (!Find(parent)) return kNoWindow;
  const DialogTemplateBuffer buffer(dialog);
  Creation creation{this, &dialog, &events, false};
  const HWND child = CreateDialogIndirectParamW(m_instance, buffer.Get(), ToHwnd(parent),
                                                DialogProc, reinterpret_cast<LPARAM>(&creation));
  return child ? ToHandle(child) : kNoWindow;
}

void Win32Toolkit::MoveWindow(WindowHandle window, const Rect& rect) {
  if (Find(window))
    ::MoveWindow(ToHwnd(window), rect.left, rect.top, rect.width, rect.height, TRUE);
}

void Win32Toolkit::RaiseWindow(WindowHandle window) {
  if (Find(window)) SetWindowPos(ToHwnd(window), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Win32Toolkit::ShowWindow(WindowHandle window, bool visible) {
  if (Find(window)) ::ShowWindow(ToHwnd(window), visible ? SW_SHOW : SW_HIDE);
}

bool Win32Toolkit::IsWindowVisible(WindowHandle window) const {
  // The window's own state: a pane shown while its dialog initialises
  // counts as visible although the dialog is not on screen yet.
  return Find(window) && (GetWindowLongPtrW(ToHwnd(window), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Toolkit::EnableWindow(WindowHandle window, bool enabled) {
  if (Find(window)) ::EnableWindow(ToHwnd(window), enabled ? TRUE : FALSE);
}

bool Win32Toolkit::IsWindowEnabled(WindowHandle window) const {
  return Find(window) && ::IsWindowEnabled(ToHwnd(window));
}

void Win32Toolkit::SetWindowIcon(WindowHandle handle, const IconResource& icon) {
  Window* window = Find(handle);
  if (!window) return;
  HICON big = CreateIconFromResource(icon, GetSystemMetrics(SM_CXICON));
  HICON small = CreateIconFromResource(icon, GetSystemMetrics(SM_CXSMICON));
  const HWND hwnd = ToHwnd(handle);
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (window->bigIcon) DestroyIcon(window->bigIcon);
  if (window->smallIcon) DestroyIcon(window->smallIcon);
  window->bigIcon = big;
  window->smallIcon = small;
}

void Win32Toolkit::AppendSystemMenuItem(WindowHandle window, int id, const std::string& text,
                                        bool separatorBefore) {
  if (!Find(window)) return;
  HMENU menu = GetSystemMenu(ToHwnd(window), FALSE);
  if (!menu) return;
  if (separatorBefore) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), Widen(text).c_str());
}

void Win32Toolkit::MessageBox(WindowHandle owner, const std::string& text) {
  if (owner == kNoWindow && !m_modalStack.empty()) owner = ToHandle(m_modalStack.back());
  const HWND ownerWindow = Find(owner) ? ToHwnd(owner) : nullptr;
  ::MessageBoxW(ownerWindow, Widen(text).c_str(), Widen(m_applicationName).c_str(), MB_OK);
}

}  // namespace zorveth::ui::win32

namespace zorveth::ui {

std::unique_ptr<Toolkit> CreatePlatformToolkit(int& /*argc*/, char** /*argv*/) {
  // The common controls (version 6 through the program's manifest) draw
  // the dialogs' buttons, edits and lists in the system's style.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  return std::make_unique<win32::Win32Toolkit>(GetModuleHandleW(nullptr));
}

}  // namespace zorveth::ui
