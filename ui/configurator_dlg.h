#pragma once

#include <memory>
#include <string>

#include "link/configure.h"
#include "port/radio_port.h"
#include "settings/advanced_settings.h"
#include "ui/dialog.h"
#include "ui/dialog_services.h"

namespace zorveth::ui {

// The main dialog (102): holds the user's choices for the next operation,
// the three advanced settings and the port Configure uses, and starts every
// other dialog and operation.
class CConfiguratorDlg : public CDialog {
 public:
  explicit CConfiguratorDlg(DialogServices& services);

  // The four lists as they stand: technology, channel (an editable combo:
  // whatever is typed there), new baud rate and COM port texts.
  LinkChoices CurrentChoices() const;
  const AdvancedSettings& Settings() const { return m_settings; }
  DialogServices& Services() { return m_services; }

  // Refills the channel list for the selected technology and selects its
  // defaults.
  void ApplyTechnology();

  // Save Wire Log... and Find Radios..., one group after About in the
  // system menu of dialog.
  static void AppendExtraSystemItems(Toolkit& toolkit, WindowHandle dialog);

 protected:
  bool InitDialog() override;
  bool OnCommand(const Command& command) override;

 private:
  void Select(int comboId, const std::string& prefix);
  void ConfigureRadios();
  void OpenPollDialog();
  void OpenAdvancedSettings();
  void OpenInitRadios();
  void ShowAbout();
  void SaveWireLog();
  void FindRadios();
  bool OnSystemCommand(int id);
  void OpenSignalMonitor();

  DialogServices& m_services;
  std::unique_ptr<CRadioPort> m_port;
  AdvancedSettings m_settings;
  const IconResource& m_icon;
};

// The About box (100): no behaviour of its own.
class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(Toolkit& toolkit);
};

// Runs the main dialog until it closes.
class CConfiguratorApp {
 public:
  explicit CConfiguratorApp(DialogServices& services) : m_services(services) {}
  // Returns the program's exit status.
  int Run();

 private:
  DialogServices& m_services;
};

}  // namespace zorveth::ui
