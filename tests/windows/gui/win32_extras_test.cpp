// The Win32 toolkit's file dialog, clipboard, control context menu, copy
// keys and list scrolling on real windows under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#undef MessageBox

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/templates/templates.h"
#include "ui/toolkit/win32/win32_toolkit.h"

namespace zorveth::ui {
namespace {

HWND Hwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

// Runs body once the dialog is up, records the commands, and ends the run
// on 1 and 2, or after ten seconds should nothing end it.
class Scripted : public DialogEvents {
 public:
  Scripted(Toolkit& toolkit, std::function<void(WindowHandle)> body)
      : m_toolkit(toolkit), m_body(std::move(body)) {}

  bool OnInitDialog(WindowHandle self) override {
    handle = self;
    SetTimer(Hwnd(self), 1, 10000,
             [](HWND hwnd, UINT, UINT_PTR, DWORD) { ::EndDialog(hwnd, -99); });
    PostMessageW(Hwnd(self), WM_COMMAND, MAKEWPARAM(kStart, 0), 0);  // a "menu command"
    return true;
  }
  bool OnCommand(const Command& command) override {
    if (command.kind == CommandKind::MenuCommand && command.id == kStart) {
      m_body(handle);
      m_toolkit.EndDialog(handle, kIdCancel);
      return true;
    }
    commands.push_back(command);
    return false;
  }
  void OnWindowDestroyed() override {}

  WindowHandle handle = kNoWindow;
  std::vector<Command> commands;

 private:
  static constexpr int kStart = 40001;
  Toolkit& m_toolkit;
  std::function<void(WindowHandle)> m_body;
};

std::vector<std::optional<double>> PlotValues(double value) {
  return std::vector<std::optional<double>>(kPlotMinimumSpan, value);
}

LONG FontHeight(HWND control) {
  LOGFONTW font{};
  HFONT handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  return handle && GetObjectW(handle, sizeof font, &font) ? font.lfHeight : 0;
}

// What the user "types" into the next file dialog (empty: Cancel).
std::wstring g_typedName;

void CALLBACK AnswerFileDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = GetActiveWindow();
  HWND focus = GetFocus();
  if (!dialog || !focus) return;  // not up yet
  KillTimer(nullptr, timer);
  if (g_typedName.empty()) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  } else {
    SetWindowTextW(focus, g_typedName.c_str());  // the file name field has the focus
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  }
}

std::string TempFolder() {
  char path[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, path);
  return path;
}

class Win32ExtrasTest : public ::testing::Test {
 protected:
  win32::Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
};

TEST_F(Win32ExtrasTest, SaveFileDialogGivesTheTypedNameWithTheDefaultExtensionOrNothing) {
  const std::string base = TempFolder() + "zorveth-save-test";
  const SaveFileRequest request{"Save Report", "poll-report.txt", "Text files", "*.txt", "txt"};
  g_typedName = std::wstring(base.begin(), base.end());
  SetTimer(nullptr, 0, 50, AnswerFileDialog);
  const std::optional<std::string> saved = toolkit.AskSaveFileName(kNoWindow, request);
  g_typedName.clear();
  SetTimer(nullptr, 0, 50, AnswerFileDialog);
  const std::optional<std::string> cancelled = toolkit.AskSaveFileName(kNoWindow, request);
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(*saved, base + ".txt");
  EXPECT_FALSE(cancelled.has_value());
}

TEST_F(Win32ExtrasTest, ClipboardTextGetsCrLfLineEnds) {
  toolkit.SetClipboardText("line 1\nline 2\n");
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  const std::wstring got = text ? text : L"";
  if (text) GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(got, L"line 1\r\nline 2\r\n");
}

