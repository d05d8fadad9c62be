#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/toolkit/toolkit.h"

namespace zorveth::ui::headless {

// The in-memory state of one control, built from its template.
struct HeadlessControl {
  const ControlTemplate* source = nullptr;
  std::string text;                  // label, edit text, or an editable combo's edit text
  std::vector<std::string> entries;  // combo and list boxes
  int selection = -1;                // combo and list boxes
  int scrolledTo = -1;               // list boxes: the last line scrolled into view
  std::vector<MenuItem> contextMenu;
  std::map<ControlShortcut, int> shortcuts;  // shortcut -> command id
  std::vector<PlotSeries> plot;              // plot controls: the lines as last set
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  Rect rect;
};

// The in-memory state of one dialog window.
struct HeadlessWindow {
  const DialogTemplate* source = nullptr;
  DialogEvents* events = nullptr;
  WindowHandle parent = kNoWindow;  // child dialogs
  WindowHandle owner = kNoWindow;   // modal dialogs
  std::vector<WindowHandle> children;
  std::vector<HeadlessControl> controls;
  std::vector<std::pair<int, std::string>> systemMenuItems;
  std::map<int, int> timers;  // running timers: id -> interval in ms
  const IconResource* icon = nullptr;
  bool modal = false;
  bool visible = false;
  bool enabled = true;
  bool ended = false;
  int result = 0;
  Rect rect;

  HeadlessControl* Find(int controlId) {
    if (controlId == -1) return nullptr;
    for (auto& control : controls) {
      if (control.source->id == controlId) return &control;
    }
    return nullptr;
  }
  const HeadlessControl* Find(int controlId) const {
    return const_cast<HeadlessWindow*>(this)->Find(controlId);
  }
};

}  // namespace zorveth::ui::headless
