#pragma once

#include <QFont>
#include <QRect>
#include <string>

namespace zorveth::ui::qt {

// Pixels per four horizontal and per eight vertical dialog units: the
// average character width and the character height of the dialog font.
struct BaseUnits {
  int x = 0;
  int y = 0;
};

// The font that stands in for a template font. The classic Windows dialog
// faces ("MS Sans Serif", "MS Shell Dlg", ...) do not exist here; DejaVu Sans
// at the same nominal size (8 pt at 96 dpi = 11 px) has the same character
// height and about the same width per average character, so texts sized for
// them fit. Pixel sizes keep the result independent of the screen's dpi
// setting; high-dpi screens scale the whole window instead.
QFont DialogFont(const std::string& faceName, int pointSize);

// Measured the way Windows measures a dialog font: the width of the 52
// letters A-Z a-z divided by 52, rounded half up, and the font's height.
BaseUnits MeasureBaseUnits(const QFont& font);

// Dialog units to pixels, rounding each value to the nearest pixel as
// Windows' MulDiv does.
int HorizontalUnitsToPixels(int units, BaseUnits base);
int VerticalUnitsToPixels(int units, BaseUnits base);
QRect DialogRectToPixels(int x, int y, int cx, int cy, BaseUnits base);

}  // namespace zorveth::ui::qt
