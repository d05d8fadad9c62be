#include "ui/toolkit/qt/plot_widget.h"

#include <QPainter>
#include <QPainterPath>

namespace zorveth::ui::qt {
namespace {

// The colours of the first lines; more lines reuse them.
const QColor kLineColours[] = {QColor(0, 90, 200), QColor(200, 60, 0), QColor(0, 140, 60)};

QString Number(double value) {
  return QString::number(value, 'f', value == static_cast<long long>(value) ? 0 : 1);
}

}  // namespace

PlotWidget::PlotWidget(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotWidget::SetSeries(int index, const PlotSeries& series) {
  if (index < 0) return;
  if (m_series.size() <= static_cast<std::size_t>(index)) m_series.resize(index + 1);
  m_series[static_cast<std::size_t>(index)] = series;
  update();
}

void PlotWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));

  const PlotScale scale = ScaleOfPlot(m_series);
  const QFontMetrics metrics(font());
  const int left = metrics.horizontalAdvance(Number(scale.top)) + 8;
  const QRect area = rect().adjusted(left, metrics.height() + 6, -8, -metrics.height() / 2 - 4);
  if (area.width() <= 0 || area.height() <= 0) return;
  auto y = [&](double value) { return area.bottom() - value / scale.top * area.height(); };
  for (double value = 0; value <= scale.top + scale.step / 2; value += scale.step) {
    painter.setPen(QColor(220, 220, 220));
    painter.drawLine(QPointF(area.left(), y(value)), QPointF(area.right(), y(value)));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(2, y(value) - metrics.height() / 2.0, left - 6, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, Number(value));
  }

  painter.setRenderHint(QPainter::Antialiasing);
  const double dx = static_cast<double>(area.width()) / static_cast<double>(scale.span - 1);
  int legendX = area.left();
  for (std::size_t s = 0; s < m_series.size(); ++s) {
    const PlotSeries& series = m_series[s];
    const QColor colour = kLineColours[s % std::size(kLineColours)];
    QPainterPath path;
    bool drawing = false;
    const std::size_t first = scale.span - series.values.size();
    for (std::size_t i = 0; i < series.values.size(); ++i) {
      if (!series.values[i]) {
        drawing = false;
        continue;
      }
      const QPointF point(area.left() + (first + i) * dx, y(*series.values[i]));
      drawing ? path.lineTo(point) : path.moveTo(point);
      drawing = true;
    }
    painter.setPen(QPen(colour, 2));
    painter.drawPath(path);
    const QString legend = QString::fromStdString(series.label);
    painter.drawText(legendX, metrics.ascent() + 3, legend);
    legendX += metrics.horizontalAdvance(legend) + 16;
  }
}

}  // namespace zorveth::ui::qt
