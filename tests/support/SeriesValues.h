#pragma once
#include <vector>

#include <QLineSeries>

namespace hypsor::test {

// The y values of a chart series, as the decoding produced them (single precision).
inline std::vector<float> Ys(const QLineSeries* s) {
  std::vector<float> ys;
  for (const QPointF& p : s->points()) ys.push_back(static_cast<float>(p.y()));
  return ys;
}

}  // namespace hypsor::test
