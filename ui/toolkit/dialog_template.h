#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/toolkit/icon_image.h"

namespace zorveth::ui {

// Dialog templates are plain data, defined once (ui/templates/) and turned
// into real widgets by each backend. Positions and sizes are in dialog units
// (a quarter of the average character width of the dialog font
// horizontally, an eighth of its height vertically); how a backend maps them
// to pixels is its own business, as long as the proportions hold.

enum class ControlKind {
  PushButton,
  RadioButton,
  GroupBox,    // frame with a caption; never takes input
  StaticText,  // a label; multi-line when the text holds '\n'
  Icon,        // a static picture of ControlTemplate::icon
  Frame,       // an empty rectangle; a placeholder when hidden
  Edit,        // single-line edit field
  ComboBox,    // see kDropDown / kDropDownList
  ListBox,
  Plot,  // lines of values over time with a scale (SetPlotSeries); no input
};

// Style flags of a control; combine with |.
namespace control_style {
inline constexpr std::uint32_t kTabStop = 1u << 0;
inline constexpr std::uint32_t kGroup = 1u << 1;          // first control of a group
inline constexpr std::uint32_t kDefaultButton = 1u << 2;  // push button drawn as default
inline constexpr std::uint32_t kDigitsOnly = 1u << 3;     // edit refuses typed non-digits
inline constexpr std::uint32_t kCentered = 1u << 4;       // static text centred
inline constexpr std::uint32_t kSunken = 1u << 5;         // static text with a sunken frame
inline constexpr std::uint32_t kHidden = 1u << 6;         // created invisible
inline constexpr std::uint32_t kVerticalScroll = 1u << 7;
inline constexpr std::uint32_t kNotify = 1u << 8;                 // list box tells its parent
inline constexpr std::uint32_t kNoIntegralHeight = 1u << 9;       // list box keeps its exact size
inline constexpr std::uint32_t kClientEdge = 1u << 10;            // sunken 3-D border
inline constexpr std::uint32_t kStaticEdge = 1u << 11;            // thin 3-D border
inline constexpr std::uint32_t kDropDown = 1u << 12;              // combo: editable, user may type
inline constexpr std::uint32_t kDropDownList = 1u << 13;          // combo: pick from the list only
inline constexpr std::uint32_t kBorder = 1u << 14;                // edit with a plain border
inline constexpr std::uint32_t kAutoHorizontalScroll = 1u << 15;  // edit scrolls as one types
inline constexpr std::uint32_t kDisabled = 1u << 16;              // created disabled
inline constexpr std::uint32_t kAutoRadio = 1u << 17;  // radio button checks itself on click
inline constexpr std::uint32_t kLargeText = 1u << 18;  // static text in a large bold font
}  // namespace control_style

// Style flags of a dialog window.
namespace dialog_style {
inline constexpr std::uint32_t kPopup = 1u << 0;       // top-level window
inline constexpr std::uint32_t kChild = 1u << 1;       // lives inside another dialog
inline constexpr std::uint32_t kCaption = 1u << 2;     // title bar
inline constexpr std::uint32_t kSystemMenu = 1u << 3;  // window menu and close box
inline constexpr std::uint32_t kModalFrame = 1u << 4;  // fixed-size dialog frame
inline constexpr std::uint32_t kVisible = 1u << 5;     // shown on creation
inline constexpr std::uint32_t kAppWindow = 1u << 6;   // shown in the task bar
inline constexpr std::uint32_t kMinimizeBox = 1u << 7;
}  // namespace dialog_style

struct ControlTemplate {
  ControlKind kind = ControlKind::StaticText;
  int id = -1;  // -1 for labels and group boxes nobody addresses
  std::string text;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;  // a combo box's height includes its drop-down list
  std::uint32_t style = 0;
  // Combo and list boxes: entries present when the dialog is created.
  std::vector<std::string> initialEntries;
  // ControlKind::Icon only.
  const IconResource* icon = nullptr;
};

// A menu bar entry: a popup when it has items, otherwise a command with id.
struct MenuItem {
  std::string text;
  int id = 0;
  std::vector<MenuItem> items;
};

struct DialogTemplate {
  int id = 0;
  std::string title;
  std::string fontName = "MS Sans Serif";
  int fontPointSize = 8;
  int cx = 0;
  int cy = 0;
  std::uint32_t style = 0;
  // In tab order.
  std::vector<ControlTemplate> controls;
  // The menu bar, empty for none; menuId names it.
  int menuId = 0;
  std::vector<MenuItem> menu;

  // nullptr when the dialog has no such control.
  const ControlTemplate* FindControl(int controlId) const {
    for (const auto& control : controls) {
      if (control.id == controlId) return &control;
    }
    return nullptr;
  }
};

}  // namespace zorveth::ui
