#include <algorithm>
#include <cmath>

#include "ui/toolkit/toolkit.h"

namespace zorveth::ui {

PlotScale ScaleOfPlot(const std::vector<PlotSeries>& series) {
  PlotScale scale;
  double highest = 0;
  for (const PlotSeries& line : series) {
    scale.span = std::max(scale.span, line.values.size());
    for (const std::optional<double>& value : line.values) {
      if (value) highest = std::max(highest, *value);
    }
  }
  // Four grid steps of a round size: 25 up to 100, then the next power of
  // ten's 1, 2.5 or 5 that reaches the highest value in four steps.
  if (highest > scale.top) {
    const double magnitude = std::pow(10.0, std::floor(std::log10(highest / 4)));
    for (double factor : {1.0, 2.5, 5.0, 10.0}) {
      scale.step = factor * magnitude;
      if (scale.step * 4 >= highest) break;
    }
    scale.top = scale.step * 4;
  }
  return scale;
}

}  // namespace zorveth::ui
