#include "ui/poll_dlg.h"

#include "link/settings_poll.h"
#include "ui/dialog_feedback.h"
#include "ui/templates/templates.h"
#include "ui/text_export.h"

namespace zorveth::ui {
namespace {

std::string JoinForClipboard(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return text;
}

}  // namespace

CPollDlg::CPollDlg(DialogServices& services, std::string portText)
    : CDialog(services.toolkit, PollDialogTemplate()),
      m_services(services),
      m_portText(std::move(portText)),
      m_port(services.createPort(m_portText)),
      m_clock(*services.clock) {}

void CPollDlg::AppendLine(const std::string& line) {
  GetToolkit().ListAppend(Handle(), kResultList, line);
}

void CPollDlg::ClearInformation() {
  const int count = GetToolkit().ListCount(Handle(), kResultList);
  for (int index = count - 1; index >= 0; --index) {
    GetToolkit().ListDelete(Handle(), kResultList, index);
  }
  m_allSelected = false;
}

std::vector<std::string> CPollDlg::ReportLines() {
  std::vector<std::string> lines;
  const int count = GetToolkit().ListCount(Handle(), kResultList);
  for (int index = 0; index < count; ++index) {
    lines.push_back(GetToolkit().ListEntry(Handle(), kResultList, index));
  }
  return lines;
}

void CPollDlg::AddReportMenuAndKeys(Toolkit& toolkit, WindowHandle dialog) {
  toolkit.SetControlContextMenu(
      dialog, kResultList,
      {{"Copy &All", kPollMenuCopyAll, {}}, {"&Save Report...", kPollMenuSaveReport, {}}});
  toolkit.SetControlShortcut(dialog, kResultList, ControlShortcut::Copy, kPollCopyLine);
  toolkit.SetControlShortcut(dialog, kResultList, ControlShortcut::SelectAll, kPollSelectAll);
}

bool CPollDlg::InitDialog() {
  AddReportMenuAndKeys(GetToolkit(), Handle());
  return true;
}

template <typename Poll>
void CPollDlg::RunPoll(int buttonId, Poll poll) {
  Toolkit& toolkit = GetToolkit();
  DialogFeedback feedback(*this, buttonId);
  ScopedTriggerDisabled triggerDisabled(feedback);
  const int before = toolkit.ListCount(Handle(), kResultList);
  {
    SettingsPoll settingsPoll(m_portText, *m_port, m_clock, *this, feedback);
    poll(settingsPoll);
  }
  // New reports go below the old ones: bring the newest into view, from its
  // first line on as far as the list has room.
  const int after = toolkit.ListCount(Handle(), kResultList);
  if (after > before) {
    toolkit.ListScrollIntoView(Handle(), kResultList, after - 1);
    toolkit.ListScrollIntoView(Handle(), kResultList, before);
  }
}

void CPollDlg::CopyAll() {
  const std::vector<std::string> lines = ReportLines();
  // Nothing to copy: whatever the clipboard holds stays there.
  if (!lines.empty()) GetToolkit().SetClipboardText(JoinForClipboard(lines));
}

void CPollDlg::CopySelection() {
  const int selected = GetToolkit().ListSelection(Handle(), kResultList);
  if (selected >= 0) {
    m_allSelected = false;
    GetToolkit().SetClipboardText(GetToolkit().ListEntry(Handle(), kResultList, selected));
  } else if (m_allSelected) {
    CopyAll();
  }
}

void CPollDlg::SaveReport() {
  const SaveFileRequest request{"Save Report", "poll-report.txt", "Text files", "*.txt", "txt"};
  SaveTextAs(
      *this, request, [this] { return JoinLinesForFile(ReportLines()); }, "Unable to Save Report");
}

bool CPollDlg::OnReportCommand(int id) {
  switch (id) {
    case kPollMenuCopyAll:
      CopyAll();
      return true;
    case kPollMenuSaveReport:
      SaveReport();
      return true;
    case kPollCopyLine:
      CopySelection();
      return true;
    case kPollSelectAll:
      if (GetToolkit().ListCount(Handle(), kResultList) > 0) {
        m_allSelected = true;
        GetToolkit().ListSelect(Handle(), kResultList, -1);
      }
      return true;
  }
  return false;
}

bool CPollDlg::OnCommand(const Command& command) {
  if (command.kind == CommandKind::MenuCommand) return OnReportCommand(command.id);
  if (command.kind != CommandKind::ButtonClicked) return CDialog::OnCommand(command);
  switch (command.id) {
    case kPollBothButton:
      m_services.operationStarted("poll both");
      RunPoll(kPollBothButton, [](SettingsPoll& poll) { poll.PollBoth(); });
      return true;
    case kPollServerButton:
      m_services.operationStarted("poll server");
      RunPoll(kPollServerButton, [](SettingsPoll& poll) { poll.PollServer(); });
      return true;
    case kPollClientButton:
      m_services.operationStarted("poll client");
      RunPoll(kPollClientButton, [](SettingsPoll& poll) { poll.PollClient(); });
      return true;
    case kClearInformationButton:
      ClearInformation();
      return true;
  }
  return CDialog::OnCommand(command);
}

}  // namespace zorveth::ui
