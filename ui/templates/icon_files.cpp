#include "ui/templates/icon_files.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace zorveth::ui {
namespace {

std::uint32_t Crc32(const std::string& bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = std::string(type) + data;
  out += typed;
  PutBigEndian(out, Crc32(typed));
}

// The images are small: stored (uncompressed) deflate blocks need no zlib.
std::string ZlibStored(const std::string& raw) {
  std::string out = "\x78\x01";
  std::uint32_t a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  for (std::size_t pos = 0;;) {
    const std::size_t length = std::min<std::size_t>(raw.size() - pos, 65535);
    const bool last = pos + length == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    PutLittleEndian(out, static_cast<std::uint32_t>(length), 2);
    PutLittleEndian(out, static_cast<std::uint32_t>(~length & 0xFFFF), 2);
    out.append(raw, pos, length);
    pos += length;
    if (last) break;
  }
  PutBigEndian(out, b << 16 | a);
  return out;
}

// A 32-bit DIB as an icon image: the header gives twice the height (colour
// rows, then the AND mask), rows run bottom-up, the mask marks transparent
// pixels for systems that ignore the alpha channel.
std::string EncodeDib(const IconImage& image) {
  const auto size = static_cast<std::uint32_t>(image.size);
  const std::uint32_t maskRowBytes = (size + 31) / 32 * 4;
  std::string out;
  PutLittleEndian(out, 40, 4);
  PutLittleEndian(out, size, 4);
  PutLittleEndian(out, size * 2, 4);
  PutLittleEndian(out, 1, 2);   // planes
  PutLittleEndian(out, 32, 2);  // bits per pixel
  PutLittleEndian(out, 0, 4);   // BI_RGB
  PutLittleEndian(out, size * size * 4 + size * maskRowBytes, 4);
  out.append(16, '\0');  // resolution and palette: unused
  for (std::uint32_t row = size; row-- > 0;) {
    for (std::uint32_t x = 0; x < size; ++x) PutLittleEndian(out, image.pixels[row * size + x], 4);
  }
  for (std::uint32_t row = size; row-- > 0;) {
    std::string mask(maskRowBytes, '\0');
    for (std::uint32_t x = 0; x < size; ++x) {
      if ((image.pixels[row * size + x] >> 24) == 0)
        mask[x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }
    out += mask;
  }
  return out;
}

}  // namespace

std::string EncodePng(const IconImage& image) {
  const auto size = static_cast<std::uint32_t>(image.size);
  std::string header;
  PutBigEndian(header, size);
  PutBigEndian(header, size);
  header += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA, no interlace
  std::string raw;
  for (std::uint32_t y = 0; y < size; ++y) {
    raw += '\0';  // no filter
    for (std::uint32_t x = 0; x < size; ++x) {
      const std::uint32_t argb = image.pixels[y * size + x];
      raw += static_cast<char>((argb >> 16) & 0xFF);
      raw += static_cast<char>((argb >> 8) & 0xFF);
      raw += static_cast<char>(argb & 0xFF);
      raw += static_cast<char>(argb >> 24);
    }
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", ZlibStored(raw));
  PutChunk(png, "IEND", "");
  return png;
}

std::string EncodeIco(const IconResource& icon) {
  std::string directory;
  PutLittleEndian(directory, 0, 2);
  PutLittleEndian(directory, 1, 2);  // icon, not cursor
  PutLittleEndian(directory, static_cast<std::uint32_t>(icon.images.size()), 2);
  std::string data;
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(icon.images.size());
  for (const IconImage& image : icon.images) {
    const std::string bytes = image.size >= 256 ? EncodePng(image) : EncodeDib(image);
    directory += static_cast<char>(image.size >= 256 ? 0 : image.size);  // 0 means 256
    directory += static_cast<char>(image.size >= 256 ? 0 : image.size);
    PutLittleEndian(directory, 0, 2);   // no palette, reserved
    PutLittleEndian(directory, 1, 2);   // planes
    PutLittleEndian(directory, 32, 2);  // bits per pixel
    PutLittleEndian(directory, static_cast<std::uint32_t>(bytes.size()), 4);
    PutLittleEndian(directory, offset, 4);
    offset += static_cast<std::uint32_t>(bytes.size());
    data += bytes;
  }
  return directory + data;
}

}  // namespace zorveth::ui
