#pragma once
#include <optional>

namespace hypsor {

// Widths of the controls the layout spaces by (their designed widths unless changed).
struct LayoutWidths {
  int BZerowanie = 73;
  int B_Odczyt_Hypsoru = 121;
  int GroupB_Hypsor = 226;
  int GBDysk_ZapisOdczyt = 90;
  int B_Porownanie = 90;
  int GroupB_Por = 233;
};

// Where the main window's movable controls go for a client area of W x H pixels.
struct MainLayout {
  int LayoutScale;
  int chartWidth, chartHeight;
  int Label6Top, Label2Top, Label2Left, Label4Left;
  int B_Odczyt_HypsoruLeft, BZerowanieLeft, B_Filtr_HypsorLeft;
  int GroupB_HypsorLeft, GBDysk_ZapisOdczytLeft;
  int B_PorownanieLeft, B_Filtr_porLeft, GroupB_PorLeft;
};

// The proportional layout: integer divisions in the order written, each on the already truncated
// LayoutScale. A width of 0 or above 128000 has no scale; then nothing moves (nullopt).
std::optional<MainLayout> ComputeMainLayout(int W, int H, const LayoutWidths& widths = {});

}  // namespace hypsor
