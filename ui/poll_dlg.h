#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/operation_feedback.h"
#include "port/radio_port.h"
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
  // The result list's lines, oldest first.
  std::vector<std::string> ReportLines();

  // The result list's context menu (Copy All, Save Report...) and copy keys
  // in dialog.
  static void AddReportMenuAndKeys(Toolkit& toolkit, WindowHandle dialog);

 protected:
  bool InitDialog() override;
  bool OnCommand(const Command& command) override;

 private:
  void AppendLine(const std::string& line) override;
  // Greys the poll's own button while it runs, whatever its outcome.
  template <typename Poll>
  void RunPoll(int buttonId, Poll poll);
  bool OnReportCommand(int id);
  void CopyAll();
  void CopySelection();
  void SaveReport();

  DialogServices& m_services;
  std::string m_portText;
  std::unique_ptr<CRadioPort> m_port;
  Clock& m_clock;
  // Ctrl+A took the whole report for the next Ctrl+C: the list selects
  // single lines only, so "all" is kept here until a line is picked again.
  bool m_allSelected = false;
};

}  // namespace zorveth::ui
