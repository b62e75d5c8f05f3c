// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainLayout.h"

#include <algorithm>

namespace hypsor {

std::optional<MainLayout> ComputeMainLayout(int W, int H, const LayoutWidths& w) {
  if (W <= 0 || W > 128000) return std::nullopt;
  MainLayout l{};
  l.LayoutScale = 128000 / W;
  const int s = l.LayoutScale;

  const int h = std::max(H - 120, 200);
  l.chartHeight = h;
  l.metresLabelTop = h - 20;
  l.secondsLabelTop = h - 20;

  const int cw = std::max(W - 15, 500);
  l.chartWidth = cw;
  l.secondsLabelLeft = cw - 85;
  l.accelerationLabelLeft = cw - 60;

  const int a = 1000 / s;
  l.readButtonLeft = a;
  l.zeroButtonLeft = a;
  l.mainFilterButtonLeft = std::max(9600 / s, a + w.zeroButton + 7);
  const int g1 = std::max(18400 / s, a + w.readButton + 3);
  l.mainPanelLeft = g1;
  const int g2 = std::max(53600 / s, g1 + w.mainPanel + 3);
  l.filePanelLeft = g2;
  const int p =
      std::max(W - w.compareButton - w.comparisonPanel - 1500 / s - 8, g2 + w.filePanel + 5);
  l.compareButtonLeft = p;
  l.comparisonFilterButtonLeft = p;
  l.comparisonPanelLeft = std::max(W - w.comparisonPanel - 8, p + w.compareButton + 5);
  return l;
}

}  // namespace hypsor
