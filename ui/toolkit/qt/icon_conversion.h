#pragma once

#include <QIcon>

#include "ui/toolkit/icon_image.h"

namespace zorveth::ui::qt {

// Every size of the resource, so Qt picks the right one for the title bar,
// the task switcher and high-dpi screens.
QIcon ToQIcon(const IconResource& icon);

}  // namespace zorveth::ui::qt
