#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "ui/configurator_dlg.h"
#include "ui/dialog_services.h"
#include "ui/toolkit/toolkit.h"
#include "zorveth/version.h"

namespace {

constexpr char kHelp[] =
    "Usage: zorveth [--help|--version]\n"
    "\n"
    "Opens the \"Skelvar Configurator\" dialogs, which poll, configure and\n"
    "initialize a Server/Client radio modem pair through one serial port.\n"
    "The advanced settings are kept in SkelvarRadio.ini in the working folder.\n"
    "zorveth-cli does the same from the command line, without a display.\n"
    "\n"
    "Options:\n"
    "  -h, --help  this text\n"
    "  --version   print the program's name and version\n";

// Without a display the windowing toolkit would abort the program with a
// page of plugin names; say what is missing instead. A platform chosen
// outright (QT_QPA_PLATFORM, e.g. offscreen) needs no display.
bool DisplayMissing() {
#ifdef _WIN32
  return false;
#else
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return false;
  }
  return true;
#endif
}

}  // namespace

// The dialog application. --help and --version are answered before any
// toolkit starts, so they work without a display. Whatever else the toolkit
// leaves of the arguments is ignored, as the program always was.
int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "zorveth " << zorveth::kVersion << '\n';
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kHelp;
    return 0;
  }
  if (DisplayMissing()) {
    std::cerr << "zorveth: no display (DISPLAY is not set); use zorveth-cli, or run "
                 "'xvfb-run -a zorveth'\n";
    return 1;
  }
  std::unique_ptr<zorveth::ui::Toolkit> toolkit = zorveth::ui::CreatePlatformToolkit(argc, argv);
  if (!toolkit) return 1;
  std::unique_ptr<zorveth::ui::DialogServices> services = zorveth::ui::MakeSystemServices(*toolkit);
  zorveth::ui::CConfiguratorApp app(*services);
  app.Run();
  return 0;
}
