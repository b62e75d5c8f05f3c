// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include <QList>
#include <QPointF>

namespace hypsor::test {

// The y values of a curve's points, as the decoding produced them (single precision).
inline std::vector<float> Ys(const QList<QPointF>& points) {
  std::vector<float> ys;
  for (const QPointF& p : points) ys.push_back(static_cast<float>(p.y()));
  return ys;
}

}  // namespace hypsor::test
