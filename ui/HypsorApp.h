#pragma once
#include <memory>

#include <QString>

#include "ui/Hypsor_1.h"

namespace hypsor {

class TFoInfo;
class TFormUstawienia;
class TF_Filtr;

// The program's four windows, created in order: the main window (which loads the settings), the
// device settings window, the information window and the filter settings window.
struct HypsorWindows {
  std::unique_ptr<THypsor> Hypsor;
  std::unique_ptr<TFormUstawienia> FormUstawienia;
  std::unique_ptr<TFoInfo> FoInfo;
  std::unique_ptr<TF_Filtr> F_Filtr;
  ~HypsorWindows();
};

std::unique_ptr<HypsorWindows> CreateWindows(const PlatformServices& platform,
                                             const QString& settingsFilePath);

}  // namespace hypsor
