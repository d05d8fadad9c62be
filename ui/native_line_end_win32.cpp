#include "ui/text_export.h"

namespace zorveth::ui {

// Notepad before Windows 10 shows LF-only files as one long line.
const char* NativeLineEnd() {
  return "\r\n";
}

}  // namespace zorveth::ui
