// The whole program in one process, used as a user would use it: the real
// application object and dialogs on the Qt toolkit, real serial ports on a
// pty where a simulated radio pair answers, the port found through the port
// map and preselected from registry.ini. Keys go to the windows; what the
// radios heard is read back from the simulator.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/pty_radio_server.h"
#include "tests/gui/user_script.h"
#include "tests/settings/temp_dir.h"
#include "tests/support/expected_reports.h"
#include "ui/configurator_dlg.h"
#include "ui/dialog_services.h"
#include "ui/toolkit/toolkit.h"

namespace zorveth::testing {
namespace {

constexpr int kComNumber = 7;
const QString kMainTitle = "Skelvar Configurator";
const QString kPollTitle = "Poll Result Dialog";

// \r and \n spelled out, so a mismatch in the byte log reads clearly.
std::string Visible(const std::string& bytes) {
  std::string text;
  for (char c : bytes) {
    if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n";
    } else {
      text += c;
    }
  }
  return text;
}

// What the tool sent, by line speed.
std::map<std::uint32_t, std::string> ToolBytesBySpeed(const std::vector<sim::LogEntry>& log) {
  std::map<std::uint32_t, std::string> bySpeed;
  for (const sim::LogEntry& entry : log) {
    if (entry.fromTool) bySpeed[entry.speed] += Visible(std::string(1, char(entry.byte)));
  }
  return bySpeed;
}

std::vector<std::string> ListLines(const QListWidget* list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
  return lines;
}

QListWidget* ResultList() {
  QWidget* poll = VisibleWindowTitled(kPollTitle);
  return poll ? poll->findChild<QListWidget*>() : nullptr;
}

// The main dialog's only editable combo box: the channel.
QComboBox* ChannelCombo(QWidget* main) {
  for (QComboBox* combo : main->findChildren<QComboBox*>()) {
    if (combo->isEditable()) return combo;
  }
  return nullptr;
}

bool IsActive(const QString& title) {
  QWidget* window = VisibleWindowTitled(title);
  return window && QApplication::activeWindow() == window;
}

class ConfiguratorFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = getenv("XDG_CONFIG_HOME");
    if (old) m_oldConfigHome = old;
    setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
    std::filesystem::create_directories(dir.path() / "work");
    WriteFile(dir.path() / "config" / "zorveth" / "registry.ini",
              "[Software\\Pellucor\\Vorlith\\V2\\Settings]\nSerial Port = " +
                  std::to_string(kComNumber) + "\n");
  }
  void TearDown() override {
    if (radios) radios->Stop();
    if (m_oldConfigHome.empty()) {
      unsetenv("XDG_CONFIG_HOME");
    } else {
      setenv("XDG_CONFIG_HOME", m_oldConfigHome.c_str(), 1);
    }
  }
  void Serve(const sim::PairConfig& pair) {
    radios = std::make_unique<sim::PtyRadioServer>(pair);
    std::string error;
    ASSERT_TRUE(radios->Start(&error)) << error;
    ASSERT_TRUE(radios->LinkAs(dir.path() / "config" / "zorveth" / "ports", kComNumber, &error))
        << error;
  }
  // The program as main() runs it, named as it would be installed.
  void RunProgram() {
    WorkingDirectory inWork(dir.path() / "work");
    std::string program = "/usr/local/bin/zorveth";
    char* argv[] = {program.data(), nullptr};
    int argc = 1;
    std::unique_ptr<ui::Toolkit> toolkit = ui::CreatePlatformToolkit(argc, argv);
    ASSERT_NE(toolkit, nullptr);
    std::unique_ptr<ui::DialogServices> services = ui::MakeSystemServices(*toolkit);
    ui::CConfiguratorApp app(*services);
    script.Start();
    app.Run();
  }

  TempDir dir;
  std::unique_ptr<sim::PtyRadioServer> radios;
  UserScript script;

  // What the script saw while the program ran.
  struct Seen {
    bool pollButtonGreyed = false;
    bool waitCursor = false;
    bool expectingMessage = false;
    QString caption;
    QString message;
    int messageButtons = 0;
  };

  void WatchTheOperations() {
    // Things that can only be seen while the poll runs.
    script.Watch([&] {
      QPushButton* pollBoth =
          ButtonLabelled(VisibleWindowTitled(kPollTitle), "&Poll For Client and Server");
      if (pollBoth && !pollBoth->isEnabled()) seen.pollButtonGreyed = true;
      if (pollBoth && OperationRunning()) seen.waitCursor = true;
    });
    // Any message box the script does not expect is a failure in itself.
    script.Watch([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box && !seen.expectingMessage)
        script.Abort("unexpected message \"" + box->text().toStdString() + "\"");
    });
  }

  // From the main dialog: poll both, check both reports, clear them and
  // close the poll dialog.
  void ScriptPollBoth() {
    script.Then(
        "the main dialog, active, with COM7 chosen",
        [] {
          QWidget* main = VisibleWindowTitled(kMainTitle);
          return main && IsActive(kMainTitle) && QApplication::activeModalWidget() == main;
        },
        [] {
          QWidget* main = VisibleWindowTitled(kMainTitle);
          bool portShown = false;
          for (QComboBox* combo : main->findChildren<QComboBox*>()) {
            if (combo->currentText().startsWith("COM" + QString::number(kComNumber)))
              portShown = true;
          }
          EXPECT_TRUE(portShown) << "the saved port is not preselected";
          EXPECT_EQ(ChannelCombo(main)->currentText(), "67");
          PressKey(main, Qt::Key_P, Qt::AltModifier);  // &Poll Information
        });

    script.Then(
        "the poll dialog, active", [] { return IsActive(kPollTitle) && ResultList() != nullptr; },
        [this] {
          EXPECT_EQ(ResultList()->count(), 0) << "the poll dialog opens with an empty list";
          EXPECT_TRUE(radios->Log().empty())
              << "opening the poll dialog must not talk to the radios";
          PressKey(VisibleWindowTitled(kPollTitle), Qt::Key_P, Qt::AltModifier);
        });

    script.Then(
        "22 report lines and the poll button enabled again",
        [] {
          QWidget* poll = VisibleWindowTitled(kPollTitle);
          QPushButton* pollBoth = ButtonLabelled(poll, "&Poll For Client and Server");
          return ResultList() && ResultList()->count() >= 22 && pollBoth && pollBoth->isEnabled() &&
                 !OperationRunning();
        },
        [&] {
          ExpectBothReportsAndTheirBytes();
          radios->ClearLog();
          PressKey(VisibleWindowTitled(kPollTitle), Qt::Key_L,
                   Qt::AltModifier);  // C&lear Information
        });

    script.Then(
        "the list emptied", [] { return ResultList() && ResultList()->count() == 0; },
        [this] {
          EXPECT_TRUE(radios->Log().empty()) << "clearing the list must not talk to the radios";
          PressKey(VisibleWindowTitled(kPollTitle), Qt::Key_Escape);
        });

    script.Then(
        "the poll dialog closed",
        [] {
          return !VisibleWindowTitled(kPollTitle) &&
                 QApplication::activeModalWidget() == VisibleWindowTitled(kMainTitle);
        },
        // Without a window manager nothing hands the activation back to the
        // owner of a closed dialog; the user clicks the main window.
        [] { VisibleWindowTitled(kMainTitle)->activateWindow(); });

    script.Then(
        "the main dialog active again", [] { return IsActive(kMainTitle); },
        [] {
          // The channel list is editable; type one over the selection.
          QLineEdit* edit = ChannelCombo(VisibleWindowTitled(kMainTitle))->lineEdit();
          QTest::mouseClick(edit, Qt::LeftButton);
          QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
          QTest::keyClicks(edit, "70");
        });

    script.Then(
        "the channel reading 70",
        [] { return ChannelCombo(VisibleWindowTitled(kMainTitle))->currentText() == "70"; },
        [&] {
          seen.expectingMessage = true;
          PressKey(VisibleWindowTitled(kMainTitle), Qt::Key_C, Qt::AltModifier);  // &Configure
        });
  }

  void ExpectBothReportsAndTheirBytes() {
    // The Client's report differs from the Server's in its role, signal and
    // revision.
    std::vector<std::string> expected = kServerReportAt9600;
    std::vector<std::string> client = kServerReportAt9600;
    client[0] = "Settings polled from: Client";
    client[7] = "Signal Strength:               64";
    client[8] = "Firmware Revision:          205";
    expected.insert(expected.end(), client.begin(), client.end());
    EXPECT_EQ(ListLines(ResultList()), expected);
    EXPECT_TRUE(seen.pollButtonGreyed) << "the poll button stayed enabled during the poll";
    EXPECT_TRUE(seen.waitCursor) << "no wait cursor during the poll";

    // The Server is probed once at each speed above its own; the Client
    // is asked only at the Server's speed. Both radios sit at 9600, so
    // they heard every byte sent there and nothing sent elsewhere.
    const std::string queries = "ATC\\rATFP\\rATM\\rATID\\rATBA\\rATS\\rATREV\\rATE\\r";
    const std::map<std::uint32_t, std::string> expectedBytes = {
        {38400, "+S\\r"},
        {19200, "+S\\r"},
        {9600, "+S\\r" + queries + "+C\\r" + queries},
    };
    const std::vector<sim::LogEntry> log = radios->Log();
    EXPECT_EQ(ToolBytesBySpeed(log), expectedBytes);
    for (const sim::LogEntry& entry : log) {
      if (!entry.fromTool) continue;
      const int expectedHearers =
          entry.speed == 9600 ? (sim::kServerSlotBit | sim::kClientSlotBit) : 0;
      EXPECT_EQ(entry.heardBy, expectedHearers) << "byte at " << entry.speed;
    }
  }

  // Back in the main dialog: type channel 70 and configure.
  void ScriptConfigureTypedChannel() {
    script.Then(
        "the Configure message",
        [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
        [&] {
          auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
          seen.caption = box->windowTitle();
          seen.message = box->text();
          seen.messageButtons = static_cast<int>(box->buttons().size());
          PressKey(box, Qt::Key_Return);
        });

    script.Then(
        "the message gone and the main dialog idle",
        [] {
          QPushButton* configure = ButtonLabelled(VisibleWindowTitled(kMainTitle), "&Configure");
          return QApplication::activeModalWidget() == VisibleWindowTitled(kMainTitle) &&
                 configure && configure->isEnabled() && !OperationRunning();
        },
        [&] {
          seen.expectingMessage = false;
          PressKey(VisibleWindowTitled(kMainTitle), Qt::Key_Escape);  // ends the program
        });
  }

  Seen seen;

 private:
  std::string m_oldConfigHome;
};

