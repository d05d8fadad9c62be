#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "text/port_names.h"

namespace zorveth {

// Where the port map looks. Tests point these at a fake tree.
struct PortMapRoots {
  // ${XDG_CONFIG_HOME:-$HOME/.config}/zorveth; the links live in its ports/.
  std::filesystem::path configDir;
  std::filesystem::path devDir = "/dev";
  std::filesystem::path sysClassTty = "/sys/class/tty";
};

PortMapRoots DefaultPortMapRoots();

// A link in the port map may name a port on a device server:
// ports/COM20 -> rfc2217://10.0.0.5:4001 (kNetworkPortScheme).

// One serial device under its COM number.
struct MappedPort {
  int number = 0;
  std::filesystem::path device;  // the device file, e.g. /dev/ttyUSB0, or the
                                 // network address a link names
  std::string label;             // "COM33 (ttyUSB0)": starts with COM<n>
};

// The machine's serial ports ordered by COM number: links
// ports/COM<n> -> device first, then real devices without a link numbered
// automatically (see port_map.cpp for the rule). Broken links are skipped.
std::vector<MappedPort> ReadPortMap(const PortMapRoots& roots);

// The device of COM<number>, if the map has one.
std::optional<std::filesystem::path> ResolveComPort(int number, const PortMapRoots& roots);
std::optional<std::filesystem::path> ResolveComPort(int number);

// The target a link ports/COM<number> names when nothing is there (an
// adapter unplugged since the link was made), so that a failed open can
// name it; nullopt when there is no such broken link.
std::optional<std::filesystem::path> MissingLinkTarget(int number, const PortMapRoots& roots);
std::optional<std::filesystem::path> MissingLinkTarget(int number);

}  // namespace zorveth
