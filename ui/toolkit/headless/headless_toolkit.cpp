#include "ui/toolkit/headless/headless_toolkit.h"

#include <algorithm>

#include "ui/toolkit/headless/headless_dialog.h"

namespace zorveth::ui::headless {
namespace {

// Dialog units to "pixels": any fixed scale will do, rectangles are only
// compared and passed on.
Rect ToPixels(int x, int y, int cx, int cy) {
  return {x * 3 / 2, y * 13 / 8, cx * 3 / 2, cy * 13 / 8};
}

}  // namespace

HeadlessToolkit::HeadlessToolkit(std::string applicationName)
    : m_applicationName(std::move(applicationName)) {}

HeadlessToolkit::~HeadlessToolkit() = default;

void HeadlessToolkit::OnDialog(int templateId, DialogScript script) {
  m_scripts[templateId].push_back(std::move(script));
}

std::vector<std::string> HeadlessToolkit::MessageTexts() const {
  std::vector<std::string> texts;
  for (const auto& message : m_messages) texts.push_back(message.text);
  return texts;
}

int HeadlessToolkit::UnusedScripts() const {
  int count = 0;
  for (const auto& [id, scripts] : m_scripts) count += static_cast<int>(scripts.size());
  return count;
}

HeadlessDialog HeadlessToolkit::Driver(WindowHandle window) {
  return HeadlessDialog(*this, window);
}

HeadlessWindow* HeadlessToolkit::Window(WindowHandle window) {
  auto it = m_windows.find(window);
  return it == m_windows.end() ? nullptr : it->second.get();
}

const HeadlessWindow* HeadlessToolkit::Window(WindowHandle window) const {
  auto it = m_windows.find(window);
  return it == m_windows.end() ? nullptr : it->second.get();
}

bool HeadlessToolkit::AcceptsInput(WindowHandle window) const {
  const HeadlessWindow* w = Window(window);
  if (!w || !w->enabled || !w->visible) return false;
  WindowHandle top = window;
  while (const HeadlessWindow* t = Window(top)) {
    if (!t->parent) break;
    if (!t->enabled || !t->visible) return false;
    top = t->parent;
  }
  const HeadlessWindow* topWindow = Window(top);
  return topWindow && !topWindow->ended && topWindow->enabled && !m_modalStack.empty() &&
         m_modalStack.back() == top;
}

bool HeadlessToolkit::Deliver(WindowHandle window, const Command& command) {
  if (!AcceptsInput(window)) return false;
  Window(window)->events->OnCommand(command);
  return true;
}

bool HeadlessToolkit::FireTimer(WindowHandle window, int timerId) {
  HeadlessWindow* found = Window(window);
  if (!found || found->ended || found->timers.count(timerId) == 0) return false;
  found->events->OnCommand({timerId, CommandKind::Timer});
  return true;
}

void HeadlessToolkit::StartTimer(WindowHandle dialog, int timerId, int intervalMs) {
  if (HeadlessWindow* found = Window(dialog)) found->timers[timerId] = intervalMs;
}

void HeadlessToolkit::StopTimer(WindowHandle dialog, int timerId) {
  if (HeadlessWindow* found = Window(dialog)) found->timers.erase(timerId);
}

void HeadlessToolkit::BeginWaitCursor() {
  ++m_waitCursorDepth;
  ++m_waitCursorShown;
}

WindowHandle HeadlessToolkit::Build(const DialogTemplate& dialog, DialogEvents& events) {
  auto window = std::make_unique<HeadlessWindow>();
  window->source = &dialog;
  window->events = &events;
  window->rect = ToPixels(0, 0, dialog.cx, dialog.cy);
  for (const auto& source : dialog.controls) {
    HeadlessControl control;
    control.source = &source;
    if (source.kind != ControlKind::Edit && source.kind != ControlKind::ComboBox) {
      control.text = source.text;
    }
    control.entries = source.initialEntries;
    control.enabled = (source.style & control_style::kDisabled) == 0;
    control.visible = (source.style & control_style::kHidden) == 0;
    control.rect = ToPixels(source.x, source.y, source.cx, source.cy);
    window->controls.push_back(std::move(control));
  }
  const WindowHandle handle = m_nextHandle++;
  m_windows[handle] = std::move(window);
  return handle;
}

void HeadlessToolkit::Destroy(WindowHandle window) {
  HeadlessWindow* w = Window(window);
  if (!w) return;
  for (WindowHandle child : std::vector<WindowHandle>(w->children)) Destroy(child);
  DialogEvents* events = w->events;
  m_windows.erase(window);
  events->OnWindowDestroyed();
}

int HeadlessToolkit::RunModal(const DialogTemplate& dialog, WindowHandle owner,
                              DialogEvents& events) {
  const WindowHandle handle = Build(dialog, events);
  {
    HeadlessWindow& w = *Window(handle);
    w.modal = true;
    w.owner = owner != kNoWindow ? owner : (m_modalStack.empty() ? kNoWindow : m_modalStack.back());
  }
  m_dialogsRun.push_back(dialog.id);
  events.OnInitDialog(handle);
  Window(handle)->visible = true;
  m_modalStack.push_back(handle);

  auto scripts = m_scripts.find(dialog.id);
  if (!Window(handle)->ended && scripts != m_scripts.end() && !scripts->second.empty()) {
    DialogScript script = std::move(scripts->second.front());
    scripts->second.pop_front();
    HeadlessDialog driver(*this, handle);
    script(driver);
  }
  if (!Window(handle)->ended) Driver(handle).PressEscape();
  if (!Window(handle)->ended) {
    ++m_forcedEnds;
    EndDialog(handle, kIdCancel);
  }
  const int result = Window(handle)->result;
  m_modalStack.pop_back();
  Destroy(handle);
  return result;
}

void HeadlessToolkit::EndDialog(WindowHandle dialog, int result) {
  HeadlessWindow* w = Window(dialog);
  if (!w || !w->modal || w->ended) return;
  w->ended = true;
  w->result = result;
}

WindowHandle HeadlessToolkit::CreateChildDialog(const DialogTemplate& dialog, WindowHandle parent,
                                                DialogEvents& events) {
  if (!Window(parent)) return kNoWindow;
  const WindowHandle handle = Build(dialog, events);
  Window(handle)->parent = parent;
  Window(parent)->children.push_back(handle);
  events.OnInitDialog(handle);
  if (HeadlessWindow* w = Window(handle)) w->visible = (dialog.style & dialog_style::kVisible) != 0;
  return handle;
}

void HeadlessToolkit::MoveWindow(WindowHandle window, const Rect& rect) {
  if (HeadlessWindow* w = Window(window)) w->rect = rect;
}

void HeadlessToolkit::RaiseWindow(WindowHandle window) {
  HeadlessWindow* w = Window(window);
  if (!w || !w->parent) return;
  auto& siblings = Window(w->parent)->children;
  siblings.erase(std::find(siblings.begin(), siblings.end(), window));
  siblings.push_back(window);
}

void HeadlessToolkit::ShowWindow(WindowHandle window, bool visible) {
  if (HeadlessWindow* w = Window(window)) w->visible = visible;
}

bool HeadlessToolkit::IsWindowVisible(WindowHandle window) const {
  const HeadlessWindow* w = Window(window);
  return w && w->visible;
}

void HeadlessToolkit::EnableWindow(WindowHandle window, bool enabled) {
  if (HeadlessWindow* w = Window(window)) w->enabled = enabled;
}

bool HeadlessToolkit::IsWindowEnabled(WindowHandle window) const {
  const HeadlessWindow* w = Window(window);
  return w && w->enabled;
}

void HeadlessToolkit::SetWindowIcon(WindowHandle window, const IconResource& icon) {
  if (HeadlessWindow* w = Window(window)) w->icon = &icon;
}

void HeadlessToolkit::AppendSystemMenuItem(WindowHandle window, int id, const std::string& text,
                                           bool /*separatorBefore*/) {
  if (HeadlessWindow* w = Window(window)) w->systemMenuItems.emplace_back(id, text);
}

void HeadlessToolkit::MessageBox(WindowHandle owner, const std::string& text) {
  if (owner == kNoWindow && !m_modalStack.empty()) owner = m_modalStack.back();
  const HeadlessWindow* w = Window(owner);
  ShownMessage message{text, m_applicationName, owner, w ? w->source->id : 0, m_waitCursorDepth};
  m_messages.push_back(message);
  if (m_onMessage) m_onMessage(message);
}

}  // namespace zorveth::ui::headless
