#include "text/text_compare.h"
#include "ui/toolkit/toolkit.h"

namespace zorveth::ui {

int ComboSelectByPrefix(Toolkit& toolkit, WindowHandle dialog, int controlId, int startIndex,
                        const std::string& prefix) {
  const int index = FindByPrefix(toolkit.ComboCount(dialog, controlId), startIndex, prefix,
                                 [&](int i) { return toolkit.ComboEntry(dialog, controlId, i); });
  if (index >= 0) toolkit.ComboSelect(dialog, controlId, index);
  return index;
}

}  // namespace zorveth::ui
