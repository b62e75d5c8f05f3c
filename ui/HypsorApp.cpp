#include "ui/HypsorApp.h"

#include "platform/MessageBox.h"
#include "ui/Filtr.h"
#include "ui/Finfo.h"
#include "ui/Fustawienia.h"

namespace hypsor {

HypsorWindows::~HypsorWindows() = default;

std::unique_ptr<HypsorWindows> CreateWindows(const PlatformServices& platform,
                                             const QString& settingsFilePath) {
  auto w = std::make_unique<HypsorWindows>();
  // The main window loads the settings; the windows after it see them.
  w->Hypsor = std::make_unique<THypsor>(platform, settingsFilePath);
  THypsor* main = w->Hypsor.get();
  auto save = [main] { return main->SaveSettingsNow(); };
  w->FormUstawienia = std::make_unique<TFormUstawienia>(
      main->Channel(), main->Settings, main->LanguageIndex, platform.boxes, save, main);
  w->FoInfo = std::make_unique<TFoInfo>(main);
  w->F_Filtr = std::make_unique<TF_Filtr>(main->Settings, main->LanguageIndex, save, main);
  main->SetOtherWindows(w->FormUstawienia.get(), w->FoInfo.get(), w->F_Filtr.get());
  return w;
}

}  // namespace hypsor
