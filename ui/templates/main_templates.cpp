#include <string>
#include <vector>

#include "ui/templates/control_builders.h"
#include "ui/templates/templates.h"

namespace zorveth::ui {
namespace {

using namespace build;
using namespace control_style;

std::vector<std::string> InitialChannels() {
  // Pairs n, n+1 for n = 4, 8, ... 64, then 66 to 74. The start-up sequence
  // replaces them at once; they only show if it never runs.
  std::vector<std::string> channels;
  for (int n = 4; n <= 64; n += 4) {
    channels.push_back(std::to_string(n));
    channels.push_back(std::to_string(n + 1));
  }
  for (int n = 66; n <= 74; ++n) channels.push_back(std::to_string(n));
  return channels;
}

DialogTemplate BuildMainDialog() {
  DialogTemplate d = Dialog(kMainDialogId, "Skelvar Configurator", 230, 246,
                            kModalDialog | dialog_style::kAppWindow | dialog_style::kMinimizeBox);
  d.controls = {
      Button(kIdCancel, "&Exit", 158, 222, 65, 17),
      Group(-1, "Technology:", 7, 3, 216, 38),
      Combo(kTechnologyList, 79, 18, 125, 77, kDropDownList,
            {"Vorlith Radio Control", "Dunmere Radio Control", "Other"}),
      Group(-1, "Channel Number:", 7, 52, 216, 38),
      Combo(kChannelList, 79, 67, 71, 76, kDropDown, InitialChannels()),
      Group(-1, "Com Ports:", 7, 103, 216, 38),
      Button(kConfigureButton, "&Configure", 82, 222, 66, 17),
      Combo(kComPortList, 79, 118, 71, 103, kDropDownList),
      Group(-1, "New Baud Rate:", 7, 154, 216, 39),
      Combo(kNewBaudRateList, 78, 170, 71, 96, kDropDownList,
            {"2400", "4800", "9600", "19200", "38400"}),
      Button(kPollInformationButton, "&Poll Information", 7, 222, 66, 17),
  };
  d.menuId = kMainMenuId;
  d.menu = {
      {"&File", 0, {{"&Exit", kMenuExit, {}}}},
      {"&Edit", 0, {{"&Settings", kMenuSettings, {}}}},
      {"&Advanced", 0, {{"&Init Radios", kMenuInitRadios, {}}}},
      {"&About", kMenuAbout, {}},
  };
  return d;
}

DialogTemplate BuildAboutDialog() {
  DialogTemplate d = Dialog(kAboutDialogId, "Skelvar Radio Configurator", 231, 55, kModalDialog);
  ControlTemplate icon = Control(ControlKind::Icon, -1, "", 25, 11, 20, 20, 0);
  icon.icon = &ApplicationIcon();
  d.controls = {
      icon,
      Control(ControlKind::StaticText, -1, "Zorveth Version 2.0", 53, 11, 119, 8, 0),
      Button(kIdOk, "OK", 174, 7, 50, 14, kDefaultButton | kGroup),
  };
  return d;
}

}  // namespace

const DialogTemplate& MainDialogTemplate() {
  static const DialogTemplate dialog = BuildMainDialog();
  return dialog;
}

const DialogTemplate& AboutDialogTemplate() {
  static const DialogTemplate dialog = BuildAboutDialog();
  return dialog;
}

std::string LoadResourceString(int id) {
  if (id == kAboutMenuStringId) return "&About Zorveth...";
  return {};
}

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate* dialog :
       {&MainDialogTemplate(), &AboutDialogTemplate(), &PollDialogTemplate(),
        &InitRadioDialogTemplate(), &InitWarningDialogTemplate(), &ClientWarningPaneTemplate(),
        &ServerWarningPaneTemplate(), &AdvancedDialogTemplate(), &FindRadiosDialogTemplate(),
        &ApplyProfileDialogTemplate(), &SignalMonitorDialogTemplate()}) {
    if (dialog->id == id) return dialog;
  }
  return nullptr;
}

}  // namespace zorveth::ui
