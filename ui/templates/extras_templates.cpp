#include "ui/templates/control_builders.h"
#include "ui/templates/templates.h"

// The windows of the main dialog's extras.

namespace zorveth::ui {
namespace {

using namespace build;
using namespace control_style;

DialogTemplate BuildFindRadiosDialog() {
  DialogTemplate d = Dialog(kFindRadiosDialogId, "Find Radios", 400, 170, kModalDialog);
  d.controls = {
      Control(ControlKind::StaticText, kFindRadiosStatus, "", 7, 7, 386, 18, 0),
      Control(ControlKind::ListBox, kFindRadiosList, "", 7, 28, 386, 112,
              kVerticalScroll | kTabStop | kNotify | kNoIntegralHeight | kClientEdge | kStaticEdge),
      Button(kIdOk, "OK", 280, 149, 50, 14, kDefaultButton),
      Button(kIdCancel, "Cancel", 343, 149, 50, 14),
  };
  return d;
}

DialogTemplate BuildApplyProfileDialog() {
  DialogTemplate d = Dialog(kApplyProfileDialogId, "Apply Profile", 260, 150, kModalDialog);
  d.controls = {
      Control(ControlKind::StaticText, kApplyProfileText, "", 7, 7, 246, 18, 0),
      Control(ControlKind::ListBox, kApplyProfileList, "", 7, 28, 246, 92,
              kVerticalScroll | kTabStop | kNotify | kNoIntegralHeight | kClientEdge | kStaticEdge),
      Button(kApplyProfileButton, "&Apply", 140, 129, 50, 14, kDefaultButton),
      Button(kIdCancel, "Cancel", 203, 129, 50, 14),
  };
  return d;
}

}  // namespace

const DialogTemplate& ApplyProfileDialogTemplate() {
  static const DialogTemplate dialog = BuildApplyProfileDialog();
  return dialog;
}

const DialogTemplate& FindRadiosDialogTemplate() {
  static const DialogTemplate dialog = BuildFindRadiosDialog();
  return dialog;
}

}  // namespace zorveth::ui
