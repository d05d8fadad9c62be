#include "ui/signal_monitor_dlg.h"

#include <cstdio>

#include "link/command_mode.h"
#include "text/text_numbers.h"
#include "ui/templates/templates.h"
#include "ui/text_export.h"

namespace zorveth::ui {
namespace {

std::size_t Slot(RadioRole role) {
  return role == RadioRole::Server ? 0 : 1;
}

std::string Latest(const PlotSeries& series) {
  if (series.values.empty() || !series.values.back()) return "--";
  return std::to_string(static_cast<int>(*series.values.back()));
}

// The message of an end the user did not ask for.
std::string EndText(const MonitorOutcome& outcome) {
  switch (outcome.end) {
    case MonitorEnd::RadioSilent:
      return std::string("The ") + RoleName(outcome.silent.value_or(RadioRole::Client)) +
             " stopped answering (no answer for 10 seconds)";
    case MonitorEnd::DeviceGone:
      return "The port went away" + (outcome.openError.empty() ? "" : ": " + outcome.openError);
    case MonitorEnd::NoRadio:
      return std::string(MessageText(MessageId::PollingFailed)) +
             ": neither radio answered at any speed";
    case MonitorEnd::RoundsDone:
    case MonitorEnd::Interrupted:
      break;
  }
  return "Stopped";
}

}  // namespace

std::vector<std::string> SamplesAsCsv(const std::vector<SignalSample>& samples) {
  std::vector<std::string> lines = {"time,role,signalStrength"};
  for (const SignalSample& sample : samples) {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", static_cast<double>(sample.timeMs) / 1000.0);
    lines.push_back(std::string(time) + "," + RoleName(sample.role) + "," +
                    (sample.value ? std::to_string(*sample.value) : ""));
  }
  return lines;
}

CSignalMonitorDlg::CSignalMonitorDlg(DialogServices& services, std::string port, CDialog* owner)
    : CDialog(services.toolkit, SignalMonitorDialogTemplate(), owner),
      m_services(services),
      m_port(std::move(port)) {}

CSignalMonitorDlg::~CSignalMonitorDlg() {
  // A window closed some other way still stops its sampling.
  if (m_sampling) m_sampling->Stop();
}

bool CSignalMonitorDlg::InitDialog() {
  EnableButtons(false);
  GetToolkit().EnableControl(Handle(), kSignalMonitorSaveData, false);
  GetToolkit().SetControlText(
      Handle(), kSignalMonitorStatus,
      "Start samples the signal strength of both radios on " + m_port + ", in turn.");
  m_plot = {PlotSeries{"Server", {}}, PlotSeries{"Client", {}}};
  return true;
}

void CSignalMonitorDlg::EnableButtons(bool sampling) {
  GetToolkit().EnableControl(Handle(), kSignalMonitorStart, !sampling);
  GetToolkit().EnableControl(Handle(), kSignalMonitorStop, sampling);
}

void CSignalMonitorDlg::Start() {
  if (m_sampling) return;
  m_samples.clear();
  m_summaries = {};
  m_plot = {PlotSeries{"Server", {}}, PlotSeries{"Client", {}}};
  if (m_services.startSignalMonitor) {
    m_sampling = m_services.startSignalMonitor(m_port);
  } else if (m_services.createPort) {
    m_sampling = std::make_unique<SignalSampling>(m_services.createPort(m_port), SystemClock(),
                                                  PortNumberFromText(m_port));
  }
  if (!m_sampling) return;
  EnableButtons(true);
  GetToolkit().SetControlText(Handle(), kSignalMonitorStatus,
                              "Looking for both radios on " + m_port + "...");
  // The timer first: a sampling that has already ended stops it.
  GetToolkit().StartTimer(Handle(), kRefreshTimer, kRefreshMs);
  Refresh();
}

void CSignalMonitorDlg::Stop() {
  if (!m_sampling) return;
  m_sampling->Stop();
  Refresh();
}

void CSignalMonitorDlg::Refresh() {
  if (!m_sampling) return;
  const bool done = m_sampling->Done();
  std::vector<SignalSample> fresh = m_sampling->TakeSamples();
  for (const SignalSample& sample : fresh) {
    if (m_samples.size() == kKeptSamples) m_samples.erase(m_samples.begin());
    m_samples.push_back(sample);
    m_summaries[Slot(sample.role)].Add(sample);
    std::vector<std::optional<double>>& values = m_plot[Slot(sample.role)].values;
    if (values.size() == kPlotValues) values.erase(values.begin());
    values.push_back(sample.value ? std::optional<double>(*sample.value) : std::nullopt);
  }
  if (!fresh.empty()) {
    ShowRadio(RadioRole::Server);
    ShowRadio(RadioRole::Client);
    GetToolkit().SetControlText(
        Handle(), kSignalMonitorStatus,
        "Sampling " + m_port + ": " + std::to_string(m_summaries[0].samples) + " rounds");
  }
  if (done) Finished(m_sampling->Outcome());
}

void CSignalMonitorDlg::ShowRadio(RadioRole role) {
  Toolkit& toolkit = GetToolkit();
  const std::size_t slot = Slot(role);
  PlotSeries shown = m_plot[slot];
  shown.label = std::string(RoleName(role)) + " " + Latest(m_plot[slot]);
  toolkit.SetPlotSeries(Handle(), kSignalMonitorPlot, static_cast<int>(slot), shown);
  toolkit.SetControlText(
      Handle(), role == RadioRole::Server ? kSignalMonitorServerValue : kSignalMonitorClientValue,
      Latest(m_plot[slot]));
  const SignalSummary& summary = m_summaries[slot];
  std::string range = std::to_string(summary.lost) + " lost";
  if (summary.min) {
    range = "min " + std::to_string(*summary.min) + "  max " + std::to_string(*summary.max) + "  " +
            range;
  }
  toolkit.SetControlText(
      Handle(), role == RadioRole::Server ? kSignalMonitorServerRange : kSignalMonitorClientRange,
      range);
}

void CSignalMonitorDlg::Finished(const MonitorOutcome& outcome) {
  GetToolkit().StopTimer(Handle(), kRefreshTimer);
  m_sampling.reset();
  EnableButtons(false);
  GetToolkit().EnableControl(Handle(), kSignalMonitorSaveData, !m_samples.empty());
  GetToolkit().SetControlText(
      Handle(), kSignalMonitorStatus,
      EndText(outcome) + " after " + std::to_string(m_summaries[0].samples) + " rounds.");
}

bool CSignalMonitorDlg::OnCommand(const Command& command) {
  if (command.kind == CommandKind::Timer && command.id == kRefreshTimer) {
    Refresh();
    return true;
  }
  if (IsClick(command, kSignalMonitorStart)) {
    Start();
    return true;
  }
  if (IsClick(command, kSignalMonitorStop)) {
    Stop();
    return true;
  }
  if (IsClick(command, kSignalMonitorSaveData)) {
    SaveData();
    return true;
  }
  return CDialog::OnCommand(command);
}

void CSignalMonitorDlg::OnCancel() {
  Stop();
  EndDialog(kIdCancel);
}

void CSignalMonitorDlg::SaveData() {
  const SaveFileRequest request{"Save Data", "signal.csv", "CSV files", "*.csv", "csv"};
  SaveTextAs(
      *this, request, [this] { return JoinLinesForFile(SamplesAsCsv(m_samples)); },
      "Unable to Save Data");
}

}  // namespace zorveth::ui
