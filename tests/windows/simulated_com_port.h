#pragma once

// A simulated radio pair served by the Linux radio-sim on a pty that Wine
// maps as a COM port, so the Win32 serial port opens it as it would a real
// device.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/windows/wine_paths.h"

namespace zorveth::testing {

class SimulatedComPort : public ::testing::Test {
 protected:
  // Each test program has its own COM number so programs may run side by
  // side; the tests of one program share it (CTest runs them one at a time).
  static constexpr int kComNumber = ZORVETH_TEST_COM_NUMBER;
  static constexpr unsigned kServerSlot = 1;
  static constexpr unsigned kClientSlot = 2;

  void TearDown() override {
    if (m_serving) Stop();
  }

  // Starts radio-sim with these options (as separate words, no quoting).
  void Serve(const std::vector<std::string>& options = {}) {
    std::string lines;
    for (const auto& option : options) lines += option + "\n";
    WriteWholeFile(dir.Path() / "options", lines);
    RunHelper("start", std::string(" \"") + ZORVETH_HOST_RADIO_SIM + "\"");
    ASSERT_TRUE(WaitForFile("ready")) << ReadWholeFile(dir.Path() / "failed");
    m_serving = true;
  }

  // Stops the simulator; afterwards State() holds the radios' final settings.
  void Stop() {
    m_serving = false;
    RunHelper("stop", "");
    ASSERT_TRUE(WaitForFile("stopped"));
  }

  // The byte log so far, one entry per byte.
  struct LineByte {
    std::string direction;  // in, out, lost
    unsigned speed = 0;
    unsigned heardBy = 0;
    unsigned char byte = 0;
  };
  std::vector<LineByte> Log() const {
    std::vector<LineByte> entries;
    std::istringstream lines(ReadWholeFile(dir.Path() / "line.log"));
    std::string line;
    while (std::getline(lines, line)) {
      std::istringstream fields(line);
      std::string time, hex;
      LineByte entry;
      if (fields >> time >> entry.direction >> entry.speed >> entry.heardBy >> hex) {
        entry.byte = static_cast<unsigned char>(std::stoul(hex, nullptr, 16));
        entries.push_back(entry);
      }
    }
    return entries;
  }
  // What one radio (slot) heard of the tool's bytes.
  std::string HeardBy(unsigned slot) const {
    std::string bytes;
    for (const auto& entry : Log()) {
      if (entry.direction == "in" && (entry.heardBy & slot))
        bytes.push_back(static_cast<char>(entry.byte));
    }
    return bytes;
  }
  // Everything the tool sent at one speed (0: at any speed).
  std::string ToolBytes(unsigned speed = 0) const {
    std::string bytes;
    for (const auto& entry : Log()) {
      if (entry.direction == "in" && (speed == 0 || entry.speed == speed)) {
        bytes.push_back(static_cast<char>(entry.byte));
      }
    }
    return bytes;
  }
  std::size_t RadioBytesSent() const {
    std::size_t count = 0;
    for (const auto& entry : Log()) count += entry.direction == "out";
    return count;
  }
  // "server.role" -> "server" and so on, once stopped.
  std::map<std::string, std::string> State() const {
    std::map<std::string, std::string> state;
    std::istringstream lines(ReadWholeFile(dir.Path() / "state"));
    std::string key, equals, value;
    while (lines >> key >> equals >> value) state[key] = value;
    return state;
  }

  ScratchDir dir;

 private:
  // Starts the helper as a Unix process (Wine runs ELF programs directly);
  // its end cannot be waited for from here, hence the marker files.
  void RunHelper(const std::string& action, const std::string& extra) {
    // Windows quoting: Wine splits the line into the Unix argv.
    std::string command = std::string("/bin/sh \"") + ZORVETH_WINE_TEST_SCRIPTS + "/com-sim\" " +
                          action + " \"" + dir.UnixPath() + "\" " + std::to_string(kComNumber) +
                          extra;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << command << ": error " << GetLastError();
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
  }
  // Generous: only a broken helper takes anywhere near this long.
  bool WaitForFile(const std::string& name) {
    for (int i = 0; i < 600; ++i) {
      if (std::filesystem::exists(dir.Path() / name)) return true;
      if (std::filesystem::exists(dir.Path() / "failed")) return false;
      Sleep(50);
    }
    return false;
  }

  bool m_serving = false;
};

}  // namespace zorveth::testing
