#include "ui/configurator_dlg.h"

#include "link/link_protocol.h"
#include "ui/advanced_dlg.h"
#include "ui/dialog_feedback.h"
#include "ui/find_radios_dlg.h"
#include "ui/init_radio_dlg.h"
#include "ui/poll_dlg.h"
#include "ui/profile_dlg.h"
#include "ui/signal_monitor_dlg.h"
#include "ui/templates/templates.h"
#include "ui/text_export.h"

namespace zorveth::ui {
namespace {

// The baud rate the named technologies other than Vorlith ask for; no entry
// of the baud list begins with it, so their selection stays as it was.
constexpr char kUnlistedBaudRate[] = "57600";

}  // namespace

CConfiguratorDlg::CConfiguratorDlg(DialogServices& services)
    : CDialog(services.toolkit, MainDialogTemplate()),
      m_services(services),
      m_port(services.createPort({})),
      m_icon(ApplicationIcon()) {}

LinkChoices CConfiguratorDlg::CurrentChoices() const {
  Toolkit& toolkit = m_services.toolkit;
  LinkChoices choices;
  choices.technology = toolkit.ComboText(Handle(), kTechnologyList);
  choices.channel = toolkit.ComboText(Handle(), kChannelList);
  choices.newBaudRate = toolkit.ComboText(Handle(), kNewBaudRateList);
  choices.comPort = toolkit.ComboText(Handle(), kComPortList);
  return choices;
}

void CConfiguratorDlg::Select(int comboId, const std::string& prefix) {
  // Start index 0: the search begins at the second entry and wraps round to
  // the first.
  ComboSelectByPrefix(m_services.toolkit, Handle(), comboId, 0, prefix);
}

bool CConfiguratorDlg::InitDialog() {
  Toolkit& toolkit = m_services.toolkit;
  if ((Template().style & dialog_style::kSystemMenu) != 0) {
    const std::string about = LoadResourceString(kAboutMenuStringId);
    if (!about.empty()) toolkit.AppendSystemMenuItem(Handle(), kSystemMenuAbout, about, true);
    AppendExtraSystemItems(toolkit, Handle());
  }
  toolkit.SetWindowIcon(Handle(), m_icon);
  Select(kTechnologyList, std::string(kVorlithTechnology));
  Select(kNewBaudRateList, std::string(kDefaultNewBaudRate));
  ApplyTechnology();
  Select(kChannelList, std::string(DefaultChannel(kVorlithTechnology)));

  ComboPortList ports(*this, kComPortList);
  if (m_services.listSerialPorts(ports) != 0) {
    m_services.selectSavedPort(ports);
  } else {
    // Nothing to talk to: the whole dialog refuses input, without a word.
    toolkit.EnableWindow(Handle(), false);
  }
  m_settings = m_services.loadSettings();
  return true;
}

void CConfiguratorDlg::AppendExtraSystemItems(Toolkit& toolkit, WindowHandle dialog) {
  toolkit.AppendSystemMenuItem(dialog, kSystemMenuSaveWireLog, "Save &Wire Log...", true);
  toolkit.AppendSystemMenuItem(dialog, kSystemMenuFindRadios, "&Find Radios...", false);
  toolkit.AppendSystemMenuItem(dialog, kSystemMenuSaveProfile, "Save &Profile...", false);
  toolkit.AppendSystemMenuItem(dialog, kSystemMenuApplyProfile, "Appl&y Profile...", false);
  toolkit.AppendSystemMenuItem(dialog, kSystemMenuSignalMonitor, "Si&gnal Monitor...", false);
}

void CConfiguratorDlg::ApplyTechnology() {
  Toolkit& toolkit = m_services.toolkit;
  // The list follows the technology's name; with nothing selected the text
  // is empty, which lists what any other technology gets.
  const std::string technology = toolkit.ComboSelection(Handle(), kTechnologyList) < 0
                                     ? std::string()
                                     : toolkit.ComboText(Handle(), kTechnologyList);
  toolkit.ComboReset(Handle(), kChannelList);
  for (const std::string& channel : TechnologyChannels(technology)) {
    toolkit.ComboAppend(Handle(), kChannelList, channel);
  }
  Select(kChannelList, std::string(DefaultChannel(technology)));
  Select(kNewBaudRateList,
         technology == kVorlithTechnology ? std::string(kDefaultNewBaudRate) : kUnlistedBaudRate);
}

// The window menu's items: About and the extras.
bool CConfiguratorDlg::OnSystemCommand(int id) {
  // The platform keeps its own bits in the low four.
  switch (id & kSystemCommandMask) {
    case kSystemMenuAbout:
      ShowAbout();
      return true;
    case kSystemMenuSaveWireLog:
      SaveWireLog();
      return true;
    case kSystemMenuFindRadios:
      FindRadios();
      return true;
    case kSystemMenuSaveProfile:
      SaveProfileOfPair(*this, m_services, *m_port,
                        m_services.toolkit.ComboText(Handle(), kComPortList));
      return true;
    case kSystemMenuApplyProfile:
      ApplyProfileToPair(*this, m_services, *m_port,
                         m_services.toolkit.ComboText(Handle(), kComPortList));
      return true;
    case kSystemMenuSignalMonitor:
      OpenSignalMonitor();
      return true;
  }
  return false;
}

bool CConfiguratorDlg::OnCommand(const Command& command) {
  switch (command.kind) {
    case CommandKind::SelectionChanged:
      if (command.id != kTechnologyList) return false;
      ApplyTechnology();
      return true;
    case CommandKind::ButtonClicked:
      if (command.id == kConfigureButton) {
        ConfigureRadios();
        return true;
      }
      if (command.id == kPollInformationButton) {
        OpenPollDialog();
        return true;
      }
      return CDialog::OnCommand(command);
    case CommandKind::MenuCommand:
      switch (command.id) {
        case kMenuExit:
          OnOK();
          return true;
        case kMenuSettings:
          OpenAdvancedSettings();
          return true;
        case kMenuInitRadios:
          OpenInitRadios();
          return true;
        case kMenuAbout:
          ShowAbout();
          return true;
      }
      return false;
    case CommandKind::SystemCommand:
      return OnSystemCommand(command.id);
    case CommandKind::Timer:
      return false;
  }
  return false;
}

void CConfiguratorDlg::ConfigureRadios() {
  DialogFeedback feedback(*this, kConfigureButton);
  m_services.operationStarted("configure");
  RadioConfigurator(*m_port, *m_services.clock, feedback)
      .ConfigureRadios(CurrentChoices(), m_settings);
}

void CConfiguratorDlg::OpenPollDialog() {
  CPollDlg poll(m_services, m_services.toolkit.ComboText(Handle(), kComPortList));
  poll.DoModal();
}

void CConfiguratorDlg::OpenAdvancedSettings() {
  CAdvancedDlg advanced(m_services, m_settings);
  advanced.DoModal();
  // Only a completed Apply counts; Cancel keeps what the main dialog had.
  if (advanced.Applied()) m_settings = advanced.Settings();
}

void CConfiguratorDlg::OpenInitRadios() {
  CInitRadioDlg init(*this);
  init.DoModal();
}

void CConfiguratorDlg::ShowAbout() {
  CAboutDlg about(m_services.toolkit);
  about.DoModal();
}

void CConfiguratorDlg::SaveWireLog() {
  const SaveFileRequest request{"Save Wire Log", "wire-log.txt", "Text files", "*.txt", "txt"};
  SaveTextAs(
      *this, request,
      [this] { return m_services.wireLogText ? WithNativeLineEnds(m_services.wireLogText()) : ""; },
      "Unable to Save Wire Log");
}

void CConfiguratorDlg::FindRadios() {
  Toolkit& toolkit = m_services.toolkit;
  std::vector<std::string> ports;
  const int count = toolkit.ComboCount(Handle(), kComPortList);
  for (int index = 0; index < count; ++index) {
    ports.push_back(toolkit.ComboEntry(Handle(), kComPortList, index));
  }
  CFindRadiosDlg find(m_services, ports, this);
  if (find.DoModal() != kIdOk || !find.ChosenPort()) return;
  for (int index = 0; index < count; ++index) {
    if (ports[static_cast<std::size_t>(index)] == *find.ChosenPort()) {
      toolkit.ComboSelect(Handle(), kComPortList, index);
      break;
    }
  }
}

void CConfiguratorDlg::OpenSignalMonitor() {
  CSignalMonitorDlg monitor(m_services, m_services.toolkit.ComboText(Handle(), kComPortList), this);
  monitor.DoModal();
}

CAboutDlg::CAboutDlg(Toolkit& toolkit) : CDialog(toolkit, AboutDialogTemplate()) {}

int CConfiguratorApp::Run() {
  CConfiguratorDlg dialog(m_services);
  dialog.DoModal();
  return 0;
}

}  // namespace zorveth::ui
