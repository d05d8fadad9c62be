#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog.h"
#include "ui/dialog_services.h"
#include "ui/radio_search.h"

namespace zorveth::ui {

// "Find Radios" (150): searches every port of the list at once and shows
// one line per port as the search goes ("searching 19200 baud...", "Server
// at 9600 baud, channel 67, system ID 111", "no answer", "busy"). Cancel or
// Escape stops the search at once, every radio left out of command mode.
// When it ends the window lists every port's result; OK takes the selected
// port, if radios answered there.
class CFindRadiosDlg : public CDialog {
 public:
  static constexpr int kRefreshTimer = 1;
  static constexpr int kRefreshMs = 100;

  CFindRadiosDlg(DialogServices& services, std::vector<std::string> ports, CDialog* owner);
  ~CFindRadiosDlg() override;

  // The port chosen with OK; none after Cancel or when none had radios.
  const std::optional<std::string>& ChosenPort() const { return m_chosen; }

 protected:
  bool InitDialog() override;
  bool OnCommand(const Command& command) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void ShowLines(const std::vector<std::string>& statuses);
  void Finish();

  DialogServices& m_services;
  std::vector<std::string> m_ports;
  std::unique_ptr<RadioSearch> m_search;
  std::vector<PortScanResult> m_results;
  bool m_finished = false;
  std::optional<std::string> m_chosen;
};

}  // namespace zorveth::ui
