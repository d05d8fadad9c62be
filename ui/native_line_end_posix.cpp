#include "ui/text_export.h"

namespace zorveth::ui {

const char* NativeLineEnd() {
  return "\n";
}

}  // namespace zorveth::ui
