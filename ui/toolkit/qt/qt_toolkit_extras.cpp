#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QListWidget>
#include <QTimer>

#include "ui/toolkit/qt/control_extras.h"
#include "ui/toolkit/qt/control_widgets.h"
#include "ui/toolkit/qt/plot_widget.h"
#include "ui/toolkit/qt/qt_toolkit.h"

// File dialog, clipboard, context menus, shortcuts and list selection on Qt.

namespace zorveth::ui::qt {
namespace {

bool InRange(int index, int count) {
  return index >= 0 && index < count;
}

QString TimerName(int timerId) {
  return QStringLiteral("zorveth-timer-%1").arg(timerId);
}

}  // namespace

std::optional<std::string> QtToolkit::AskSaveFileName(WindowHandle owner,
                                                      const SaveFileRequest& request) {
  if (owner == kNoWindow && !m_modalStack.empty()) owner = m_modalStack.back();
  QFileDialog dialog(TopLevel(owner), ToQString(request.title));
  dialog.setAcceptMode(request.openExisting ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(request.openExisting ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  QStringList filters;
  if (!request.filterPattern.empty()) {
    filters << ToQString(request.filterName + " (" + request.filterPattern + ")");
  }
  filters << QStringLiteral("All files (*)");
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(ToQString(request.defaultExtension));
  dialog.selectFile(ToQString(request.suggestedName));
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  // Paths are handed on in the local 8-bit encoding, which is what the
  // file functions take.
  return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

void QtToolkit::StartTimer(WindowHandle dialog, int timerId, int intervalMs) {
  StopTimer(dialog, timerId);
  DialogSurface* surface = ClientArea(dialog);
  if (!surface) return;
  // Owned by the window, so it goes with it.
  auto* timer = new QTimer(surface);
  timer->setObjectName(TimerName(timerId));
  QObject::connect(timer, &QTimer::timeout, surface, [this, dialog, timerId] {
    Dispatch(dialog, {timerId, CommandKind::Timer});
  });
  timer->start(intervalMs);
}

void QtToolkit::StopTimer(WindowHandle dialog, int timerId) {
  DialogSurface* surface = ClientArea(dialog);
  if (!surface) return;
  for (QTimer* timer :
       surface->findChildren<QTimer*>(TimerName(timerId), Qt::FindDirectChildrenOnly)) {
    timer->stop();
    timer->deleteLater();
  }
}

void QtToolkit::SetClipboardText(const std::string& text) {
  QApplication::clipboard()->setText(ToQString(text));
}

void QtToolkit::SetControlContextMenu(WindowHandle dialog, int controlId,
                                      const std::vector<MenuItem>& items) {
  QWidget* control = ControlWidget(dialog, controlId);
  if (!control) return;
  ControlExtras::Of(control, [this, dialog](const Command& command) {
    Dispatch(dialog, command);
  }).SetContextMenu(items);
}

void QtToolkit::SetControlShortcut(WindowHandle dialog, int controlId, ControlShortcut shortcut,
                                   int commandId) {
  QWidget* control = ControlWidget(dialog, controlId);
  if (!control) return;
  ControlExtras::Of(control, [this, dialog](const Command& command) {
    Dispatch(dialog, command);
  }).SetShortcut(shortcut, commandId);
}

int QtToolkit::ListSelection(WindowHandle dialog, int controlId) const {
  const auto* list = qobject_cast<const QListWidget*>(ControlWidget(dialog, controlId));
  if (!list) return -1;
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.front());
}

void QtToolkit::ListSelect(WindowHandle dialog, int controlId, int index) {
  auto* list = qobject_cast<QListWidget*>(ControlWidget(dialog, controlId));
  if (!list) return;
  if (index == -1) {
    list->clearSelection();
  } else if (InRange(index, list->count())) {
    // Selects without scrolling, unlike setCurrentRow.
    list->selectionModel()->select(list->model()->index(index, 0),
                                   QItemSelectionModel::ClearAndSelect);
  }
}

void QtToolkit::ListScrollIntoView(WindowHandle dialog, int controlId, int index) {
  auto* list = qobject_cast<QListWidget*>(ControlWidget(dialog, controlId));
  if (list && InRange(index, list->count())) {
    list->scrollToItem(list->item(index), QAbstractItemView::EnsureVisible);
  }
}

void QtToolkit::SetPlotSeries(WindowHandle dialog, int controlId, int series,
                              const PlotSeries& data) {
  if (auto* plot = dynamic_cast<PlotWidget*>(ControlWidget(dialog, controlId))) {
    plot->SetSeries(series, data);
  }
}

}  // namespace zorveth::ui::qt
