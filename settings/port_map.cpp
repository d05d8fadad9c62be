#include "settings/port_map.h"

#include <cstdlib>
#include <system_error>

namespace zorveth {

namespace fs = std::filesystem;

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
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(roots.configDir / "ports", ec)) {
    std::string name = entry.path().filename().string();
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0) continue;
    int number = std::atoi(name.c_str() + 3);
    if (number <= 0) continue;
    fs::path target = fs::canonical(entry.path(), ec);
    if (ec) continue;
    ports.push_back({number, target, name + " (" + target.lexically_relative(roots.devDir).string() + ")"});
  }
  return ports;
}

std::optional<fs::path> ResolveComPort(int number, const PortMapRoots& roots) {
  for (const auto& port : ReadPortMap(roots)) {
    if (port.number == number) return port.device;
  }
  return std::nullopt;
}

std::optional<fs::path> ResolveComPort(int number) {
  return ResolveComPort(number, DefaultPortMapRoots());
}

}  // namespace zorveth
