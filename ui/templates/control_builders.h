#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ui/toolkit/dialog_template.h"
#include "ui/toolkit/toolkit.h"

namespace zorveth::ui::build {

// Short constructors that keep the template tables readable: one control a
// line, as the resource script would have it.

inline ControlTemplate Control(ControlKind kind, int id, std::string text, int x, int y, int cx,
                               int cy, std::uint32_t style) {
  ControlTemplate control;
  control.kind = kind;
  control.id = id;
  control.text = std::move(text);
  control.x = x;
  control.y = y;
  control.cx = cx;
  control.cy = cy;
  control.style = style;
  return control;
}

inline ControlTemplate Button(int id, std::string text, int x, int y, int cx, int cy,
                              std::uint32_t extra = 0) {
  return Control(ControlKind::PushButton, id, std::move(text), x, y, cx, cy,
                 control_style::kTabStop | extra);
}

inline ControlTemplate Group(int id, std::string text, int x, int y, int cx, int cy) {
  return Control(ControlKind::GroupBox, id, std::move(text), x, y, cx, cy, 0);
}

inline ControlTemplate Combo(int id, int x, int y, int cx, int cy, std::uint32_t kind,
                             std::vector<std::string> entries = {}) {
  ControlTemplate control =
      Control(ControlKind::ComboBox, id, "", x, y, cx, cy,
              kind | control_style::kVerticalScroll | control_style::kTabStop);
  control.initialEntries = std::move(entries);
  return control;
}

// The warning texts: centred, with a sunken frame.
inline ControlTemplate Warning(int id, std::string text, int x, int y, int cx, int cy) {
  return Control(ControlKind::StaticText, id, std::move(text), x, y, cx, cy,
                 control_style::kCentered | control_style::kSunken);
}

inline DialogTemplate Dialog(int id, std::string title, int cx, int cy, std::uint32_t style) {
  DialogTemplate dialog;
  dialog.id = id;
  dialog.title = std::move(title);
  dialog.cx = cx;
  dialog.cy = cy;
  dialog.style = style;
  return dialog;
}

// A pop-up dialog with caption, system menu and modal frame.
inline constexpr std::uint32_t kModalDialog = dialog_style::kPopup | dialog_style::kCaption |
                                              dialog_style::kSystemMenu | dialog_style::kModalFrame;

}  // namespace zorveth::ui::build
