#include "ui/templates/control_builders.h"
#include "ui/templates/templates.h"

namespace zorveth::ui {
namespace {

using namespace build;
using namespace control_style;

DialogTemplate BuildPollDialog() {
  DialogTemplate d = Dialog(kPollDialogId, "Poll Result Dialog", 213, 289, kModalDialog);
  d.controls = {
      Button(kPollBothButton, "&Poll For Client and Server", 7, 268, 93, 14, kDefaultButton),
      Button(kIdCancel, "&Cancel", 113, 268, 93, 14, kDefaultButton),
      Group(-1, "Polled Result:", 21, 20, 169, 201),
      Control(ControlKind::ListBox, kResultList, "", 27, 33, 157, 177,
              kVerticalScroll | kTabStop | kNotify | kNoIntegralHeight | kClientEdge | kStaticEdge),
      Button(kPollClientButton, "Poll For &Client Radio Only", 7, 248, 93, 14, kDefaultButton),
      Button(kPollServerButton, "Poll For &Server Radio Only", 7, 228, 93, 14, kDefaultButton),
      Button(kClearInformationButton, "C&lear Information", 113, 248, 93, 14, kDefaultButton),
  };
  return d;
}

DialogTemplate BuildInitRadioDialog() {
  DialogTemplate d =
      Dialog(kInitRadioDialogId, "Radio Initialization Dialog", 213, 221, kModalDialog);
  d.controls = {
      Button(kIdCancel, "&Cancel", 120, 200, 64, 14),
      Warning(kInitWarningText,
              "WARNING!!\n\nThis area is for initializing the radios to either client or "
              "server.\nExecuting the commands will remove the previous settings.\n\nYou Must "
              "Make Sure:\n\n1.  All other radios are shut off.\n 2.  Settings are correct."
              "            ",
              7, 4, 199, 78),
      // Plain (not automatic) radio buttons: the dialog keeps exactly one of
      // the two selected itself.
      Control(ControlKind::RadioButton, kClientRoleButton, "Initialize the Radio to Client", 61,
              123, 104, 10, kGroup | kTabStop),
      Control(ControlKind::RadioButton, kServerRoleButton, "Initialize the Radio to Server", 61,
              149, 106, 10, 0),
      Button(kInitializeButton, "&Initialize", 28, 200, 64, 14),
      Group(kRadioSelectionGroup, "Radio Selection", 7, 98, 199, 83),
  };
  return d;
}

DialogTemplate BuildInitWarningDialog() {
  DialogTemplate d = Dialog(kInitWarningDialogId, "Warning!!!", 209, 106, kModalDialog);
  d.controls = {
      Button(kIdCancel, "Cancel", 120, 85, 50, 14),
      Button(kContinueButton, "Continue", 39, 85, 50, 14),
      // Never shown: it marks where the role's warning pane goes.
      Control(ControlKind::Frame, kPaneFrame, "", 7, 7, 195, 54, kHidden),
  };
  return d;
}

DialogTemplate BuildWarningPane(int id, int height, int textId, const char* role) {
  DialogTemplate d = Dialog(id, "", 196, height, dialog_style::kChild);
  d.controls = {
      Warning(textId,
              std::string("Warning!!!\n\nYou are about to remove settings for ") + role +
                  " radio.\n\nTo Exit:   Press Cancel",
              0, 0, 195, 53),
  };
  return d;
}

DialogTemplate BuildAdvancedDialog() {
  constexpr std::uint32_t kNumberEdit = kBorder | kDigitsOnly | kAutoHorizontalScroll | kTabStop;
  DialogTemplate d = Dialog(kAdvancedDialogId, "Advanced Settings", 229, 247, kModalDialog);
  d.controls = {
      Button(kIdCancel, "&Cancel", 123, 226, 50, 14),
      Group(kPacketLengthGroup, "Fixed Packet Length:", 7, 67, 215, 36),
      Control(ControlKind::Edit, kPacketLengthEdit, "", 79, 80, 81, 14, kNumberEdit),
      Group(kRetryNumberGroup, "Number of Retries:", 7, 117, 215, 36),
      Control(ControlKind::Edit, kRetryNumberEdit, "", 79, 130, 81, 14, kNumberEdit),
      Group(kSystemIdGroup, "System ID:", 7, 168, 215, 36),
      Control(ControlKind::Edit, kSystemIdEdit, "", 79, 181, 81, 14, kNumberEdit),
      Button(kApplyButton, "&Apply", 60, 226, 50, 14),
      Warning(kAdvancedWarningText,
              "WARNING!!!\n\nYou are about to change the radio settings.\n(You may exit by "
              "pressing cancel)",
              7, 7, 215, 46),
  };
  return d;
}

}  // namespace

const DialogTemplate& PollDialogTemplate() {
  static const DialogTemplate dialog = BuildPollDialog();
  return dialog;
}

const DialogTemplate& InitRadioDialogTemplate() {
  static const DialogTemplate dialog = BuildInitRadioDialog();
  return dialog;
}

const DialogTemplate& InitWarningDialogTemplate() {
  static const DialogTemplate dialog = BuildInitWarningDialog();
  return dialog;
}

const DialogTemplate& ClientWarningPaneTemplate() {
  static const DialogTemplate dialog =
      BuildWarningPane(kClientWarningPaneId, 54, kClientWarningText, "client");
  return dialog;
}

const DialogTemplate& ServerWarningPaneTemplate() {
  static const DialogTemplate dialog =
      BuildWarningPane(kServerWarningPaneId, 53, kServerWarningText, "server");
  return dialog;
}

const DialogTemplate& AdvancedDialogTemplate() {
  static const DialogTemplate dialog = BuildAdvancedDialog();
  return dialog;
}

}  // namespace zorveth::ui