TEST_F(Win32ExtrasTest, ListContextMenuAndCopyKeysBecomeMenuCommands) {
  Scripted events(toolkit, [&](WindowHandle self) {
    toolkit.SetControlContextMenu(self, kResultList, {{"Copy &All", 501, {}}, {"&Save", 502, {}}});
    toolkit.SetControlShortcut(self, kResultList, ControlShortcut::Copy, 503);
    toolkit.SetControlShortcut(self, kResultList, ControlShortcut::SelectAll, 504);
    HWND list = GetDlgItem(Hwnd(self), kResultList);
    // The Menu key on the list, then Down, Down, Enter in the menu: the
    // second item.
    PostMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(Hwnd(self), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    // Ctrl+C, Ctrl+A, and C without Ctrl (no command).
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(list, WM_KEYDOWN, 'C', 1);
    SendMessageW(list, WM_KEYDOWN, 'A', 1);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    SendMessageW(list, WM_KEYDOWN, 'C', 1);
  });
  toolkit.RunModal(PollDialogTemplate(), kNoWindow, events);
  std::vector<int> menuCommands;
  for (const Command& command : events.commands) {
    if (command.kind == CommandKind::MenuCommand) menuCommands.push_back(command.id);
  }
  EXPECT_EQ(menuCommands, (std::vector<int>{502, 503, 504}));
}

TEST_F(Win32ExtrasTest, ScrollIntoViewMovesTheListOnlyAsFarAsNeeded) {
  int topAfterLast = -1, topAfterVisible = -1, selected = -2;
  Scripted events(toolkit, [&](WindowHandle self) {
    for (int i = 0; i < 60; ++i) toolkit.ListAppend(self, kResultList, "line " + std::to_string(i));
    HWND list = GetDlgItem(Hwnd(self), kResultList);
    toolkit.ListScrollIntoView(self, kResultList, 59);
    topAfterLast = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    toolkit.ListScrollIntoView(self, kResultList, 55);
    topAfterVisible = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    toolkit.ListSelect(self, kResultList, 57);
    toolkit.ListSelect(self, kResultList, 60);  // out of range: unchanged
    selected = toolkit.ListSelection(self, kResultList);
  });
  toolkit.RunModal(PollDialogTemplate(), kNoWindow, events);
  EXPECT_GT(topAfterLast, 30);  // about 20 lines fit
  EXPECT_LT(topAfterLast, 59);
  EXPECT_EQ(topAfterVisible, topAfterLast);
  EXPECT_EQ(selected, 57);
}

// The plot is painted with GDI from its series: a column through its middle
// crosses each line in the line's colour; the latest values are in a font
// three times the dialog's.
TEST_F(Win32ExtrasTest, PlotDrawsEachSeriesInItsColourAndLargeTextIsLarge) {
  bool serverSeen = false, clientSeen = false;
  LONG dialogFont = 0, largeFont = 0;
  Scripted events(toolkit, [&](WindowHandle self) {
    toolkit.SetPlotSeries(self, kSignalMonitorPlot, 0, {"Server 80", PlotValues(80)});
    toolkit.SetPlotSeries(self, kSignalMonitorPlot, 1, {"Client 40", PlotValues(40)});
    // Painted into a bitmap of its own, as the screen of a virtual display
    // need not keep what was drawn.
    HWND plot = GetDlgItem(Hwnd(self), kSignalMonitorPlot);
    RECT bounds{};
    GetClientRect(plot, &bounds);
    HDC screen = GetDC(plot);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, bounds.right, bounds.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(plot, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    for (int y = bounds.top; y < bounds.bottom; ++y) {
      const COLORREF pixel = GetPixel(dc, bounds.right / 2, y);
      serverSeen = serverSeen || pixel == RGB(0, 90, 200);
      clientSeen = clientSeen || pixel == RGB(200, 60, 0);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(plot, screen);
    dialogFont = FontHeight(GetDlgItem(Hwnd(self), kSignalMonitorStatus));
    largeFont = FontHeight(GetDlgItem(Hwnd(self), kSignalMonitorServerValue));
  });
  toolkit.RunModal(SignalMonitorDialogTemplate(), kNoWindow, events);
  EXPECT_TRUE(serverSeen);
  EXPECT_TRUE(clientSeen);
  EXPECT_EQ(largeFont, 3 * dialogFont);
}

}  // namespace
}  // namespace zorveth::ui
