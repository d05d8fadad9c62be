#include "ui/toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "ui/toolkit/qt/control_widgets.h"
#include "ui/toolkit/qt/icon_conversion.h"

namespace zorveth::ui::qt {

namespace {

// Eats user input while installed: what the user typed or clicked while an
// operation held the interface is dropped, not replayed afterwards.
class InputDiscarder : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TabletPress:
      case QEvent::TabletRelease:
        event->accept();
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

QtToolkit::QtToolkit(std::string applicationName, std::unique_ptr<QApplication> application)
    : m_application(std::move(application)), m_applicationName(std::move(applicationName)) {}

QtToolkit::~QtToolkit() {
  while (m_waitCursorDepth > 0) EndWaitCursor();
}

std::string QtToolkit::ApplicationNameFromPath(const std::string& path) {
  return ToStdString(QFileInfo(QString::fromLocal8Bit(path.c_str())).completeBaseName());
}

const QtToolkit::Window* QtToolkit::Find(WindowHandle handle) const {
  const auto found = m_windows.find(handle);
  return found == m_windows.end() || !found->second.surface ? nullptr : &found->second;
}

QtToolkit::Window* QtToolkit::Find(WindowHandle handle) {
  const auto found = m_windows.find(handle);
  return found == m_windows.end() || !found->second.surface ? nullptr : &found->second;
}

QWidget* QtToolkit::Widget(const Window& window) const {
  return window.dialog ? static_cast<QWidget*>(window.dialog.data())
                       : static_cast<QWidget*>(window.surface.data());
}

DialogWindow* QtToolkit::TopLevel(WindowHandle handle) const {
  const Window* window = Find(handle);
  while (window && !window->dialog) window = Find(window->parent);
  return window ? window->dialog.data() : nullptr;
}

DialogSurface* QtToolkit::ClientArea(WindowHandle handle) const {
  const Window* window = Find(handle);
  return window ? window->surface.data() : nullptr;
}

void QtToolkit::Dispatch(WindowHandle handle, const Command& command) {
  const Window* window = Find(handle);
  if (!window || window->ended || !window->events) return;
  // The handler may open further dialogs, which changes m_windows.
  DialogEvents* events = window->events;
  events->OnCommand(command);
}

bool QtToolkit::AcceptsClose(WindowHandle handle) const {
  // Not while an operation runs in a handler, and not behind a modal box.
  return m_waitCursorDepth == 0 && m_pumpDepth == 0 && !m_modalStack.empty() &&
         m_modalStack.back() == handle && QApplication::activeModalWidget() == TopLevel(handle);
}

namespace {

// As on Windows, the owner becomes the active window again when a dialog or
// message box it owns has ended, so its keyboard shortcuts work at once
// (without a window manager nothing else would activate it).
void ReactivateOwner(QWidget* owner) {
  if (owner == nullptr || !owner->isVisible()) return;
  owner->raise();
  owner->activateWindow();
}

}  // namespace

int QtToolkit::RunModal(const DialogTemplate& dialog, WindowHandle owner, DialogEvents& events) {
  if (owner == kNoWindow && !m_modalStack.empty()) owner = m_modalStack.back();
  auto* window = new DialogWindow(dialog, TopLevel(owner));
  const WindowHandle handle = m_nextHandle++;
  m_windows[handle] = Window{window->Surface(), window, &events, kNoWindow, false, kIdCancel};
  window->SetCommandHandler([this, handle](const Command& command) { Dispatch(handle, command); });
  window->SetCloseFilter([this, handle] { return AcceptsClose(handle); });
  window->setWindowModality(Qt::ApplicationModal);
  m_modalStack.push_back(handle);

  // Qt gives the focus to the first tab stop when the window shows, which
  // is what a true return asks for; a dialog that set the focus itself
  // keeps it.
  events.OnInitDialog(handle);
  if (const Window* running = Find(handle); running && !running->ended) window->exec();

  const Window* finished = Find(handle);
  const int result = finished ? finished->result : kIdCancel;
  m_modalStack.erase(std::find(m_modalStack.begin(), m_modalStack.end(), handle));
  Destroy(handle);
  delete window;
  events.OnWindowDestroyed();
  ReactivateOwner(TopLevel(owner));
  return result;
}

void QtToolkit::EndDialog(WindowHandle handle, int result) {
  Window* window = Find(handle);
  if (!window || !window->dialog || window->ended) return;
  window->ended = true;
  window->result = result;
  window->dialog->EndModal(result);
}

void QtToolkit::Destroy(WindowHandle handle) {
  std::vector<WindowHandle> children;
  for (const auto& [child, window] : m_windows) {
    if (window.parent == handle) children.push_back(child);
  }
  for (WindowHandle child : children) {
    Destroy(child);
    const auto found = m_windows.find(child);
    DialogEvents* events = found->second.events;
    m_windows.erase(found);
    if (events) events->OnWindowDestroyed();
  }
  if (const auto found = m_windows.find(handle); found != m_windows.end() && found->second.dialog) {
    m_windows.erase(found);  // the top-level's own events are told by RunModal
  }
}

WindowHandle QtToolkit::CreateChildDialog(const DialogTemplate& dialog, WindowHandle parent,
                                          DialogEvents& events) {
  const Window* owner = Find(parent);
  if (!owner) return kNoWindow;
  auto* surface = new DialogSurface(dialog, owner->surface);
  surface->setVisible((dialog.style & dialog_style::kVisible) != 0);
  const WindowHandle handle = m_nextHandle++;
  m_windows[handle] = Window{surface, nullptr, &events, parent, false, kIdCancel};
  surface->SetCommandHandler([this, handle](const Command& command) { Dispatch(handle, command); });
  events.OnInitDialog(handle);
  return handle;
}

void QtToolkit::MoveWindow(WindowHandle handle, const Rect& rect) {
  const Window* window = Find(handle);
  if (!window) return;
  if (window->dialog) {
    window->dialog->move(rect.left, rect.top);  // a dialog frame keeps its size
  } else {
    window->surface->setGeometry(rect.left, rect.top, rect.width, rect.height);
    window->surface->update();
  }
}

void QtToolkit::RaiseWindow(WindowHandle handle) {
  if (const Window* window = Find(handle)) Widget(*window)->raise();
}

void QtToolkit::ShowWindow(WindowHandle handle, bool visible) {
  if (const Window* window = Find(handle)) Widget(*window)->setVisible(visible);
}

bool QtToolkit::IsWindowVisible(WindowHandle handle) const {
  const Window* window = Find(handle);
  return window && !Widget(*window)->isHidden();
}

void QtToolkit::EnableWindow(WindowHandle handle, bool enabled) {
  if (const Window* window = Find(handle)) Widget(*window)->setEnabled(enabled);
}

bool QtToolkit::IsWindowEnabled(WindowHandle handle) const {
  const Window* window = Find(handle);
  return window && !Widget(*window)->testAttribute(Qt::WA_ForceDisabled);
}

void QtToolkit::SetWindowIcon(WindowHandle handle, const IconResource& icon) {
  if (const Window* window = Find(handle)) Widget(*window)->setWindowIcon(ToQIcon(icon));
}

void QtToolkit::AppendSystemMenuItem(WindowHandle handle, int id, const std::string& text,
                                     bool separatorBefore) {
  const Window* window = Find(handle);
  if (window && window->dialog) {
    window->dialog->AppendSystemItem(id, ToQString(text), separatorBefore);
  }
}

void QtToolkit::MessageBox(WindowHandle owner, const std::string& text) {
  if (owner == kNoWindow && !m_modalStack.empty()) owner = m_modalStack.back();
  QMessageBox box(TopLevel(owner));
  box.setWindowTitle(ToQString(m_applicationName));
  box.setIcon(QMessageBox::NoIcon);
  box.setTextFormat(Qt::PlainText);
  box.setText(ToQString(text));
  box.setStandardButtons(QMessageBox::Ok);
  box.button(QMessageBox::Ok)->setIcon(QIcon());  // some styles decorate it
  box.setWindowModality(Qt::ApplicationModal);
  // The user has to act now: show the normal pointer over the box even
  // when an operation's wait cursor is up.
  const bool waiting = m_waitCursorDepth > 0;
  if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (waiting) QApplication::restoreOverrideCursor();
  ReactivateOwner(TopLevel(owner));
}

void QtToolkit::PumpPendingEvents() {
  ++m_pumpDepth;
  // Repaints, resizes and the desktop's pings are handled, so the window
  // neither freezes nor looks hung; clicks and keys stay queued.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  --m_pumpDepth;
}

void QtToolkit::BeginWaitCursor() {
  ++m_waitCursorDepth;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtToolkit::EndWaitCursor() {
  if (m_waitCursorDepth == 0) return;
  --m_waitCursorDepth;
  QApplication::restoreOverrideCursor();
  if (m_waitCursorDepth == 0) DiscardQueuedInput();
}

void QtToolkit::DiscardQueuedInput() {
  InputDiscarder discarder;
  qApp->installEventFilter(&discarder);
  ++m_pumpDepth;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  --m_pumpDepth;
  qApp->removeEventFilter(&discarder);
}

}  // namespace zorveth::ui::qt

namespace zorveth::ui {
namespace {

// While the application starts, Qt's messages are held back: should it find
// no display it can reach, it would print a page of plugin names and abort.
// Instead the program says so in one line and ends as a failure.
std::vector<std::pair<QtMsgType, QString>>& StartupMessages() {
  static std::vector<std::pair<QtMsgType, QString>> messages;
  return messages;
}

void HoldStartupMessage(QtMsgType type, const QMessageLogContext& /*context*/,
                        const QString& message) {
  if (type != QtFatalMsg) {
    StartupMessages().emplace_back(type, message);
    return;
  }
  // The first message names what failed ("could not connect to display :9").
  const QString why = StartupMessages().empty() ? message : StartupMessages().front().second;
  const char* display = std::getenv("DISPLAY");
  std::fprintf(stderr,
               "zorveth: cannot open the display%s%s (%s); use zorveth-cli, or run 'xvfb-run "
               "-a zorveth'\n",
               display && *display ? " " : "", display ? display : "", qPrintable(why));
  std::fflush(stderr);
  std::_Exit(1);
}

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv) {
  const QtMessageHandler previous = qInstallMessageHandler(HoldStartupMessage);
  auto application = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(previous);
  // What Qt said on a start that worked is said now, as it would have been.
  for (const auto& [type, message] : StartupMessages()) {
    const QMessageLogContext context;
    if (previous) {
      previous(type, context, message);
    } else {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
  }
  StartupMessages().clear();
  return application;
}

}  // namespace

std::unique_ptr<Toolkit> CreatePlatformToolkit(int& argc, char** argv) {
  std::unique_ptr<QApplication> application;
  if (!QApplication::instance()) application = StartApplication(argc, argv);
  const std::string path = (argc > 0 && argv && argv[0]) ? argv[0] : "zorveth";
  return std::make_unique<qt::QtToolkit>(qt::QtToolkit::ApplicationNameFromPath(path),
                                         std::move(application));
}

}  // namespace zorveth::ui
