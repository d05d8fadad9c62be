#include <memory>

#include "ui/configurator_dlg.h"
#include "ui/dialog_services.h"
#include "ui/toolkit/toolkit.h"

// The dialog application. It takes no command-line options: whatever the
// toolkit leaves of the arguments is ignored, as the program always was.
int main(int argc, char** argv) {
  std::unique_ptr<zorveth::ui::Toolkit> toolkit = zorveth::ui::CreatePlatformToolkit(argc, argv);
  if (!toolkit) return 1;
  std::unique_ptr<zorveth::ui::DialogServices> services = zorveth::ui::MakeSystemServices(*toolkit);
  zorveth::ui::CConfiguratorApp app(*services);
  app.Run();
  return 0;
}
