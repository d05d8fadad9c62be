#include <algorithm>
#include <cstddef>

#include "ui/toolkit/headless/headless_dialog.h"
#include "ui/toolkit/headless/headless_toolkit.h"

// File dialog, clipboard, context menus, shortcuts and list selection of the
// in-memory toolkit, with the test's side of them.

namespace zorveth::ui::headless {
namespace {

bool MenuHasItem(const std::vector<MenuItem>& items, int id) {
  return std::any_of(items.begin(), items.end(), [id](const MenuItem& item) {
    return item.items.empty() ? item.id == id && id != 0 : MenuHasItem(item.items, id);
  });
}

}  // namespace

std::optional<std::string> HeadlessToolkit::AskSaveFileName(WindowHandle /*owner*/,
                                                            const SaveFileRequest& request) {
  m_saveRequests.push_back(request);
  if (m_saveAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(m_saveAnswers.front());
  m_saveAnswers.pop_front();
  return answer;
}

void HeadlessToolkit::SetClipboardText(const std::string& text) {
  m_clipboard = text;
  ++m_clipboardWrites;
}

void HeadlessToolkit::SetControlContextMenu(WindowHandle dialog, int controlId,
                                            const std::vector<MenuItem>& items) {
  HeadlessWindow* w = Window(dialog);
  if (HeadlessControl* control = w ? w->Find(controlId) : nullptr) control->contextMenu = items;
}

void HeadlessToolkit::SetControlShortcut(WindowHandle dialog, int controlId,
                                         ControlShortcut shortcut, int commandId) {
  HeadlessWindow* w = Window(dialog);
  if (HeadlessControl* control = w ? w->Find(controlId) : nullptr) {
    control->shortcuts[shortcut] = commandId;
  }
}

int HeadlessToolkit::ListSelection(WindowHandle dialog, int controlId) const {
  const HeadlessControl* c = Control(dialog, controlId, ControlKind::ListBox);
  return c ? c->selection : -1;
}

void HeadlessToolkit::ListSelect(WindowHandle dialog, int controlId, int index) {
  HeadlessControl* c = Control(dialog, controlId, ControlKind::ListBox);
  if (c && index >= -1 && index < static_cast<int>(c->entries.size())) c->selection = index;
}

void HeadlessToolkit::ListScrollIntoView(WindowHandle dialog, int controlId, int index) {
  HeadlessControl* c = Control(dialog, controlId, ControlKind::ListBox);
  if (c && index >= 0 && index < static_cast<int>(c->entries.size())) c->scrolledTo = index;
}

bool HeadlessDialog::SelectLine(int controlId, int index) {
  HeadlessWindow* w = m_toolkit.Window(m_window);
  HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  if (!control || !control->enabled || !control->visible || !m_toolkit.AcceptsInput(m_window) ||
      control->source->kind != ControlKind::ListBox || index < 0 ||
      index >= static_cast<int>(control->entries.size())) {
    return false;
  }
  control->selection = index;
  return true;
}

bool HeadlessDialog::ContextMenu(int controlId, int itemId) {
  HeadlessWindow* w = m_toolkit.Window(m_window);
  HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  if (!control || !control->visible || !MenuHasItem(control->contextMenu, itemId)) return false;
  return m_toolkit.Deliver(m_window, {itemId, CommandKind::MenuCommand});
}

bool HeadlessDialog::PressShortcut(int controlId, ControlShortcut shortcut) {
  HeadlessWindow* w = m_toolkit.Window(m_window);
  HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  if (!control || !control->enabled || !control->visible) return false;
  const auto found = control->shortcuts.find(shortcut);
  if (found == control->shortcuts.end()) return false;
  return m_toolkit.Deliver(m_window, {found->second, CommandKind::MenuCommand});
}

std::vector<MenuItem> HeadlessDialog::ContextMenuItems(int controlId) const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  const HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  return control ? control->contextMenu : std::vector<MenuItem>{};
}

int HeadlessDialog::ScrolledTo(int controlId) const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  const HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  return control ? control->scrolledTo : -1;
}

void HeadlessToolkit::SetPlotSeries(WindowHandle dialog, int controlId, int series,
                                    const PlotSeries& data) {
  HeadlessControl* c = Control(dialog, controlId, ControlKind::Plot);
  if (!c || series < 0) return;
  if (c->plot.size() <= static_cast<std::size_t>(series)) c->plot.resize(series + 1);
  c->plot[static_cast<std::size_t>(series)] = data;
}

std::vector<PlotSeries> HeadlessDialog::Plot(int controlId) const {
  const HeadlessWindow* w = m_toolkit.Window(m_window);
  const HeadlessControl* control = w ? w->Find(controlId) : nullptr;
  return control ? control->plot : std::vector<PlotSeries>{};
}

}  // namespace zorveth::ui::headless
