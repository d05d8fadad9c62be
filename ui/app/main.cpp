#include <cstring>
#include <iostream>
#include <memory>

#include "ui/configurator_dlg.h"
#include "ui/dialog_services.h"
#include "ui/toolkit/toolkit.h"
#include "zorveth/version.h"

// The dialog application. Its one option, --version, is answered before any
// toolkit starts, so it works without a display. Whatever else the toolkit
// leaves of the arguments is ignored, as the program always was.
int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "zorveth " << zorveth::kVersion << '\n';
    return 0;
  }
  std::unique_ptr<zorveth::ui::Toolkit> toolkit = zorveth::ui::CreatePlatformToolkit(argc, argv);
  if (!toolkit) return 1;
  std::unique_ptr<zorveth::ui::DialogServices> services = zorveth::ui::MakeSystemServices(*toolkit);
  zorveth::ui::CConfiguratorApp app(*services);
  app.Run();
  return 0;
}
