#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_radio.h"
#include "ui/configurator_dlg.h"
#include "ui/dialog_services.h"
#include "ui/templates/templates.h"
#include "ui/toolkit/headless/headless_dialog.h"
#include "ui/toolkit/headless/headless_toolkit.h"

namespace zorveth::ui::testing {

using headless::HeadlessDialog;
using headless::HeadlessToolkit;
using zorveth::testing::FakeClock;
using zorveth::testing::FakeRadio;
using zorveth::testing::FakeSerialPort;
using Lines = std::vector<std::string>;

// The application on the headless toolkit, with every port a fake one on a
// fake clock, wired to a Server and a Client radio, and the port list and
// settings file in memory.
class DialogTest : public ::testing::Test {
 protected:
  DialogTest() : services(toolkit) {
    client.escape = "+C\r";
    client.registers["M"] = "2";
    services.clock = &clock;
    services.createPort = [this](const std::string&) {
      auto port = std::make_unique<RecordedPort>(clock, *this);
      zorveth::testing::ConnectRadios(*port, {&server, &client});
      ++portsMade;
      return port;
    };
    services.listSerialPorts = [this](PortListBox& list) {
      for (const auto& name : portNames) list.AppendEntry(name);
      return static_cast<int>(portNames.size());
    };
    services.selectSavedPort = [this](PortListBox& list) {
      if (!list.SelectByPrefix(-1, savedPort)) list.SelectIndex(0);
    };
    services.loadSettings = [this] { return storedSettings; };
    services.saveSettings = [this](const AdvancedSettings& settings) {
      ++saves;
      if (!saveWorks) return false;
      storedSettings = settings;
      return true;
    };
  }

  // Runs the application; script acts on the main dialog.
  void RunApp(HeadlessToolkit::DialogScript script) {
    toolkit.OnDialog(kMainDialogId, std::move(script));
    EXPECT_EQ(CConfiguratorApp(services).Run(), 0);
  }

  // A fake port that, like a real one, cannot open COM0, logs the port
  // numbers it opens and, when its dialog lets go of it, leaves what was
  // written on it in the test's log.
  class RecordedPort : public FakeSerialPort {
   public:
    RecordedPort(FakeClock& fakeClock, DialogTest& test)
        : FakeSerialPort(fakeClock), m_test(test) {}
    ~RecordedPort() override { m_test.written += Written(); }
    std::int16_t Open() override {
      if (PortNumber() <= 0) return kPortOpenFailed;
      m_test.openedPorts.push_back(PortNumber());
      return FakeSerialPort::Open();
    }

   private:
    DialogTest& m_test;
  };

  static Lines Entries(const HeadlessDialog& dialog, int id) { return dialog.Entries(id); }

  HeadlessToolkit toolkit;
  DialogServices services;
  FakeClock clock;
  FakeRadio server;
  FakeRadio client;
  std::string written;  // by ports the dialogs have discarded
  int portsMade = 0;
  std::vector<int> openedPorts;
  Lines portNames = {"COM1", "COM3"};
  std::string savedPort = "COM3";
  AdvancedSettings storedSettings;
  bool saveWorks = true;
  int saves = 0;
};

}  // namespace zorveth::ui::testing
