#include "ui/poll_dlg.h"

#include "radio/settings_poll.h"
#include "ui/dialog_feedback.h"
#include "ui/templates/templates.h"

namespace zorveth::ui {

CPollDlg::CPollDlg(DialogServices& services, std::string portText)
    : CDialog(services.toolkit, PollDialogTemplate()),
      m_portText(std::move(portText)),
      m_port(services.createPort()) {}

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
  GetToolkit().EnableControl(Handle(), buttonId, false);
  DialogFeedback feedback(*this, 0);
  SettingsPoll settingsPoll(m_portText, *m_port, *this, feedback);
  poll(settingsPoll);
  GetToolkit().EnableControl(Handle(), buttonId, true);
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
