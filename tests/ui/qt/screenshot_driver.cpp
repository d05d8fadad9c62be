// Opens every dialog from its template with realistic content and saves
// each window as <dir>/<name>.png (scripts/screenshots runs it under Xvfb).
#include <QAbstractScrollArea>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "ui/configurator_dlg.h"
#include "ui/poll_dlg.h"
#include "ui/radio_search.h"
#include "ui/templates/templates.h"
#include "ui/toolkit/qt/qt_toolkit.h"

namespace {

using namespace zorveth::ui;
using zorveth::ui::qt::QtToolkit;

class Shot : public DialogEvents {
 public:
  using Fill = std::function<void(WindowHandle)>;
  Shot(QtToolkit& toolkit, QString path, Fill fill, Fill extra = {})
      : m_toolkit(toolkit),
        m_path(std::move(path)),
        m_fill(std::move(fill)),
        m_extra(std::move(extra)) {}

  bool OnInitDialog(WindowHandle self) override {
    m_self = self;
    if (m_fill) m_fill(self);
    // Once the window is up and laid out.
    QTimer::singleShot(200, &m_context, [this] {
      QWidget* window = m_toolkit.TopLevel(m_self);
      window->activateWindow();
      QApplication::processEvents();
      ok = window->grab().save(m_path);
      std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(m_path));
      if (m_extra) m_extra(m_self);
      m_toolkit.EndDialog(m_self, kIdCancel);
    });
    return true;
  }
  bool OnCommand(const Command&) override { return true; }
  void OnWindowDestroyed() override { m_self = kNoWindow; }
  bool ok = false;

 private:
  QtToolkit& m_toolkit;
  QString m_path;
  Fill m_fill, m_extra;
  WindowHandle m_self = kNoWindow;
  QObject m_context;
};

class Pane : public DialogEvents {
 public:
  bool OnInitDialog(WindowHandle) override { return false; }
  bool OnCommand(const Command&) override { return false; }
  void OnWindowDestroyed() override {}
};

void FillMain(QtToolkit& tk, WindowHandle self) {
  tk.AppendSystemMenuItem(self, kSystemMenuAbout, LoadResourceString(kAboutMenuStringId), true);
  CConfiguratorDlg::AppendExtraSystemItems(tk, self);
  tk.SetWindowIcon(self, ApplicationIcon());
  ComboSelectByPrefix(tk, self, kTechnologyList, 0, "Vorlith Radio Control");
  ComboSelectByPrefix(tk, self, kNewBaudRateList, 0, "19200");
  tk.ComboReset(self, kChannelList);
  for (int channel = 67; channel <= 74; ++channel) {
    tk.ComboAppend(self, kChannelList, std::to_string(channel));
  }
  ComboSelectByPrefix(tk, self, kChannelList, 0, "67");
  for (const char* port : {"COM1", "COM3 (ttyUSB0)", "COM4 (ttyACM0)"}) {
    tk.ComboAppend(self, kComPortList, port);
  }
  ComboSelectByPrefix(tk, self, kComPortList, -1, "COM3");
}

// Right-clicks target at where and saves the screen under the dialog and
// its open menu together, as the user sees them.
void ShootContextMenu(QtToolkit& tk, WindowHandle self, QWidget* target, const QPoint& where,
                      const QString& path) {
  QWidget* window = tk.TopLevel(self);
  QTimer::singleShot(300, [path, window] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      const QRect area = window->frameGeometry().united(menu->geometry());
      const QPixmap shot =
          window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
      std::printf("%s %s\n", shot.save(path) ? "wrote" : "FAILED", qPrintable(path));
      menu->close();
    }
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, where, target->mapToGlobal(where));
  QApplication::sendEvent(target, &event);
}

void ShootMainContextMenu(QtToolkit& tk, WindowHandle self, const QString& path) {
  QWidget* client = tk.ClientArea(self);
  ShootContextMenu(tk, self, client, QPoint(20, client->height() - 110), path);
}

