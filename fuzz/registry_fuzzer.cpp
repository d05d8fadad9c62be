// The registry file and the port map's names as a user or the system may
// leave them: any registry.ini, links in ports/ with any names and targets,
// tty devices with any names. The registry layer answers consistently and
// every port the map lists is named and resolved as it says.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "fuzz/scratch_folder.h"
#include "platform/port_discovery.h"
#include "platform/port_list.h"
#include "platform/posix_registry.h"
#include "platform/registry_file.h"
#include "text/text_compare.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "registry_fuzzer: %s\n", what);
  std::abort();
}

void Check(bool condition, const char* what) {
  if (!condition) Fail(what);
}

// A file name the fuzzer picks; biased towards the names the map knows.
std::string FileName(FuzzedDataProvider& input) {
  static const char* const kStems[] = {"COM", "ttyS", "ttyUSB", "ttyACM", "rfcomm", "tty", ""};
  std::string name = kStems[input.ConsumeIntegralInRange<int>(0, 6)];
  name += input.ConsumeRandomLengthString(12);
  std::erase(name, '/');
  std::erase(name, '\0');
  if (name.empty() || name == "." || name == "..") name = "x";
  return name;
}

void Touch(const fs::path& path) {
  std::ofstream file(path, std::ios::binary);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zorveth::fuzz::ScratchFolder scratch;
  scratch.Clear();
  zorveth::PortMapRoots roots;
  roots.configDir = scratch.Path() / "config";
  roots.devDir = scratch.Path() / "dev";
  roots.sysClassTty = scratch.Path() / "sys";
  std::error_code ec;
  fs::create_directories(roots.configDir / "ports", ec);
  fs::create_directories(roots.devDir, ec);
  fs::create_directories(roots.sysClassTty, ec);

  FuzzedDataProvider input(data, size);
  // Devices of the tty class, each with a device file.
  for (int i = input.ConsumeIntegralInRange<int>(0, 4); i > 0; --i) {
    std::string name = FileName(input);
    fs::create_directories(roots.sysClassTty / name / "device", ec);
    Touch(roots.devDir / name);
  }
  // Links in the port map, to a device file, a missing file or a folder.
  for (int i = input.ConsumeIntegralInRange<int>(0, 4); i > 0; --i) {
    std::string name = FileName(input);
    fs::path target;
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
      case 0:
        target = roots.devDir / FileName(input);
        Touch(target);
        break;
      case 1:
        target = roots.devDir / "missing";
        break;
      default:
        target = roots.devDir;
        break;
    }
    fs::create_symlink(target, roots.configDir / "ports" / name, ec);
  }
  std::string keyPath = input.ConsumeBool() ? "Software\\Pellucor\\Vorlith\\V2\\Settings"
                                            : input.ConsumeRandomLengthString(40);
  std::string contents = input.ConsumeRemainingBytesAsString();
  {
    std::ofstream file(roots.configDir / "registry.ini", std::ios::binary);
    file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  }

  if (auto values = zorveth::ReadRegistryFileKey(roots.configDir / "registry.ini", keyPath)) {
    for (std::size_t i = 0; i < values->size(); ++i) {
      const auto& value = (*values)[i];
      Check(!value.name.empty(), "a value without a name");
      Check(value.data.size() == 4, "a value that is not 32 bits");
      for (std::size_t j = 0; j < i; ++j) {
        Check(!zorveth::EqualsIgnoringCase((*values)[j].name, value.name), "a name twice");
      }
    }
  }

  auto ports = zorveth::ReadPortMap(roots);
  int previous = 0;
  for (const auto& port : ports) {
    Check(port.number > previous, "port numbers not unique and ascending");
    previous = port.number;
    std::string com = "COM" + std::to_string(port.number) + " (";
    Check(port.label.compare(0, com.size(), com) == 0 && port.label.back() == ')',
          "a label not of the form COM<n> (...)");
    auto resolved = zorveth::ResolveComPort(port.number, roots);
    Check(resolved && *resolved == port.device, "a listed port resolves elsewhere");
  }

  zorveth::PosixRegistry registry(roots);
  zorveth::PortList list;
  int count = zorveth::ListSerialPorts(list, registry);
  Check(count == static_cast<int>(ports.size()), "the serial key counts other ports");
  Check(list.Entries().size() == std::min<std::size_t>(ports.size(), 20), "wrong list length");
  zorveth::SelectSavedPort(list, registry);
  Check(list.Selected() < static_cast<int>(list.Entries().size()), "selection past the list");

  if (auto key = registry.OpenLocalMachineKey(keyPath)) {
    zorveth::RegistryKeyInfo info;
    Check(key->QueryInfo(info), "QueryInfo failed on an open key");
    for (std::uint32_t i = 0; i < info.valueCount; ++i) {
      zorveth::RegistryValue value;
      Check(key->EnumValue(i, value), "a counted value cannot be enumerated");
      Check(value.name.size() <= info.longestValueNameLength, "name longer than reported");
      std::uint8_t buffer[256];
      std::size_t read = 0;
      if (value.data.size() <= sizeof buffer) {
        Check(key->ReadValue(value.name, buffer, read), "an enumerated value cannot be read");
      }
    }
  }
  return 0;
}
