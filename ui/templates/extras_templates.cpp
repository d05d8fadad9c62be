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

}  // namespace

const DialogTemplate& ApplyProfileDialogTemplate() {
  static const DialogTemplate dialog =
      BuildListWindow({kApplyProfileDialogId, "Apply Profile", 260, 150, kApplyProfileText,
                       kApplyProfileList, kApplyProfileButton, "&Apply"});
  return dialog;
}

const DialogTemplate& FindRadiosDialogTemplate() {
  static const DialogTemplate dialog =
      BuildListWindow({kFindRadiosDialogId, "Find Radios", 400, 170, kFindRadiosStatus,
                       kFindRadiosList, kIdOk, "OK"});
  return dialog;
}

}  // namespace zorveth::ui
