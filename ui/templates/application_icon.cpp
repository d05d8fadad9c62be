#include <algorithm>
#include <cmath>
#include <cstdint>

#include "ui/templates/templates.h"

namespace zorveth::ui {
namespace {

// Icon 136 is drawn here rather than shipped as a file: two lattice masts on
// a blue tile, joined by an amber arc, the link the tool sets up. Shapes are
// given on a unit square and sampled 4×4 per pixel, so every size comes out
// smooth from the same description.

struct Colour {
  double r, g, b, a;
};

constexpr Colour kClear{0, 0, 0, 0};
constexpr Colour kTileTop{0x2E, 0x6F, 0xC0, 255};
constexpr Colour kTileBottom{0x14, 0x3C, 0x78, 255};
constexpr Colour kMast{0xF4, 0xF6, 0xFA, 255};
constexpr Colour kLink{0xFF, 0xB0, 0x20, 255};

bool InRoundedSquare(double x, double y) {
  constexpr double kInset = 0.03, kRadius = 0.18;
  const double cx = std::clamp(x, kInset + kRadius, 1 - kInset - kRadius);
  const double cy = std::clamp(y, kInset + kRadius, 1 - kInset - kRadius);
  return std::hypot(x - cx, y - cy) <= kRadius;
}

// A tapering mast from its foot (ground) to its tip, plus its foot bar.
bool InMast(double x, double y, double centre) {
  constexpr double kTip = 0.34, kFoot = 0.84;
  if (y >= kTip && y <= kFoot) {
    const double halfWidth = 0.015 + 0.07 * (y - kTip) / (kFoot - kTip);
    const double dx = std::abs(x - centre);
    if (dx <= halfWidth && dx >= halfWidth - 0.035) return true;  // the two legs
    // Cross braces every so often, so it reads as a lattice at large sizes.
    const double phase = std::fmod((y - kTip) / 0.1, 1.0);
    if (dx <= halfWidth && phase < 0.25) return true;
  }
  return y >= kFoot && y <= kFoot + 0.05 && std::abs(x - centre) <= 0.13;
}

bool InAntenna(double x, double y, double centre) {
  return std::hypot(x - centre, y - 0.31) <= 0.045;
}

// The arc over both mast tips.
bool InLink(double x, double y) {
  constexpr double kCentreY = 0.78, kRadius = 0.6, kHalfThickness = 0.03;
  if (y > 0.3) return false;
  return std::abs(std::hypot(x - 0.5, y - kCentreY) - kRadius) <= kHalfThickness;
}

Colour Sample(double x, double y) {
  if (!InRoundedSquare(x, y)) return kClear;
  if (InAntenna(x, y, 0.27) || InAntenna(x, y, 0.73) || InLink(x, y)) return kLink;
  if (InMast(x, y, 0.27) || InMast(x, y, 0.73)) return kMast;
  const double t = y;
  return {kTileTop.r + (kTileBottom.r - kTileTop.r) * t,
          kTileTop.g + (kTileBottom.g - kTileTop.g) * t,
          kTileTop.b + (kTileBottom.b - kTileTop.b) * t, 255};
}

IconImage Render(int size) {
  constexpr int kSamples = 4;
  IconImage image;
  image.size = size;
  image.pixels.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Colour c =
              Sample((px + (sx + 0.5) / kSamples) / size, (py + (sy + 0.5) / kSamples) / size);
          // Average premultiplied, so clear samples do not darken the edges.
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      }
      const auto channel = [&](double premultiplied) {
        return a == 0 ? 0u : static_cast<std::uint32_t>(std::lround(premultiplied / a));
      };
      const auto alpha = static_cast<std::uint32_t>(std::lround(a / (kSamples * kSamples)));
      image.pixels.push_back(alpha << 24 | channel(r) << 16 | channel(g) << 8 | channel(b));
    }
  }
  return image;
}

}  // namespace

const IconResource& ApplicationIcon() {
  static const IconResource icon{kApplicationIconId,
                                 {Render(16), Render(32), Render(48), Render(256)}};
  return icon;
}

}  // namespace zorveth::ui
