#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "ui/templates/templates.h"

// Writes one size of the application icon as a PNG, for the desktop entry.
// Build-time helper: usage icon_png <size> <file>. The image is small, so
// the zlib stream uses stored (uncompressed) blocks and needs no library.

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

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = std::string(type) + data;
  out += typed;
  PutBigEndian(out, Crc32(typed));
}

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
    out += static_cast<char>(length & 0xFF);
    out += static_cast<char>(length >> 8);
    out += static_cast<char>(~length & 0xFF);
    out += static_cast<char>((~length >> 8) & 0xFF);
    out.append(raw, pos, length);
    pos += length;
    if (last) break;
  }
  PutBigEndian(out, b << 16 | a);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: icon_png <size> <file>\n";
    return 2;
  }
  const zorveth::ui::IconImage* image = zorveth::ui::ApplicationIcon().Best(std::atoi(argv[1]));
  if (!image) return 1;
  const auto size = static_cast<std::uint32_t>(image->size);
  std::string header;
  PutBigEndian(header, size);
  PutBigEndian(header, size);
  header += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA, no interlace
  std::string raw;
  for (std::uint32_t y = 0; y < size; ++y) {
    raw += '\0';  // no filter
    for (std::uint32_t x = 0; x < size; ++x) {
      const std::uint32_t argb = image->pixels[y * size + x];
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
  std::ofstream file(argv[2], std::ios::binary);
  file << png;
  return file ? 0 : 1;
}
