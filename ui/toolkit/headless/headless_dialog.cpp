#include "ui/toolkit/headless/headless_dialog.h"

#include "ui/toolkit/headless/headless_toolkit.h"

namespace zorveth::ui::headless {
namespace {

// The platform's own "close" entry of the system menu.
constexpr int kSystemClose = 0xF060;

bool MenuHas(const std::vector<MenuItem>& items, int id) {
  for (const auto& item : items) {
    if (item.items.empty() ? item.id == id : MenuHas(item.items, id)) return true;
  }
  return false;
}

}  // namespace

int HeadlessDialog::TemplateId() const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  return w ? w->source->id : 0;
}

std::string HeadlessDialog::Title() const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  return w ? w->source->title : "";
}

bool HeadlessDialog::Click(int controlId) {
  HeadlessWindow* w = m_toolkit.Window(m_window);
  HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  if (!control || !control->enabled || !control->visible || !m_toolkit.AcceptsInput(m_window)) {
    return false;
  }
  const ControlKind kind = control->source->kind;
  if (kind != ControlKind::PushButton && kind != ControlKind::RadioButton) return false;
  if (kind == ControlKind::RadioButton &&
      (control->source->style & control_style::kAutoRadio) != 0) {
    control->checked = true;
  }
  return m_toolkit.Deliver(m_window, {controlId, CommandKind::ButtonClicked});
}

bool HeadlessDialog::Select(int controlId, int index) {
  HeadlessWindow* w = m_toolkit.Window(m_window);
  HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  if (!control || control->source->kind != ControlKind::ComboBox || !control->enabled ||
      !control->visible || !m_toolkit.AcceptsInput(m_window) || index < 0 ||
      index >= static_cast<int>(control->entries.size())) {
    return false;
  }
  m_toolkit.ComboSelect(m_window, controlId, index);
  return m_toolkit.Deliver(m_window, {controlId, CommandKind::SelectionChanged});
}

bool HeadlessDialog::Select(int controlId, const std::string& entry) {
  const std::vector<std::string> entries = Entries(controlId);
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    if (entries[static_cast<std::size_t>(i)] == entry) return Select(controlId, i);
  }
  return false;
}

bool HeadlessDialog::Type(int controlId, const std::string& text) {
  HeadlessWindow* w = m_toolkit.Window(m_window);
  HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  if (!control || !control->enabled || !control->visible || !m_toolkit.AcceptsInput(m_window)) {
    return false;
  }
  const auto& source = *control->source;
  const bool editableCombo =
      source.kind == ControlKind::ComboBox && (source.style & control_style::kDropDown) != 0;
  if (source.kind != ControlKind::Edit && !editableCombo) return false;
  std::string accepted;
  bool everything = true;
  for (char c : text) {
    if ((source.style & control_style::kDigitsOnly) != 0 && (c < '0' || c > '9')) {
      everything = false;
    } else {
      accepted += c;
    }
  }
  control->text = accepted;
  if (editableCombo) {
    control->selection = -1;
    for (int i = 0; i < static_cast<int>(control->entries.size()); ++i) {
      if (control->entries[static_cast<std::size_t>(i)] == accepted) control->selection = i;
    }
  }
  return everything;
}

bool HeadlessDialog::Menu(int commandId) {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  if (!w || !MenuHas(w->source->menu, commandId)) return false;
  return m_toolkit.Deliver(m_window, {commandId, CommandKind::MenuCommand});
}

bool HeadlessDialog::SystemMenu(int commandId) {
  HeadlessWindow* w = m_toolkit.Window(m_window);
  if (!w || (w->source->style & dialog_style::kSystemMenu) == 0 ||
      !m_toolkit.AcceptsInput(m_window)) {
    return false;
  }
  bool known = commandId == kSystemClose;
  for (const auto& [id, text] : w->systemMenuItems) known = known || id == commandId;
  if (!known) return false;
  if (!w->events->OnCommand({commandId, CommandKind::SystemCommand}) && commandId == kSystemClose) {
    return CloseBox();
  }
  return true;
}

bool HeadlessDialog::PressEnter(int focusControl) {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  if (!w) return false;
  const HeadlessControl* focus = w->Find(focusControl);
  if (focus && focus->source->kind == ControlKind::PushButton) return Click(focusControl);
  for (const auto& control : w->controls) {
    if (control.source->kind == ControlKind::PushButton &&
        (control.source->style & control_style::kDefaultButton) != 0) {
      return Click(control.source->id);
    }
  }
  return m_toolkit.Deliver(m_window, {kIdOk, CommandKind::ButtonClicked});
}

bool HeadlessDialog::PressEscape() {
  return m_toolkit.Deliver(m_window, {kIdCancel, CommandKind::ButtonClicked});
}

bool HeadlessDialog::CloseBox() {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  if (!w || (w->source->style & dialog_style::kSystemMenu) == 0) return false;
  return m_toolkit.Deliver(m_window, {kIdCancel, CommandKind::ButtonClicked});
}

bool HeadlessDialog::FireTimer(int timerId) {
  return m_toolkit.FireTimer(m_window, timerId);
}

bool HeadlessDialog::Ended() const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  return !w || w->ended;
}

bool HeadlessDialog::Enabled() const {
  return m_toolkit.IsWindowEnabled(m_window);
}
bool HeadlessDialog::Enabled(int controlId) const {
  return m_toolkit.IsControlEnabled(m_window, controlId);
}
bool HeadlessDialog::Visible(int controlId) const {
  return m_toolkit.IsControlVisible(m_window, controlId);
}
bool HeadlessDialog::Checked(int controlId) const {
  return m_toolkit.IsChecked(m_window, controlId);
}
std::string HeadlessDialog::Text(int controlId) const {
  return m_toolkit.ControlText(m_window, controlId);
}

std::vector<std::string> HeadlessDialog::Entries(int controlId) const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  const HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  return control ? control->entries : std::vector<std::string>{};
}

int HeadlessDialog::Selection(int controlId) const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  const HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  return control ? control->selection : -1;
}

std::vector<std::pair<int, std::string>> HeadlessDialog::SystemMenuItems() const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  return w ? w->systemMenuItems : std::vector<std::pair<int, std::string>>{};
}

const IconResource* HeadlessDialog::Icon() const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  return w ? w->icon : nullptr;
}

std::vector<WindowHandle> HeadlessDialog::Children() const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  return w ? w->children : std::vector<WindowHandle>{};
}

WindowHandle HeadlessDialog::Owner() const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  return w ? w->owner : kNoWindow;
}

}  // namespace zorveth::ui::headless
