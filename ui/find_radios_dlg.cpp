#include "ui/find_radios_dlg.h"

#include "ui/templates/templates.h"

namespace zorveth::ui {

CFindRadiosDlg::CFindRadiosDlg(DialogServices& services, std::vector<std::string> ports,
                               CDialog* owner)
    : CDialog(services.toolkit, FindRadiosDialogTemplate(), owner),
      m_services(services),
      m_ports(std::move(ports)) {}

CFindRadiosDlg::~CFindRadiosDlg() {
  // A window closed some other way still stops its search.
  if (m_search) m_search->Cancel();
}

bool CFindRadiosDlg::InitDialog() {
  Toolkit& toolkit = GetToolkit();
  toolkit.EnableControl(Handle(), kIdOk, false);
  if (m_services.startRadioSearch && !m_ports.empty()) {
    m_search = m_services.startRadioSearch(m_ports);
  }
  if (!m_search) {
    Finish();
    return true;
  }
  toolkit.SetControlText(Handle(), kFindRadiosStatus,
                         "Searching " + std::to_string(m_ports.size()) +
                             (m_ports.size() == 1 ? " port" : " ports") +
                             " for radios... (Cancel stops)");
  ShowLines(m_search->Statuses());
  toolkit.StartTimer(Handle(), kRefreshTimer, kRefreshMs);
  return true;
}

void CFindRadiosDlg::ShowLines(const std::vector<std::string>& statuses) {
  Toolkit& toolkit = GetToolkit();
  const int selected = toolkit.ListSelection(Handle(), kFindRadiosList);
  while (toolkit.ListCount(Handle(), kFindRadiosList) > 0) {
    toolkit.ListDelete(Handle(), kFindRadiosList, 0);
  }
  for (std::size_t i = 0; i < m_ports.size(); ++i) {
    const std::string status = i < statuses.size() ? statuses[i] : "";
    toolkit.ListAppend(Handle(), kFindRadiosList, m_ports[i] + "  " + status);
  }
  if (selected >= 0) toolkit.ListSelect(Handle(), kFindRadiosList, selected);
}

// The search is over: every port's result, the first port with radios
// selected, and OK to take it.
void CFindRadiosDlg::Finish() {
  Toolkit& toolkit = GetToolkit();
  toolkit.StopTimer(Handle(), kRefreshTimer);
  m_finished = true;
  if (m_search) m_results = m_search->Results();
  std::vector<std::string> lines;
  int firstFound = -1;
  for (std::size_t i = 0; i < m_results.size(); ++i) {
    lines.push_back(PortStatusText(m_results[i]));
    if (firstFound < 0 && !m_results[i].radios.empty()) firstFound = static_cast<int>(i);
  }
  ShowLines(lines);
  toolkit.SetControlText(Handle(), kFindRadiosStatus, DescribeFoundRadios(FoundRadios(m_results)));
  if (firstFound >= 0) {
    toolkit.ListSelect(Handle(), kFindRadiosList, firstFound);
    toolkit.EnableControl(Handle(), kIdOk, true);
  }
}

bool CFindRadiosDlg::OnCommand(const Command& command) {
  if (command.kind == CommandKind::Timer && command.id == kRefreshTimer) {
    if (m_finished || !m_search) return true;
    if (m_search->Done()) {
      Finish();
    } else {
      ShowLines(m_search->Statuses());
    }
    return true;
  }
  return CDialog::OnCommand(command);
}

void CFindRadiosDlg::OnOK() {
  // Enter while the search runs does nothing: OK is not yet enabled.
  if (!m_finished || !GetToolkit().IsControlEnabled(Handle(), kIdOk)) return;
  const int selected = GetToolkit().ListSelection(Handle(), kFindRadiosList);
  if (selected < 0 || static_cast<std::size_t>(selected) >= m_results.size()) return;
  if (m_results[static_cast<std::size_t>(selected)].radios.empty()) return;
  m_chosen = m_ports[static_cast<std::size_t>(selected)];
  EndDialog(kIdOk);
}

void CFindRadiosDlg::OnCancel() {
  if (m_search && !m_finished) {
    GetToolkit().StopTimer(Handle(), kRefreshTimer);
    m_search->Cancel();
    // The workers end at their next wait; their exits take a moment more.
    m_results = m_search->Results();
    m_finished = true;
  }
  EndDialog(kIdCancel);
}

}  // namespace zorveth::ui
