#pragma once

#include <QWidget>
#include <vector>

#include "ui/toolkit/toolkit.h"

namespace zorveth::ui::qt {

// The plot control: a white field with a scale of four grid lines, each
// series a line of its own colour (a gap where a value is missing) and its
// label with its latest value in the top left corner.
class PlotWidget : public QWidget {
 public:
  explicit PlotWidget(QWidget* parent);
  void SetSeries(int index, const PlotSeries& series);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<PlotSeries> m_series;
};

}  // namespace zorveth::ui::qt
