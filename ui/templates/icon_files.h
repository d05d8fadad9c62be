#pragma once

#include <string>

#include "ui/toolkit/icon_image.h"

namespace zorveth::ui {

// The icon as the files desktops and Windows Explorer read: a PNG of one
// image, and a Windows .ico holding every image (32-bit DIBs with their
// transparency mask, the 256-pixel one as PNG, as Windows expects).
std::string EncodePng(const IconImage& image);
std::string EncodeIco(const IconResource& icon);

}  // namespace zorveth::ui