// Both radios at 9600 baud: the poll has to probe down to them, and
// Configure finds the Client only after two silent speeds.
TEST_F(ConfiguratorFlow, PollBothClearThenConfigureATypedChannel) {
  sim::PairConfig pair = sim::DefaultPairConfig();
  pair.server.speed = 9600;
  pair.client.speed = 9600;
  pair.client.signalStrength = 64;  // tells the two reports apart
  pair.client.firmwareRevision = 205;
  ASSERT_NO_FATAL_FAILURE(Serve(pair));
  WatchTheOperations();
  ScriptPollBoth();
  ScriptConfigureTypedChannel();
  RunProgram();

  ASSERT_TRUE(script.Completed()) << script.Failure();
  EXPECT_EQ(seen.caption.toStdString(), "zorveth");
  EXPECT_EQ(seen.message.toStdString(), "Configuration is Set");
  EXPECT_EQ(seen.messageButtons, 1);

  // The Client is found at 9600 after one silent escape at each faster
  // speed, takes the line, leaves command mode, and then the Server gets the
  // same line at the same speed.
  const std::string line = "ATC70FP262ID111BA4BR19200\\r";
  const std::map<std::uint32_t, std::string> expectedBytes = {
      {38400, "+C\\r"},
      {19200, "+C\\r"},
      {9600, "+C\\r" + line + "ATE\\r+S\\r" + line + "ATE\\r"},
  };
  EXPECT_EQ(ToolBytesBySpeed(radios->Log()), expectedBytes);
  EXPECT_NE(radios->HeardBy(sim::kClientSlot).find("ATC70FP262ID111BA4BR19200\r"),
            std::string::npos);
  for (int slot : {sim::kServerSlot, sim::kClientSlot}) {
    const sim::RadioConfig radio = radios->Radio(slot);
    EXPECT_EQ(radio.channel, 70) << "slot " << slot;
    EXPECT_EQ(radio.speed, 19200u) << "slot " << slot;
    EXPECT_EQ(radio.packetLength, 262) << "slot " << slot;
    EXPECT_EQ(radio.systemId, 111) << "slot " << slot;
    EXPECT_EQ(radio.broadcastAttempts, 4) << "slot " << slot;
  }
}

}  // namespace
}  // namespace zorveth::testing