void ShootPollContextMenu(QtToolkit& tk, WindowHandle self, const QString& path) {
  auto* list = qobject_cast<QAbstractScrollArea*>(tk.ControlWidget(self, kResultList));
  if (!list) return;
  tk.ListSelect(self, kResultList, 2);
  ShootContextMenu(tk, self, list->viewport(), QPoint(60, 40), path);
}

void FillPoll(QtToolkit& tk, WindowHandle self) {
  const char* lines[] = {"Settings polled from: Server",
                         "============================================",
                         "Channel Number:            67",
                         "Packet Length:               262",
                         "System ID:                      111",
                         "Broadcast Attempts:        4",
                         "Baud Rate:                     19200",
                         "Signal Strength:               87",
                         "Firmware Revision:          214",
                         " ",
                         " ",
                         "Settings polled from: Client",
                         "============================================",
                         "Channel Number:            67",
                         "Packet Length:               262",
                         "System ID:                      111",
                         "Broadcast Attempts:        4",
                         "Baud Rate:                     19200",
                         "Signal Strength:               85",
                         "Firmware Revision:          214",
                         " ",
                         " "};
  for (const char* line : lines) tk.ListAppend(self, kResultList, line);
}

using Run = std::function<void(const DialogTemplate&, const char*, Shot::Fill, Shot::Fill)>;
using PathOf = std::function<QString(const char*)>;

void ShootInitWarnings(QtToolkit& tk, const Run& run) {
  Pane client, server;
  for (bool clientRole : {true, false}) {
    run(InitWarningDialogTemplate(), clientRole ? "init-warning-client" : "init-warning-server",
        [&, clientRole](WindowHandle h) {
          const Rect frame = tk.ControlRect(h, kPaneFrame);
          const WindowHandle c = tk.CreateChildDialog(ClientWarningPaneTemplate(), h, client);
          tk.MoveWindow(c, frame);
          tk.RaiseWindow(c);
          const WindowHandle s = tk.CreateChildDialog(ServerWarningPaneTemplate(), h, server);
          tk.MoveWindow(s, frame);
          tk.RaiseWindow(s);
          tk.ShowWindow(c, clientRole);
          tk.ShowWindow(s, !clientRole);
        },
        {});
  }
}

// A message box, and the Find Radios window with its results.
void ShootMessageBoxes(QtToolkit& tk, const Run& run, const PathOf& path) {
  run(AdvancedDialogTemplate(), "message-box", {}, [&](WindowHandle h) {
    QTimer::singleShot(200, [&] {
      QWidget* box = QApplication::activeModalWidget();
      const QString file = path("message-box");
      std::printf("%s %s\n", box && box->grab().save(file) ? "wrote" : "FAILED", qPrintable(file));
      if (box) box->close();
    });
    tk.MessageBox(h, "Retry Number has to be between 0 - 255");
  });
  // The Apply Profile window with a split pair's differences.
  run(ApplyProfileDialogTemplate(), "apply-profile",
      [&](WindowHandle h) {
        tk.SetControlText(h, kApplyProfileText,
                          "The radios differ from site3.profile. Apply writes the profile to "
                          "the radios that differ.");
        for (const char* line : {"Server  matches the profile", "Client  channel 70 -> 67",
                                 "Client  baud rate 9600 -> 19200"}) {
          tk.ListAppend(h, kApplyProfileList, line);
        }
      },
      {});
  // The Find Radios window once its scan of three ports has ended.
  run(FindRadiosDialogTemplate(), "find-radios",
      [&](WindowHandle h) {
        FindRadiosResult found;
        found.radios = {{"COM5 (ttyUSB0)", zorveth::RadioRole::Server, 9600},
                        {"COM5 (ttyUSB0)", zorveth::RadioRole::Client, 9600}};
        tk.SetControlText(h, kFindRadiosStatus, DescribeFoundRadios(found));
        for (const char* line :
             {"COM1  no answer", "COM3  busy",
              "COM5 (ttyUSB0)  Server at 9600 baud, channel 67, system ID 111; Client at 9600 "
              "baud, channel 67, system ID 111"}) {
          tk.ListAppend(h, kFindRadiosList, line);
        }
        tk.ListSelect(h, kFindRadiosList, 2);
      },
      {});
}

