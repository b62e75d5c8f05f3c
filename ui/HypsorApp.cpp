#include "ui/HypsorApp.h"

#include "ui/Finfo.h"

namespace hypsor {

HypsorWindows::~HypsorWindows() = default;

std::unique_ptr<HypsorWindows> CreateWindows(const PlatformServices& platform,
                                             const QString& settingsFilePath) {
  auto w = std::make_unique<HypsorWindows>();
  w->Hypsor = std::make_unique<THypsor>(platform, settingsFilePath);
  w->FoInfo = std::make_unique<TFoInfo>(w->Hypsor.get());
  w->Hypsor->SetOtherWindows(nullptr, w->FoInfo.get(), nullptr);
  return w;
}

}  // namespace hypsor
