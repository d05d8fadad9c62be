// The COM port map of a POSIX system.
//
// Ports are named COM<n> everywhere in the tool. The user can name them with
// symbolic links <configDir>/ports/COM<n> -> /dev/..., and those always win:
// their numbers are reserved and their devices are not numbered again. Every
// other real serial device gets a number by the rule Wine uses for its
// dosdevices: walk ttyS0.., ttyUSB0.., ttyACM0.., ttyAMA0.., rfcomm0.., then
// the remaining serial devices, each taking the lowest free number from
// COM1. A laptop with one USB adapter and no UART thus has its adapter on
// COM1, and the numbers do not change between runs as long as the hardware
// does not.
#include "platform/port_map.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>
#include <system_error>
#include <tuple>

#include "text/text_compare.h"

namespace zorveth {

namespace fs = std::filesystem;

namespace {

// The number n of a link named COM<n>: digits only, no leading zero, n > 0.
std::optional<int> LinkNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 12 || name.compare(0, 3, "COM") != 0) return std::nullopt;
  if (name[3] == '0') return std::nullopt;
  int number = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

// A serial device of the tty class, in the order automatic numbers are given.
struct SerialDevice {
  int group = 0;
  std::string prefix;  // the name without its number, "ttyUSB"
  long number = 0;     // ttyUSB10 -> 10, so ttyUSB2 sorts before it
  std::string name;
};

bool operator<(const SerialDevice& a, const SerialDevice& b) {
  return std::tie(a.group, a.prefix, a.number) < std::tie(b.group, b.prefix, b.number);
}

// Which tty class names are serial ports. Only names ending in a number
// count; "tty" followed directly by digits is a virtual console, and ptys
// and ptmx never have a device entry in the first place.
std::optional<SerialDevice> ClassifyTtyName(const std::string& name) {
  std::size_t digits = name.find_last_not_of("0123456789") + 1;
  if (digits == 0 || digits == name.size() || name.size() - digits > 9) return std::nullopt;
  SerialDevice device;
  device.prefix = name.substr(0, digits);
  device.number = std::strtol(name.c_str() + digits, nullptr, 10);
  device.name = name;
  static const char* const kKnownOrder[] = {"ttyS", "ttyUSB", "ttyACM", "ttyAMA", "rfcomm"};
  for (int i = 0; i < 5; ++i) {
    if (device.prefix == kKnownOrder[i]) {
      device.group = i;
      return device;
    }
  }
  // Other drivers' ports: ttymxc0, ttyXRUSB0, ttyTHS1, ...
  if (device.prefix.size() <= 3 || device.prefix.compare(0, 3, "tty") != 0) return std::nullopt;
  for (std::size_t i = 3; i < device.prefix.size(); ++i) {
    char c = device.prefix[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return std::nullopt;
  }
  device.group = 5;
  return device;
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// The kernel creates ttyS0..ttyS<n> whether or not a UART answers at each
// address; the ones without have the port type PORT_UNKNOWN (0). The type
// is read from sysfs; only when sysfs does not offer it is the device asked
// itself, as opening a port can change its modem lines.
bool IsPhantomPort(const fs::path& classEntry, const fs::path& deviceFile, bool isTtyS) {
  std::ifstream typeFile(classEntry / "type");
  if (typeFile) {
    long type = 0;
    if (typeFile >> type) return type == PORT_UNKNOWN;
    return false;
  }
  if (!isTtyS) return false;
  int fd = ::open(deviceFile.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == EIO || errno == ENXIO || errno == ENODEV;
  struct serial_struct serial {};
  bool phantom = ::ioctl(fd, TIOCGSERIAL, &serial) == 0 && serial.type == PORT_UNKNOWN;
  ::close(fd);
  return phantom;
}

std::vector<SerialDevice> RealSerialDevices(const PortMapRoots& roots) {
  std::vector<SerialDevice> devices;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(roots.sysClassTty, ec)) {
    auto device = ClassifyTtyName(entry.path().filename().string());
    if (!device) continue;
    // Real hardware has a device entry; virtual terminals do not.
    if (!Exists(entry.path() / "device")) continue;
    fs::path deviceFile = roots.devDir / device->name;
    if (!Exists(deviceFile)) continue;
    if (IsPhantomPort(entry.path(), deviceFile, device->group == 0)) continue;
    devices.push_back(*device);
  }
  std::sort(devices.begin(), devices.end());
  return devices;
}

std::string Label(int number, const fs::path& device, const fs::path& devRoot) {
  fs::path relative = device.lexically_relative(devRoot);
  std::string shown =
      relative.empty() || *relative.begin() == ".." ? device.string() : relative.string();
  return "COM" + std::to_string(number) + " (" + shown + ")";
}

fs::path CanonicalOrSelf(const fs::path& path) {
  std::error_code ec;
  fs::path canonical = fs::canonical(path, ec);
  return ec ? path : canonical;
}

// A link whose target is a network address ("rfc2217://HOST:PORT") names a
// port on a device server; the target is kept as written.
std::optional<std::string> NetworkTarget(const fs::path& link) {
  std::error_code ec;
  const std::string target = fs::read_symlink(link, ec).string();
  if (ec || !StartsWithIgnoringCase(target, kNetworkPortScheme)) return std::nullopt;
  return target;
}

// The device a link leads to (or its network address), or nothing when the
// link is broken or leads to a directory.
std::optional<fs::path> LinkTarget(const fs::path& link) {
  std::error_code ec;
  if (!fs::is_symlink(link, ec)) return std::nullopt;
  if (auto address = NetworkTarget(link)) return fs::path(*address);
  fs::path target = fs::canonical(link, ec);
  if (ec || fs::is_directory(target, ec)) return std::nullopt;
  return target;
}

}  // namespace

PortMapRoots DefaultPortMapRoots() {
  PortMapRoots roots;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  fs::path base;
  if (xdg != nullptr && *xdg != '\0') {
    base = xdg;
  } else if (home != nullptr && *home != '\0') {
    base = fs::path(home) / ".config";
  } else {
    base = ".config";
  }
  roots.configDir = base / "zorveth";
  return roots;
}

std::vector<MappedPort> ReadPortMap(const PortMapRoots& roots) {
  std::vector<MappedPort> ports;
  const fs::path devRoot = CanonicalOrSelf(roots.devDir);
  // A link's number stays reserved even while its device is missing (an
  // unplugged adapter): the number the user chose must not move to another
  // device and address the wrong radio.
  std::set<int> taken;
  std::set<fs::path> linked;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(roots.configDir / "ports", ec)) {
    auto number = LinkNumber(entry.path().filename().string());
    if (!number || !entry.is_symlink(ec)) continue;
    taken.insert(*number);
    auto target = LinkTarget(entry.path());
    if (!target) continue;
    if (NetworkTarget(entry.path())) {
      ports.push_back(
          {*number, *target, "COM" + std::to_string(*number) + " (" + target->string() + ")"});
      continue;
    }
    linked.insert(*target);
    ports.push_back({*number, *target, Label(*number, *target, devRoot)});
  }

  int next = 1;
  for (const auto& device : RealSerialDevices(roots)) {
    fs::path deviceFile = roots.devDir / device.name;
    if (linked.count(CanonicalOrSelf(deviceFile)) != 0) continue;
    while (taken.count(next) != 0) ++next;
    taken.insert(next);
    ports.push_back({next, deviceFile, "COM" + std::to_string(next) + " (" + device.name + ")"});
  }

  std::stable_sort(ports.begin(), ports.end(),
                   [](const MappedPort& a, const MappedPort& b) { return a.number < b.number; });
  return ports;
}

std::optional<fs::path> ResolveComPort(int number, const PortMapRoots& roots) {
  if (number <= 0) return std::nullopt;
  // A link decides on its own; only without one is the whole map needed.
  fs::path link = roots.configDir / "ports" / ("COM" + std::to_string(number));
  std::error_code ec;
  if (fs::is_symlink(link, ec)) return LinkTarget(link);
  for (const auto& port : ReadPortMap(roots)) {
    if (port.number == number) return port.device;
  }
  return std::nullopt;
}

std::optional<fs::path> ResolveComPort(int number) {
  return ResolveComPort(number, DefaultPortMapRoots());
}

std::optional<fs::path> MissingLinkTarget(int number, const PortMapRoots& roots) {
  if (number <= 0) return std::nullopt;
  const fs::path link = roots.configDir / "ports" / ("COM" + std::to_string(number));
  std::error_code ec;
  if (!fs::is_symlink(link, ec) || fs::exists(link, ec) || NetworkTarget(link)) return std::nullopt;
  fs::path target = fs::read_symlink(link, ec);
  if (ec) return std::nullopt;
  return target.is_absolute() ? target : link.parent_path() / target;
}

std::optional<fs::path> MissingLinkTarget(int number) {
  return MissingLinkTarget(number, DefaultPortMapRoots());
}

}  // namespace zorveth
