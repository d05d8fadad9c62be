#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "sim/pty_radio_server.h"
#include "tests/settings/temp_dir.h"

namespace zorveth::testing {

// A radio pair served on a pty and linked into a private port map as COM12,
// so the real serial port code opens it exactly as it would a device.
class SimulatedLink : public ::testing::Test {
 protected:
  static constexpr int kComNumber = 12;

  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
    portsDir = dir.path() / "config" / "zorveth" / "ports";
    std::filesystem::create_directories(portsDir);
    pair = sim::DefaultPairConfig();
  }
  void TearDown() override {
    if (server) server->Stop();
  }
  // Starts serving `pair` as it stands.
  void Serve() {
    server = std::make_unique<sim::PtyRadioServer>(pair);
    std::string error;
    ASSERT_TRUE(server->Start(&error)) << error;
    ASSERT_TRUE(server->LinkAs(portsDir, kComNumber, &error)) << error;
  }
  // Everything the tool sent at one speed (0: at any speed), in order.
  std::string ToolBytes(std::uint32_t speed = 0) const {
    std::string bytes;
    for (const auto& entry : server->Log()) {
      if (entry.fromTool && (speed == 0 || entry.speed == speed)) {
        bytes.push_back(static_cast<char>(entry.byte));
      }
    }
    return bytes;
  }

  TempDir dir;
  std::filesystem::path portsDir;
  sim::PairConfig pair;
  std::unique_ptr<sim::PtyRadioServer> server;
};

}  // namespace zorveth::testing
