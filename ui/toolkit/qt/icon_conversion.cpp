#include "ui/toolkit/qt/icon_conversion.h"

#include <QImage>
#include <QPixmap>
#include <cstring>

namespace zorveth::ui::qt {

QIcon ToQIcon(const IconResource& icon) {
  QIcon result;
  for (const IconImage& image : icon.images) {
    const auto expected =
        static_cast<std::size_t>(image.size) * static_cast<std::size_t>(image.size);
    if (image.size <= 0 || image.pixels.size() != expected) continue;  // malformed: skip it
    QImage converted(image.size, image.size, QImage::Format_ARGB32);
    for (int row = 0; row < image.size; ++row) {
      std::memcpy(converted.scanLine(row),
                  image.pixels.data() + static_cast<std::size_t>(row) * image.size,
                  static_cast<std::size_t>(image.size) * sizeof(std::uint32_t));
    }
    result.addPixmap(QPixmap::fromImage(converted));
  }
  return result;
}

}  // namespace zorveth::ui::qt
