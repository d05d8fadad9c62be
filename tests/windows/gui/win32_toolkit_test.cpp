// The Win32 toolkit on real windows under Wine: what the dialog manager and
// the controls do with the templates the toolkit builds.
#include <gtest/gtest.h>
#include <windows.h>
#undef MessageBox

#include <functional>
#include <string>
#include <vector>

#include "ui/templates/templates.h"
#include "ui/toolkit/win32/win32_toolkit.h"

namespace zorveth::ui {
namespace {

// Records what reached a dialog and ends it on 1 and 2, as CDialog does.
// A timer ends a run that nothing else ends, so a broken key path fails the
// test instead of hanging it.
class Recorder : public DialogEvents {
 public:
  static constexpr int kTimedOut = -99;

  explicit Recorder(Toolkit& toolkit, std::function<bool(WindowHandle)> init = {})
      : m_toolkit(toolkit), m_init(std::move(init)) {}

  bool OnInitDialog(WindowHandle self) override {
    handle = self;
    SetTimer(reinterpret_cast<HWND>(self), 1, 10000,
             [](HWND hwnd, UINT, UINT_PTR, DWORD) { ::EndDialog(hwnd, kTimedOut); });
    return m_init ? m_init(self) : true;
  }
  bool OnCommand(const Command& command) override {
    commands.push_back(command);
    if (command.kind == CommandKind::ButtonClicked &&
        (command.id == kIdOk || command.id == kIdCancel)) {
      m_toolkit.EndDialog(handle, command.id);
      return true;
    }
    return false;
  }
  void OnWindowDestroyed() override { ++destroyed; }

  WindowHandle handle = kNoWindow;
  std::vector<Command> commands;
  int destroyed = 0;

