// The plot control and the large text on Win32: a plot is an owner-drawn
// static the dialog procedure paints with GDI on WM_DRAWITEM, from the
// series the toolkit keeps for it.
#include <cmath>
#include <cstdio>

#include "ui/toolkit/win32/text_conversion.h"
#include "ui/toolkit/win32/win32_toolkit.h"

namespace zorveth::ui::win32 {
namespace {

const COLORREF kLineColours[] = {RGB(0, 90, 200), RGB(200, 60, 0), RGB(0, 140, 60)};

std::wstring Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, value == std::floor(value) ? "%.0f" : "%.1f", value);
  return Widen(text);
}

// The scale's grid lines and their numbers, left of the plotting area.
void DrawScale(HDC dc, const RECT& area, int textHeight, const PlotScale& scale) {
  HPEN grid = CreatePen(PS_SOLID, 1, RGB(220, 220, 220));
  HGDIOBJ old = SelectObject(dc, grid);
  for (double value = 0; value <= scale.top + scale.step / 2; value += scale.step) {
    const int y = area.bottom - static_cast<int>(value / scale.top * (area.bottom - area.top));
    MoveToEx(dc, area.left, y, nullptr);
    LineTo(dc, area.right, y);
    RECT label = {0, y - textHeight / 2, area.left - 4, y + textHeight / 2};
    const std::wstring text = Number(value);
    DrawTextW(dc, text.c_str(), -1, &label, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
  }
  SelectObject(dc, old);
  DeleteObject(grid);
}

void DrawLine(HDC dc, const RECT& area, const PlotSeries& series, const PlotScale& scale,
              COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 2, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  const double dx = static_cast<double>(area.right - area.left) / (scale.span - 1);
  const std::size_t first = scale.span - series.values.size();
  bool drawing = false;
  for (std::size_t i = 0; i < series.values.size(); ++i) {
    if (!series.values[i]) {
      drawing = false;
      continue;
    }
    const int x = area.left + static_cast<int>((first + i) * dx);
    const int y =
        area.bottom - static_cast<int>(*series.values[i] / scale.top * (area.bottom - area.top));
    drawing ? LineTo(dc, x, y) : MoveToEx(dc, x, y, nullptr);
    if (!drawing) SetPixel(dc, x, y, colour);
    drawing = true;
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

}  // namespace

void Win32Toolkit::PrepareControl(Window& window, const ControlTemplate& control, HWND item) {
  if (control.kind != ControlKind::StaticText || (control.style & control_style::kLargeText) == 0) {
    return;
  }
  if (!window.largeFont) {
    // Read at arm's length: three times the dialog's font, bold.
    LOGFONTW font{};
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0));
    if (!dialogFont || GetObjectW(dialogFont, sizeof font, &font) == 0) return;
    font.lfHeight *= 3;
    font.lfWidth = 0;
    font.lfWeight = FW_BOLD;
    window.largeFont = CreateFontIndirectW(&font);
  }
  if (window.largeFont)
    SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(window.largeFont), 0);
}

bool Win32Toolkit::DrawPlot(HWND dialog, const DRAWITEMSTRUCT& item) {
  const Window* window = Find(reinterpret_cast<WindowHandle>(dialog));
  if (!window || item.CtlType != ODT_STATIC) return false;
  const ControlTemplate* control = window->source->FindControl(static_cast<int>(item.CtlID));
  if (!control || control->kind != ControlKind::Plot) return false;
  static const std::vector<PlotSeries> kNone;
  const auto found = window->plots.find(control->id);
  const std::vector<PlotSeries>& series = found == window->plots.end() ? kNone : found->second;

  HDC dc = item.hDC;
  const RECT& bounds = item.rcItem;
  FillRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FrameRect(dc, &bounds, GetSysColorBrush(COLOR_BTNSHADOW));
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int textHeight = metrics.tmHeight;
  const PlotScale scale = ScaleOfPlot(series);
  SIZE numberSize{};
  const std::wstring top = Number(scale.top);
  GetTextExtentPoint32W(dc, top.c_str(), static_cast<int>(top.size()), &numberSize);
  const RECT area = {bounds.left + numberSize.cx + 8, bounds.top + textHeight + 6, bounds.right - 8,
                     bounds.bottom - textHeight / 2 - 4};
  if (area.right <= area.left || area.bottom <= area.top) return true;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  DrawScale(dc, area, textHeight, scale);
  int legendX = area.left;
  for (std::size_t s = 0; s < series.size(); ++s) {
    const COLORREF colour = kLineColours[s % std::size(kLineColours)];
    DrawLine(dc, area, series[s], scale, colour);
    const std::wstring legend = Widen(series[s].label);
    SetTextColor(dc, colour);
    TextOutW(dc, legendX, bounds.top + 3, legend.c_str(), static_cast<int>(legend.size()));
    SIZE size{};
    GetTextExtentPoint32W(dc, legend.c_str(), static_cast<int>(legend.size()), &size);
    legendX += size.cx + 16;
  }
  return true;
}

void Win32Toolkit::SetPlotSeries(WindowHandle dialog, int controlId, int series,
                                 const PlotSeries& data) {
  HWND control = Control(dialog, controlId, ControlKind::Plot);
  if (!control || series < 0) return;
  std::vector<PlotSeries>& lines = Find(dialog)->plots[controlId];
  if (lines.size() <= static_cast<std::size_t>(series)) lines.resize(series + 1);
  lines[static_cast<std::size_t>(series)] = data;
  InvalidateRect(control, nullptr, FALSE);
}

}  // namespace zorveth::ui::win32
