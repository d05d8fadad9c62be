#pragma once

#include <windows.h>

#include "ui/toolkit/icon_image.h"

namespace zorveth::ui::win32 {

// An icon of exactly size × size pixels made from the resource's pixels
// (its image of that size, else a larger one scaled down, else the largest
// scaled up), with its alpha channel and a matching mask for displays that
// ignore alpha. nullptr when the resource has no images. The caller owns it
// (DestroyIcon).
HICON CreateIconFromResource(const IconResource& icon, int size);

}  // namespace zorveth::ui::win32
