#include "ui/toolkit/win32/icon_handles.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace zorveth::ui::win32 {
namespace {

// The image resampled to size × size: each target pixel averages the source
// pixels it covers (weighted by alpha, so transparent pixels lend it no
// colour); a larger target repeats source pixels.
std::vector<std::uint32_t> Resample(const IconImage& image, int size) {
  if (image.size == size) return image.pixels;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(size) * size, 0);
  for (int y = 0; y < size; ++y) {
    const int y0 = y * image.size / size;
    const int y1 = std::max(y0 + 1, (y + 1) * image.size / size);
    for (int x = 0; x < size; ++x) {
      const int x0 = x * image.size / size;
      const int x1 = std::max(x0 + 1, (x + 1) * image.size / size);
      std::uint64_t a = 0, r = 0, g = 0, b = 0, n = 0;
      for (int sy = y0; sy < y1; ++sy) {
        for (int sx = x0; sx < x1; ++sx) {
          const std::uint32_t p = image.pixels[static_cast<std::size_t>(sy) * image.size + sx];
          const std::uint32_t pa = p >> 24;
          a += pa;
          r += ((p >> 16) & 0xFF) * pa;
          g += ((p >> 8) & 0xFF) * pa;
          b += (p & 0xFF) * pa;
          ++n;
        }
      }
      if (a == 0) continue;
      const std::uint32_t pixel =
          static_cast<std::uint32_t>(a / n) << 24 | static_cast<std::uint32_t>(r / a) << 16 |
          static_cast<std::uint32_t>(g / a) << 8 | static_cast<std::uint32_t>(b / a);
      out[static_cast<std::size_t>(y) * size + x] = pixel;
    }
  }
  return out;
}

}  // namespace

HICON CreateIconFromResource(const IconResource& icon, int size) {
  const IconImage* image = icon.Best(size);
  if (!image || image->size <= 0 || size <= 0 ||
      image->pixels.size() != static_cast<std::size_t>(image->size) * image->size) {
    return nullptr;
  }
  const std::vector<std::uint32_t> pixels = Resample(*image, size);

  // Colour: a top-down 32-bit DIB; 0xAARRGGBB in memory is its BGRA layout.
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = size;
  header.bV5Height = -size;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!colour || !bits) {
    if (colour) DeleteObject(colour);
    return nullptr;
  }
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
  GdiFlush();

  // Mask: 1 where the picture is (mostly) transparent; rows padded to words.
  const int stride = ((size + 15) / 16) * 2;
  std::vector<BYTE> maskBits(static_cast<std::size_t>(stride) * size, 0);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if ((pixels[static_cast<std::size_t>(y) * size + x] >> 24) < 0x80) {
        maskBits[static_cast<std::size_t>(y) * stride + x / 8] |=
            static_cast<BYTE>(0x80 >> (x % 8));
      }
    }
  }
  HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());

  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colour;
  info.hbmMask = mask;
  HICON result = mask ? CreateIconIndirect(&info) : nullptr;
  DeleteObject(colour);
  if (mask) DeleteObject(mask);
  return result;
}

}  // namespace zorveth::ui::win32
