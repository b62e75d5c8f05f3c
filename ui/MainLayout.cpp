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
  l.Label6Top = h - 20;
  l.Label2Top = h - 20;

  const int cw = std::max(W - 15, 500);
  l.chartWidth = cw;
  l.Label2Left = cw - 85;
  l.Label4Left = cw - 60;

  const int a = 1000 / s;
  l.B_Odczyt_HypsoruLeft = a;
  l.BZerowanieLeft = a;
  l.B_Filtr_HypsorLeft = std::max(9600 / s, a + w.BZerowanie + 7);
  const int g1 = std::max(18400 / s, a + w.B_Odczyt_Hypsoru + 3);
  l.GroupB_HypsorLeft = g1;
  const int g2 = std::max(53600 / s, g1 + w.GroupB_Hypsor + 3);
  l.GBDysk_ZapisOdczytLeft = g2;
  const int p =
      std::max(W - w.B_Porownanie - w.GroupB_Por - 1500 / s - 8, g2 + w.GBDysk_ZapisOdczyt + 5);
  l.B_PorownanieLeft = p;
  l.B_Filtr_porLeft = p;
  l.GroupB_PorLeft = std::max(W - w.GroupB_Por - 8, p + w.B_Porownanie + 5);
  return l;
}

}  // namespace hypsor
