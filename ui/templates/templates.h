#pragma once

#include <string>

#include "ui/templates/resource_ids.h"
#include "ui/toolkit/dialog_template.h"
#include "ui/toolkit/icon_image.h"

namespace zorveth::ui {

// The application's resources, built once on first use and kept for the
// whole run (the toolkit may keep pointers into them).

const DialogTemplate& MainDialogTemplate();           // 102, with menu 131
const DialogTemplate& AboutDialogTemplate();          // 100
const DialogTemplate& PollDialogTemplate();           // 135
const DialogTemplate& InitRadioDialogTemplate();      // 137
const DialogTemplate& InitWarningDialogTemplate();    // 138
const DialogTemplate& ClientWarningPaneTemplate();    // 139
const DialogTemplate& ServerWarningPaneTemplate();    // 140
const DialogTemplate& AdvancedDialogTemplate();       // 141
const DialogTemplate& FindRadiosDialogTemplate();     // 150
const DialogTemplate& ApplyProfileDialogTemplate();   // 151
const DialogTemplate& SignalMonitorDialogTemplate();  // 152

// nullptr for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

// String table; empty for an unknown id.
std::string LoadResourceString(int id);

// Icon 136 in 16, 32, 48 and 256 pixels.
const IconResource& ApplicationIcon();

}  // namespace zorveth::ui
