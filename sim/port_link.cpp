#include "sim/port_link.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace zorveth::sim {

namespace fs = std::filesystem;

fs::path DefaultPortsDir() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  fs::path base;
  if (configHome != nullptr && fs::path(configHome).is_absolute()) {
    base = configHome;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = fs::path(home) / ".config";
  } else {
    return {};
  }
  return base / "zorveth" / "ports";
}

std::optional<fs::path> CreatePortLink(const fs::path& portsDir, int number,
                                       const std::string& target, std::string* error) {
  auto fail = [error](const std::string& message) -> std::optional<fs::path> {
    if (error != nullptr) *error = message;
    return std::nullopt;
  };
  if (number < 1) return fail("COM number must be 1 or more, not " + std::to_string(number));
  std::error_code ec;
  fs::create_directories(portsDir, ec);
  if (ec) return fail("cannot create " + portsDir.string() + ": " + ec.message());

  fs::path link = portsDir / ("COM" + std::to_string(number));
  fs::file_status status = fs::symlink_status(link, ec);
  if (fs::exists(status) && !fs::is_symlink(status)) {
    return fail(link.string() + " exists and is not a symbolic link");
  }
  // Build the new link beside the old one and rename it over it.
  fs::path temporary = portsDir / (".COM" + std::to_string(number) + ".radio-sim." +
                                   std::to_string(static_cast<long>(getpid())));
  fs::remove(temporary, ec);
  fs::create_symlink(target, temporary, ec);
  if (ec) return fail("cannot create link " + link.string() + ": " + ec.message());
  fs::rename(temporary, link, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return fail("cannot create link " + link.string() + ": " + ec.message());
  }
  return link;
}

void RemovePortLink(const fs::path& link, const std::string& target) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(link, ec))) return;
  if (fs::read_symlink(link, ec) != fs::path(target) || ec) return;
  fs::remove(link, ec);
}

}  // namespace zorveth::sim
