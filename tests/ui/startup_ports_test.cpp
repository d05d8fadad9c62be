#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/settings/temp_dir.h"
#include "ui/configurator_dlg.h"
#include "ui/templates/templates.h"
#include "ui/toolkit/headless/headless_dialog.h"
#include "ui/toolkit/headless/headless_toolkit.h"

// Start-up against the real port discovery and settings file: the COM port
// map and registry.ini live in a temporary XDG_CONFIG_HOME, the ports are
// ptys, and the program runs in a temporary working directory.

namespace zorveth::ui {
namespace {

using zorveth::testing::TempDir;
using zorveth::testing::WorkingDirectory;
using zorveth::testing::WriteFile;

class Pty {
 public:
  Pty() : m_master(posix_openpt(O_RDWR | O_NOCTTY)) {
    if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
      m_slave = ptsname(m_master);
    }
  }
  ~Pty() {
    if (m_master >= 0) close(m_master);
  }
  const std::string& Slave() const { return m_slave; }

 private:
  int m_master;
  std::string m_slave;
};

class StartupPortsTest : public ::testing::Test {
 protected:
  StartupPortsTest() : m_cwd(work.path()) {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_oldConfig = old;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  }
  ~StartupPortsTest() override {
    if (m_oldConfig) {
      setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
  }
  void LinkPort(int number, const Pty& pty) {
    std::filesystem::create_directories(config.path() / "zorveth" / "ports");
    std::filesystem::create_symlink(
        pty.Slave(), config.path() / "zorveth" / "ports" / ("COM" + std::to_string(number)));
  }
  void SavePort(int number) {
    WriteFile(config.path() / "zorveth" / "registry.ini",
              "[Software\\Pellucor\\Vorlith\\V2\\Settings]\nSerial Port = " +
                  std::to_string(number) + "\n");
  }
  // Runs the program's dialog with the real services; script sees it.
  void Run(headless::HeadlessToolkit::DialogScript script) {
    toolkit.OnDialog(kMainDialogId, std::move(script));
    auto services = MakeSystemServices(toolkit);
    CConfiguratorApp(*services).Run();
  }

  TempDir config;
  TempDir work;
  headless::HeadlessToolkit toolkit;

 private:
  WorkingDirectory m_cwd;
  std::optional<std::string> m_oldConfig;
};

int IndexStartingWith(const std::vector<std::string>& entries, const std::string& prefix) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
  }
  return -1;
}

TEST_F(StartupPortsTest, TheSavedPortIsSelectedAndTheSettingsFileAppears) {
  Pty first, second;
  ASSERT_FALSE(first.Slave().empty());
  LinkPort(31, first);
  LinkPort(35, second);
  SavePort(35);
  Run([&](headless::HeadlessDialog& main) {
    const auto entries = main.Entries(kComPortList);
    ASSERT_GE(IndexStartingWith(entries, "COM31"), 0);
    EXPECT_EQ(main.Selection(kComPortList), IndexStartingWith(entries, "COM35"));
    EXPECT_TRUE(main.Enabled());
    EXPECT_EQ(main.Text(kChannelList), "67");
  });
  EXPECT_TRUE(std::filesystem::exists(work.path() / "SkelvarRadio.ini"));
}

TEST_F(StartupPortsTest, WithoutASavedPortTheFirstIsSelected) {
  Pty pty;
  ASSERT_FALSE(pty.Slave().empty());
  LinkPort(32, pty);
  Run([&](headless::HeadlessDialog& main) {
    EXPECT_GE(IndexStartingWith(main.Entries(kComPortList), "COM32"), 0);
    EXPECT_EQ(main.Selection(kComPortList), 0);
  });
}

}  // namespace
}  // namespace zorveth::ui