 private:
  Toolkit& m_toolkit;
  std::function<bool(WindowHandle)> m_init;
};

HWND Hwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

void PostKey(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
}

class Win32ToolkitTest : public ::testing::Test {
 protected:
  win32::Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
};

TEST_F(Win32ToolkitTest, ApplicationNameIsTheExecutablesBaseName) {
  EXPECT_EQ(toolkit.ApplicationName(), "win32_toolkit_tests");
}

TEST_F(Win32ToolkitTest, PrefixSearchAgreesWithTheComboBoxesOwn) {
  DialogTemplate dialog;
  dialog.style = dialog_style::kPopup | dialog_style::kCaption;
  dialog.cx = 100;
  dialog.cy = 60;
  for (int id : {10, 11}) {
    ControlTemplate combo;
    combo.kind = ControlKind::ComboBox;
    combo.id = id;
    combo.cx = 80;
    combo.cy = 60;
    combo.style = control_style::kDropDownList | control_style::kVerticalScroll;
    combo.initialEntries = {"COM1", "com12", "COM3", "Other", "COM14"};
    dialog.controls.push_back(combo);
  }
  struct Case {
    int start;
    const char* prefix;
  };
  std::vector<int> ours, systems, oursAfter, systemsAfter;
  Recorder events(toolkit, [&](WindowHandle self) {
    HWND system = GetDlgItem(Hwnd(self), 11);
    // After entry 4 nothing matches "com1": the search wraps to the top.
    // Then a search for what no entry begins with, which must leave the
    // selection (entry 2) alone.
    for (const Case& c : {Case{4, "com1"}, Case{0, "COM1"}, Case{-1, "com3"}, Case{2, "xyz"}}) {
      if (c.start >= 0) {
        toolkit.ComboSelect(self, 10, 2);
        SendMessageW(system, CB_SETCURSEL, 2, 0);
      }
      ours.push_back(ComboSelectByPrefix(toolkit, self, 10, c.start, c.prefix));
      const std::wstring wide(c.prefix, c.prefix + std::string(c.prefix).size());
      const LRESULT found = SendMessageW(system, CB_SELECTSTRING, static_cast<WPARAM>(c.start),
                                         reinterpret_cast<LPARAM>(wide.c_str()));
      systems.push_back(found == CB_ERR ? -1 : static_cast<int>(found));
      oursAfter.push_back(toolkit.ComboSelection(self, 10));
      systemsAfter.push_back(static_cast<int>(SendMessageW(system, CB_GETCURSEL, 0, 0)));
    }
    toolkit.EndDialog(self, kIdOk);
    return true;
  });
  toolkit.RunModal(dialog, kNoWindow, events);
  EXPECT_EQ(ours, (std::vector<int>{0, 1, 2, -1}));
  EXPECT_EQ(ours, systems);
  EXPECT_EQ(oursAfter, (std::vector<int>{0, 1, 2, 2}));
  EXPECT_EQ(oursAfter, systemsAfter);
}

TEST_F(Win32ToolkitTest, EscapeCancelsAndThePaneCoversTheHiddenFrame) {
  RECT frame{}, pane{};
  bool paneStartedHidden = false;
  Recorder paneEvents(toolkit);
  Recorder events(toolkit, [&](WindowHandle self) {
    const WindowHandle child =
        toolkit.CreateChildDialog(ClientWarningPaneTemplate(), self, paneEvents);
    paneStartedHidden = !toolkit.IsWindowVisible(child);
    toolkit.MoveWindow(child, toolkit.ControlRect(self, kPaneFrame));
    toolkit.ShowWindow(child, true);
    GetWindowRect(GetDlgItem(Hwnd(self), kPaneFrame), &frame);
    GetWindowRect(Hwnd(child), &pane);
    PostKey(Hwnd(self), VK_ESCAPE);
    return true;
  });
  const int result = toolkit.RunModal(InitWarningDialogTemplate(), kNoWindow, events);
  EXPECT_EQ(result, kIdCancel);
  ASSERT_EQ(events.commands.size(), 1u);
  EXPECT_EQ(events.commands[0].id, kIdCancel);
  EXPECT_TRUE(paneStartedHidden);
  EXPECT_TRUE(EqualRect(&frame, &pane))
      << frame.left << "," << frame.top << " vs " << pane.left << "," << pane.top;
  EXPECT_EQ(events.destroyed, 1);
  EXPECT_EQ(paneEvents.destroyed, 1);
}

TEST_F(Win32ToolkitTest, EnterInAnEditOfADialogWithoutDefaultButtonIsOk) {
  Recorder events(toolkit, [&](WindowHandle self) {
    HWND edit = GetDlgItem(Hwnd(self), kPacketLengthEdit);
    SetFocus(edit);
    PostKey(edit, VK_RETURN);
    return false;  // the focus is set
  });
  EXPECT_EQ(toolkit.RunModal(AdvancedDialogTemplate(), kNoWindow, events), kIdOk);
  ASSERT_EQ(events.commands.size(), 1u);
  EXPECT_EQ(events.commands[0].kind, CommandKind::ButtonClicked);
}

TEST_F(Win32ToolkitTest, DigitsOnlyEditsRefuseTypedLettersButTakeAnyTextFromCode) {
  std::string typed, set;
  Recorder events(toolkit, [&](WindowHandle self) {
    HWND edit = GetDlgItem(Hwnd(self), kRetryNumberEdit);
    for (wchar_t c : std::wstring(L"4x2")) SendMessageW(edit, WM_CHAR, c, 1);
    typed = toolkit.ControlText(self, kRetryNumberEdit);
    toolkit.SetControlText(self, kRetryNumberEdit, "-7a");
    set = toolkit.ControlText(self, kRetryNumberEdit);
    toolkit.EndDialog(self, kIdCancel);
    return true;
  });
  toolkit.RunModal(AdvancedDialogTemplate(), kNoWindow, events);
  EXPECT_EQ(typed, "42");
  EXPECT_EQ(set, "-7a");
}

TEST_F(Win32ToolkitTest, OnlyTheUsersComboChoiceIsASelectionChange) {
  Recorder events(toolkit, [&](WindowHandle self) {
    toolkit.ComboSelect(self, kTechnologyList, 1);              // from code: no command
    PostKey(GetDlgItem(Hwnd(self), kTechnologyList), VK_DOWN);  // the user: one
    PostKey(Hwnd(self), VK_ESCAPE);
    return true;
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
  ASSERT_EQ(events.commands.size(), 2u);
  EXPECT_EQ(events.commands[0].id, kTechnologyList);
  EXPECT_EQ(events.commands[0].kind, CommandKind::SelectionChanged);
  EXPECT_EQ(events.commands[1].id, kIdCancel);
}

TEST_F(Win32ToolkitTest, TheMenuBarLeavesRoomForTheBottomRowOfButtons) {
  RECT client{};
  Rect exit{};
  Recorder events(toolkit, [&](WindowHandle self) {
    GetClientRect(Hwnd(self), &client);
    exit = toolkit.ControlRect(self, kIdCancel);
    toolkit.EndDialog(self, kIdCancel);
    return true;
  });
  toolkit.RunModal(MainDialogTemplate(), kNoWindow, events);
  EXPECT_GT(exit.height, 0);
  EXPECT_LT(exit.top + exit.height, client.bottom);
}

TEST_F(Win32ToolkitTest, TheWaitCursorNestsAndGoesWithTheLastEnd) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  SetCursor(arrow);
  toolkit.BeginWaitCursor();
  toolkit.BeginWaitCursor();
  toolkit.EndWaitCursor();
  EXPECT_EQ(GetCursor(), wait);
  toolkit.EndWaitCursor();
  EXPECT_EQ(GetCursor(), arrow);
}

}  // namespace
}  // namespace zorveth::ui
