#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "link/signal_monitor.h"
#include "ui/dialog.h"
#include "ui/dialog_services.h"
#include "ui/signal_sampling.h"

namespace zorveth::ui {

// "Signal Monitor" (152): the signal strength of both radios on the main
// dialog's port, for aiming the antennas. Start samples them in turn on a
// worker (each sample the radio's escape, ATS and its exit) and the window
// refreshes on a timer: the plot of the last minutes, each radio's latest
// value large, its minimum and maximum. Stop, Close or Escape end the
// sampling with every radio out of command mode; "Save Data..." writes the
// samples as CSV.
class CSignalMonitorDlg : public CDialog {
 public:
  static constexpr int kRefreshTimer = 1;
  static constexpr int kRefreshMs = 250;
  // Values the plot keeps per radio: some four minutes back to back.
  static constexpr std::size_t kPlotValues = 500;
  // Samples kept for "Save Data..." (hours back to back); the oldest go
  // first.
  static constexpr std::size_t kKeptSamples = 50000;

  CSignalMonitorDlg(DialogServices& services, std::string port, CDialog* owner);
  ~CSignalMonitorDlg() override;

  const std::vector<SignalSample>& Samples() const { return m_samples; }

 protected:
  bool InitDialog() override;
  bool OnCommand(const Command& command) override;
  void OnOK() override {}
  void OnCancel() override;

 private:
  void Start();
  void Stop();
  void Refresh();
  void ShowRadio(RadioRole role);
  void Finished(const MonitorOutcome& outcome);
  void EnableButtons(bool sampling);
  void SaveData();

  DialogServices& m_services;
  std::string m_port;
  std::unique_ptr<SignalSampling> m_sampling;
  std::vector<SignalSample> m_samples;
  std::array<SignalSummary, 2> m_summaries;
  std::array<PlotSeries, 2> m_plot;
};

// The samples as CSV lines, a heading first: "time,role,signalStrength",
// then "12.345,Server,87" (the value empty when the radio did not answer).
std::vector<std::string> SamplesAsCsv(const std::vector<SignalSample>& samples);

}  // namespace zorveth::ui
