#pragma once

#include <cstdint>
#include <vector>

namespace zorveth::ui {

// One square image of an icon: size × size pixels, row by row from the top
// left, each 0xAARRGGBB with straight (not premultiplied) alpha, the layout
// of QImage::Format_ARGB32 and of a 32-bit Windows DIB.
struct IconImage {
  int size = 0;
  std::vector<std::uint32_t> pixels;
};

// An icon resource: the same picture in several sizes, smallest first.
struct IconResource {
  int id = 0;
  std::vector<IconImage> images;

  // The image of exactly this size, else the smallest larger one, else the
  // largest; nullptr when there are none.
  const IconImage* Best(int size) const {
    for (const auto& image : images) {
      if (image.size >= size) return &image;
    }
    return images.empty() ? nullptr : &images.back();
  }
};

}  // namespace zorveth::ui
