#include <cstddef>

#include "ui/toolkit/headless/headless_toolkit.h"

// The control operations of the in-memory toolkit.

namespace zorveth::ui::headless {
namespace {

bool InRange(int index, const std::vector<std::string>& entries) {
  return index >= 0 && index < static_cast<int>(entries.size());
}

bool Editable(const HeadlessControl& control) {
  return (control.source->style & control_style::kDropDown) != 0;
}

}  // namespace

HeadlessControl* HeadlessToolkit::Control(WindowHandle dialog, int controlId, ControlKind kind) {
  HeadlessWindow* w = Window(dialog);
  HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  return control && control->source->kind == kind ? control : nullptr;
}

const HeadlessControl* HeadlessToolkit::Control(WindowHandle dialog, int controlId,
                                                ControlKind kind) const {
  return const_cast<HeadlessToolkit*>(this)->Control(dialog, controlId, kind);
}

void HeadlessToolkit::EnableControl(WindowHandle dialog, int controlId, bool enabled) {
  HeadlessWindow* w = Window(dialog);
  if (HeadlessControl* control = w ? w->Find(controlId) : nullptr) control->enabled = enabled;
}

bool HeadlessToolkit::IsControlEnabled(WindowHandle dialog, int controlId) const {
  const HeadlessWindow* w = Window(dialog);
  const HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  return control && control->enabled;
}

void HeadlessToolkit::ShowControl(WindowHandle dialog, int controlId, bool visible) {
  HeadlessWindow* w = Window(dialog);
  if (HeadlessControl* control = w ? w->Find(controlId) : nullptr) control->visible = visible;
}

bool HeadlessToolkit::IsControlVisible(WindowHandle dialog, int controlId) const {
  const HeadlessWindow* w = Window(dialog);
  const HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  return control && control->visible;
}

Rect HeadlessToolkit::ControlRect(WindowHandle dialog, int controlId) const {
  const HeadlessWindow* w = Window(dialog);
  const HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  return control ? control->rect : Rect{};
}

void HeadlessToolkit::SetControlText(WindowHandle dialog, int controlId, const std::string& text) {
  HeadlessWindow* w = Window(dialog);
  HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  if (!control) return;
  control->text = text;
  if (control->source->kind == ControlKind::ComboBox) control->selection = -1;
}

std::string HeadlessToolkit::ControlText(WindowHandle dialog, int controlId) const {
  const HeadlessWindow* w = Window(dialog);
  const HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  if (!control) return {};
  if (control->source->kind == ControlKind::ComboBox) return ComboText(dialog, controlId);
  return control->text;
}

void HeadlessToolkit::SetChecked(WindowHandle dialog, int controlId, bool checked) {
  if (HeadlessControl* c = Control(dialog, controlId, ControlKind::RadioButton))
    c->checked = checked;
}

bool HeadlessToolkit::IsChecked(WindowHandle dialog, int controlId) const {
  const HeadlessControl* c = Control(dialog, controlId, ControlKind::RadioButton);
  return c && c->checked;
}

void HeadlessToolkit::ComboAppend(WindowHandle dialog, int controlId, const std::string& text) {
  if (HeadlessControl* c = Control(dialog, controlId, ControlKind::ComboBox)) {
    c->entries.push_back(text);
  }
}

void HeadlessToolkit::ComboReset(WindowHandle dialog, int controlId) {
  if (HeadlessControl* c = Control(dialog, controlId, ControlKind::ComboBox)) {
    c->entries.clear();
    c->selection = -1;
    c->text.clear();
  }
}

int HeadlessToolkit::ComboCount(WindowHandle dialog, int controlId) const {
  const HeadlessControl* c = Control(dialog, controlId, ControlKind::ComboBox);
  return c ? static_cast<int>(c->entries.size()) : -1;
}

std::string HeadlessToolkit::ComboEntry(WindowHandle dialog, int controlId, int index) const {
  const HeadlessControl* c = Control(dialog, controlId, ControlKind::ComboBox);
  return c && InRange(index, c->entries) ? c->entries[static_cast<std::size_t>(index)] : "";
}

int HeadlessToolkit::ComboSelection(WindowHandle dialog, int controlId) const {
  const HeadlessControl* c = Control(dialog, controlId, ControlKind::ComboBox);
  return c ? c->selection : -1;
}

void HeadlessToolkit::ComboSelect(WindowHandle dialog, int controlId, int index) {
  HeadlessControl* c = Control(dialog, controlId, ControlKind::ComboBox);
  if (!c) return;
  if (index == -1) {
    c->selection = -1;
    c->text.clear();
  } else if (InRange(index, c->entries)) {
    c->selection = index;
    c->text = c->entries[static_cast<std::size_t>(index)];
  }
}

std::string HeadlessToolkit::ComboText(WindowHandle dialog, int controlId) const {
  const HeadlessControl* c = Control(dialog, controlId, ControlKind::ComboBox);
  if (!c) return {};
  if (Editable(*c)) return c->text;
  return InRange(c->selection, c->entries) ? c->entries[static_cast<std::size_t>(c->selection)]
                                           : "";
}

void HeadlessToolkit::ListAppend(WindowHandle dialog, int controlId, const std::string& text) {
  if (HeadlessControl* c = Control(dialog, controlId, ControlKind::ListBox)) {
    c->entries.push_back(text);
  }
}

int HeadlessToolkit::ListCount(WindowHandle dialog, int controlId) const {
  const HeadlessControl* c = Control(dialog, controlId, ControlKind::ListBox);
  return c ? static_cast<int>(c->entries.size()) : -1;
}

void HeadlessToolkit::ListDelete(WindowHandle dialog, int controlId, int index) {
  HeadlessControl* c = Control(dialog, controlId, ControlKind::ListBox);
  if (!c || !InRange(index, c->entries)) return;
  c->entries.erase(c->entries.begin() + index);
  // As a real list box: the selected line goes with its line, the ones
  // below move up.
  if (c->selection == index) c->selection = -1;
  if (c->selection > index) --c->selection;
  if (c->scrolledTo >= static_cast<int>(c->entries.size())) c->scrolledTo = -1;
}

std::string HeadlessToolkit::ListEntry(WindowHandle dialog, int controlId, int index) const {
  const HeadlessControl* c = Control(dialog, controlId, ControlKind::ListBox);
  return c && InRange(index, c->entries) ? c->entries[static_cast<std::size_t>(index)] : "";
}

}  // namespace zorveth::ui::headless
