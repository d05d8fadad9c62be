// The icon files made from the drawn icon: the .ico linked into Zorveth.exe
// is kept in the repository and must stay the encoding of those pixels.
#include "ui/templates/icon_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "ui/templates/templates.h"

namespace zorveth::ui {
namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST(IconFilesTest, CommittedIcoIsTheEncodingOfTheDrawnIcon) {
  std::ifstream file(ZORVETH_SOURCE_DIR "/ui/resources/zorveth.ico", std::ios::binary);
  ASSERT_TRUE(file) << "ui/resources/zorveth.ico is missing";
  const std::string committed((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
  EXPECT_EQ(committed, EncodeIco(ApplicationIcon()))
      << "regenerate it: build/native/ui/app/icon_png ico ui/resources/zorveth.ico";
}

TEST(IconFilesTest, IcoDirectoryPointsAtBottomUpDibsAndAPngForTheLargeSize) {
  const std::string ico = EncodeIco(ApplicationIcon());
  const auto& images = ApplicationIcon().images;
  ASSERT_EQ(Little(ico, 2, 2), 1u);
  ASSERT_EQ(Little(ico, 4, 2), images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const std::size_t entry = 6 + 16 * i;
    const std::uint32_t offset = Little(ico, entry + 12, 4);
    const int size = images[i].size;
    EXPECT_EQ(static_cast<unsigned char>(ico[entry]), size >= 256 ? 0 : size);
    EXPECT_LE(Little(ico, entry + 8, 4) + offset, ico.size());
    if (size >= 256) {
      EXPECT_EQ(ico.substr(offset, 8), "\x89PNG\r\n\x1a\n");
      continue;
    }
    EXPECT_EQ(Little(ico, offset + 8, 4), static_cast<std::uint32_t>(2 * size));  // colour + mask
    // The first stored row is the bottom row of the picture.
    const std::uint32_t bottomLeft = images[i].pixels[(size - 1) * size];
    EXPECT_EQ(Little(ico, offset + 40, 4), bottomLeft);
  }
}

}  // namespace
}  // namespace zorveth::ui
