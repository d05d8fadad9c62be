#include "ui/poll_dlg.h"

#include "radio/settings_poll.h"
#include "ui/dialog_feedback.h"
#include "ui/templates/templates.h"

namespace zorveth::ui {

CPollDlg::CPollDlg(DialogServices& services, std::string portText)
    : CDialog(services.toolkit, PollDialogTemplate()),
      m_portText(std::move(portText)),
      m_port(services.createPort()),
      m_clock(*services.clock) {}

void CPollDlg::AppendLine(const std::string& line) {
  GetToolkit().ListAppend(Handle(), kResultList, line);
}

void CPollDlg::ClearInformation() {
  const int count = GetToolkit().ListCount(Handle(), kResultList);
  for (int index = count - 1; index >= 0; --index) {
    GetToolkit().ListDelete(Handle(), kResultList, index);
  }
}

template <typename Poll>
void CPollDlg::RunPoll(int buttonId, Poll poll) {
  DialogFeedback feedback(*this, buttonId);
  ScopedTriggerDisabled triggerDisabled(feedback);
  SettingsPoll settingsPoll(m_portText, *m_port, m_clock, *this, feedback);
  poll(settingsPoll);
}

bool CPollDlg::OnCommand(const Command& command) {
  if (command.kind != CommandKind::ButtonClicked) return CDialog::OnCommand(command);
  switch (command.id) {
    case kPollBothButton:
      RunPoll(kPollBothButton, [](SettingsPoll& poll) { poll.PollBoth(); });
      return true;
    case kPollServerButton:
      RunPoll(kPollServerButton, [](SettingsPoll& poll) { poll.PollServer(); });
      return true;
    case kPollClientButton:
      RunPoll(kPollClientButton, [](SettingsPoll& poll) { poll.PollClient(); });
      return true;
    case kClearInformationButton:
      ClearInformation();
      return true;
  }
  return CDialog::OnCommand(command);
}

}  // namespace zorveth::ui
