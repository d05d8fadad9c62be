#include "platform/port_map.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "tests/settings/temp_dir.h"

namespace zorveth {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteFile;

// A fake machine: sys/class/tty entries, device files under dev/ and the
// port links under config/ports/.
struct FakeMachine {
  TempDir dir;
  PortMapRoots roots{dir.path() / "config", dir.path() / "dev", dir.path() / "sys"};

  // A tty class entry; hardware gets a device entry and a device file.
  void AddTty(const std::string& name, bool hardware = true,
              std::optional<std::string> type = std::nullopt) {
    fs::create_directories(roots.sysClassTty / name);
    if (hardware) {
      fs::create_directories(roots.sysClassTty / name / "device");
      WriteFile(roots.devDir / name, "");
    }
    if (type) WriteFile(roots.sysClassTty / name / "type", *type + "\n");
  }
  void Link(const std::string& name, const fs::path& target) {
    fs::create_directories(roots.configDir / "ports");
    fs::create_symlink(target, roots.configDir / "ports" / name);
  }
  std::vector<std::string> Labels() const {
    std::vector<std::string> labels;
    for (const auto& port : ReadPortMap(roots)) labels.push_back(port.label);
    return labels;
  }
};

using Labels = std::vector<std::string>;

TEST(PortMap, NumbersDevicesAutomaticallyInWineOrder) {
  FakeMachine machine;
  for (const char* name : {"ttyUSB10", "ttyACM0", "ttyUSB2", "rfcomm0", "ttymxc1", "ttyAMA0"}) {
    machine.AddTty(name);
  }
  machine.AddTty("ttyS0", true, "4");
  machine.AddTty("ttyS1", true, "0");  // no UART behind it
  machine.AddTty("tty1");              // a virtual console, even with a device entry
  machine.AddTty("tty0", false);
  machine.AddTty("ptmx", false);
  machine.AddTty("ttyS2", false, "4");  // no device entry: not hardware
  fs::create_directories(machine.roots.sysClassTty / "ttyUSB3" / "device");  // no device file
  EXPECT_EQ(machine.Labels(),
            (Labels{"COM1 (ttyS0)", "COM2 (ttyUSB2)", "COM3 (ttyUSB10)", "COM4 (ttyACM0)",
                    "COM5 (ttyAMA0)", "COM6 (rfcomm0)", "COM7 (ttymxc1)"}));
}

TEST(PortMap, LoneUsbAdapterIsCom1) {
  FakeMachine machine;
  machine.AddTty("ttyUSB0");
  auto ports = ReadPortMap(machine.roots);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].label, "COM1 (ttyUSB0)");
  EXPECT_EQ(ports[0].device, machine.roots.devDir / "ttyUSB0");
  EXPECT_EQ(ResolveComPort(1, machine.roots), machine.roots.devDir / "ttyUSB0");
  EXPECT_EQ(ResolveComPort(2, machine.roots), std::nullopt);
}

TEST(PortMap, LinksWinAndReserveTheirNumbers) {
  FakeMachine machine;
  machine.AddTty("ttyS0", true, "4");
  machine.AddTty("ttyUSB0");
  machine.AddTty("ttyUSB1");
  machine.Link("COM1", machine.roots.devDir / "ttyUSB1");  // not numbered a second time
  machine.Link("COM2", machine.dir.path() / "unplugged");  // broken: reserved, not listed
  machine.Link("COM33", "../../dev/ttyUSB0");              // relative links resolve too
  machine.Link("COM0", machine.roots.devDir / "ttyS0");    // not a COM name: ignored
  machine.Link("COMx", machine.roots.devDir / "ttyS0");
  machine.Link("COM07", machine.roots.devDir / "ttyS0");
  EXPECT_EQ(machine.Labels(), (Labels{"COM1 (ttyUSB1)", "COM3 (ttyS0)", "COM33 (ttyUSB0)"}));
  EXPECT_EQ(ResolveComPort(2, machine.roots), std::nullopt);
  EXPECT_EQ(ResolveComPort(33, machine.roots), fs::canonical(machine.roots.devDir / "ttyUSB0"));
}

TEST(PortMap, LinksToRealPtysShowTheirPathUnderDev) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  fs::path slave = ptsname(master);
  FakeMachine machine;
  machine.roots.devDir = "/dev";
  machine.Link("COM5", slave);
  auto ports = ReadPortMap(machine.roots);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].label, "COM5 (" + slave.lexically_relative("/dev").string() + ")");
  EXPECT_EQ(ResolveComPort(5, machine.roots), slave);
  close(master);
}

}  // namespace
}  // namespace zorveth