// The Signal Monitor while an antenna is turned: both signals rise as it
// comes round, with the noise of a real link and one lost Client sample.
void ShootSignalMonitor(QtToolkit& tk, const Run& run) {
  run(SignalMonitorDialogTemplate(), "signal-monitor",
      [&](WindowHandle h) {
        PlotSeries server{"Server 88", {}};
        PlotSeries client{"Client 81", {}};
        unsigned noise = 12345;
        auto jitter = [&noise] {
          noise = noise * 1103515245u + 12345u;
          return static_cast<double>((noise >> 16) % 7) - 3;
        };
        for (int i = 0; i < 240; ++i) {
          const double turn = 1.0 / (1.0 + std::exp(-(i - 120) / 18.0));
          server.values.push_back(std::round(58 + 30 * turn + jitter()));
          client.values.push_back(std::round(52 + 29 * turn + jitter()));
        }
        client.values[150] = std::nullopt;
        server.values.back() = 88;
        client.values.back() = 81;
        tk.SetPlotSeries(h, kSignalMonitorPlot, 0, server);
        tk.SetPlotSeries(h, kSignalMonitorPlot, 1, client);
        tk.SetControlText(h, kSignalMonitorStatus, "Sampling COM5 (ttyUSB0): 240 rounds");
        tk.SetControlText(h, kSignalMonitorServerValue, "88");
        tk.SetControlText(h, kSignalMonitorServerRange, "min 55  max 91  0 lost");
        tk.SetControlText(h, kSignalMonitorClientValue, "81");
        tk.SetControlText(h, kSignalMonitorClientRange, "min 49  max 84  1 lost");
        tk.EnableControl(h, kSignalMonitorStart, false);
      },
      {});
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(dir);
  QtToolkit tk("zorveth");
  const PathOf path = [&](const char* name) { return dir + "/" + name + ".png"; };
  bool all = true;
  const Run run = [&](const DialogTemplate& dialog, const char* name, Shot::Fill fill,
                      Shot::Fill extra) {
    Shot shot(tk, path(name), std::move(fill), std::move(extra));
    tk.RunModal(dialog, kNoWindow, shot);
    all = all && shot.ok;
  };

  run(
      MainDialogTemplate(), "main", [&](WindowHandle h) { FillMain(tk, h); },
      [&](WindowHandle h) { ShootMainContextMenu(tk, h, path("main-context-menu")); });
  run(AboutDialogTemplate(), "about", {}, {});
  run(
      PollDialogTemplate(), "poll",
      [&](WindowHandle h) {
        FillPoll(tk, h);
        CPollDlg::AddReportMenuAndKeys(tk, h);
      },
      [&](WindowHandle h) { ShootPollContextMenu(tk, h, path("poll-context-menu")); });
  run(InitRadioDialogTemplate(), "init-radio",
      [&](WindowHandle h) {
        tk.SetChecked(h, kClientRoleButton, true);
        tk.SetChecked(h, kServerRoleButton, false);
      },
      {});
  ShootInitWarnings(tk, run);
  run(AdvancedDialogTemplate(), "advanced",
      [&](WindowHandle h) {
        tk.SetControlText(h, kPacketLengthEdit, "262");
        tk.SetControlText(h, kRetryNumberEdit, "4");
        tk.SetControlText(h, kSystemIdEdit, "111");
      },
      {});
  ShootMessageBoxes(tk, run, path);
  ShootSignalMonitor(tk, run);
  return all ? 0 : 1;
}
