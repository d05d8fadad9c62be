#include "ui/toolkit/qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <string_view>

namespace zorveth::ui::qt {

namespace {

constexpr const char* kSubstituteFamily = "DejaVu Sans";

bool IsWindowsDialogFace(const std::string& faceName) {
  static constexpr std::array<std::string_view, 5> kFaces = {
      "ms sans serif", "ms shell dlg", "ms shell dlg 2", "microsoft sans serif", "tahoma"};
  std::string lower(faceName);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.empty() || std::find(kFaces.begin(), kFaces.end(), lower) != kFaces.end();
}

// MulDiv for the non-negative and negative values a dialog template holds:
// the exact quotient rounded half away from zero.
int MulDiv(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}

}  // namespace

QFont DialogFont(const std::string& faceName, int pointSize) {
  QFont font(IsWindowsDialogFace(faceName) ? QString(kSubstituteFamily)
                                           : QString::fromStdString(faceName));
  // Windows templates give points at 96 dpi.
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pointSize * 96.0 / 72.0))));
  font.setStyleHint(QFont::SansSerif);
  return font;
}

BaseUnits MeasureBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return BaseUnits{std::max(1, (width / 26 + 1) / 2), std::max(1, metrics.height())};
}

int HorizontalUnitsToPixels(int units, BaseUnits base) {
  return MulDiv(units, base.x, 4);
}

int VerticalUnitsToPixels(int units, BaseUnits base) {
  return MulDiv(units, base.y, 8);
}

QRect DialogRectToPixels(int x, int y, int cx, int cy, BaseUnits base) {
  return QRect(HorizontalUnitsToPixels(x, base), VerticalUnitsToPixels(y, base),
               HorizontalUnitsToPixels(cx, base), VerticalUnitsToPixels(cy, base));
}

}  // namespace zorveth::ui::qt
