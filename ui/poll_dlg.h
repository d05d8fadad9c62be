#pragma once

#include <memory>
#include <string>

#include "radio/operation_feedback.h"
#include "radio/radio_port.h"
#include "ui/dialog.h"
#include "ui/dialog_services.h"

namespace zorveth::ui {

// The poll dialog (135): polls the Server, the Client or both on the COM
// port the main dialog had selected when it was opened, and collects the
// reports in its result list (1020).
class CPollDlg : public CDialog, private LineSink {
 public:
  CPollDlg(DialogServices& services, std::string portText);

  const std::string& PortText() const { return m_portText; }
  // Empties the result list, last line first.
  void ClearInformation();

 protected:
  bool OnCommand(const Command& command) override;

 private:
  void AppendLine(const std::string& line) override;
  // Greys the poll's own button while it runs, whatever its outcome.
  template <typename Poll>
  void RunPoll(int buttonId, Poll poll);

  std::string m_portText;
  std::unique_ptr<CRadioPort> m_port;
  Clock& m_clock;
};

}  // namespace zorveth::ui
