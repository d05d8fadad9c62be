#include "ui/templates/control_builders.h"
#include "ui/templates/templates.h"

// The windows of the main dialog's extras.

namespace zorveth::ui {
namespace {

using namespace build;
using namespace control_style;

// A line of text over a list, and two buttons under it: the one that acts
// (the default) and Cancel.
struct ListWindow {
  int id;
  const char* title;
  int cx;
  int cy;
  int textId;
  int listId;
  int actionId;
  const char* actionText;
};

DialogTemplate BuildListWindow(const ListWindow& w) {
  DialogTemplate d = Dialog(w.id, w.title, w.cx, w.cy, kModalDialog);
  const int buttons = w.cy - 21;
  d.controls = {
      Control(ControlKind::StaticText, w.textId, "", 7, 7, w.cx - 14, 18, 0),
      Control(ControlKind::ListBox, w.listId, "", 7, 28, w.cx - 14, buttons - 37,
              kVerticalScroll | kTabStop | kNotify | kNoIntegralHeight | kClientEdge | kStaticEdge),
      Button(w.actionId, w.actionText, w.cx - 120, buttons, 50, 14, kDefaultButton),
      Button(kIdCancel, "Cancel", w.cx - 57, buttons, 50, 14),
  };
  return d;
}

DialogTemplate BuildSignalMonitorDialog() {
  DialogTemplate d = Dialog(kSignalMonitorDialogId, "Signal Monitor", 400, 212, kModalDialog);
  d.controls = {
      Control(ControlKind::StaticText, kSignalMonitorStatus, "", 7, 7, 386, 10, 0),
      Control(ControlKind::Plot, kSignalMonitorPlot, "", 7, 20, 276, 164, 0),
      Control(ControlKind::StaticText, -1, "Server", 291, 20, 102, 9, 0),
      Control(ControlKind::StaticText, kSignalMonitorServerValue, "--", 291, 30, 102, 30,
              kLargeText),
      Control(ControlKind::StaticText, kSignalMonitorServerRange, "", 291, 62, 102, 9, 0),
      Control(ControlKind::StaticText, -1, "Client", 291, 104, 102, 9, 0),
      Control(ControlKind::StaticText, kSignalMonitorClientValue, "--", 291, 114, 102, 30,
              kLargeText),
      Control(ControlKind::StaticText, kSignalMonitorClientRange, "", 291, 146, 102, 9, 0),
      Button(kSignalMonitorStart, "&Start", 7, 191, 50, 14, kDefaultButton),
      Button(kSignalMonitorStop, "S&top", 62, 191, 50, 14),
      Button(kSignalMonitorSaveData, "Save &Data...", 117, 191, 60, 14),
      Button(kIdCancel, "Close", 343, 191, 50, 14),
  };
  return d;
}

}  // namespace

const DialogTemplate& ApplyProfileDialogTemplate() {
  static const DialogTemplate dialog =
      BuildListWindow({kApplyProfileDialogId, "Apply Profile", 260, 150, kApplyProfileText,
                       kApplyProfileList, kApplyProfileButton, "&Apply"});
  return dialog;
}

const DialogTemplate& SignalMonitorDialogTemplate() {
  static const DialogTemplate dialog = BuildSignalMonitorDialog();
  return dialog;
}

const DialogTemplate& FindRadiosDialogTemplate() {
  static const DialogTemplate dialog =
      BuildListWindow({kFindRadiosDialogId, "Find Radios", 400, 170, kFindRadiosStatus,
                       kFindRadiosList, kIdOk, "OK"});
  return dialog;
}

}  // namespace zorveth::ui
