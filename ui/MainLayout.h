// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

namespace hypsor {

// Widths of the controls the layout spaces by (their designed widths unless changed).
struct LayoutWidths {
  int zeroButton = 73;
  int readButton = 121;
  int mainPanel = 226;
  int filePanel = 90;
  int compareButton = 90;
  int comparisonPanel = 233;
};

// Where the main window's movable controls go for a client area of W x H pixels.
struct MainLayout {
  int LayoutScale;
  int chartWidth, chartHeight;
  int metresLabelTop, secondsLabelTop, secondsLabelLeft, accelerationLabelLeft;
  int readButtonLeft, zeroButtonLeft, mainFilterButtonLeft;
  int mainPanelLeft, filePanelLeft;
  int compareButtonLeft, comparisonFilterButtonLeft, comparisonPanelLeft;
};

// The proportional layout: integer divisions in the order written, each on the already truncated
// LayoutScale. A width of 0 or above 128000 has no scale; then nothing moves (nullopt).
std::optional<MainLayout> ComputeMainLayout(int W, int H, const LayoutWidths& widths = {});

}  // namespace hypsor
