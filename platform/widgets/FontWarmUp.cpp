// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/FontWarmUp.h"

#if HYPSOR_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace hypsor {

FontWarmUp::FontWarmUp() {
#if HYPSOR_FONTCONFIG
  // Fontconfig keeps one configuration per process: Qt's font database takes this one up.
  thread_ = std::thread([] { FcInit(); });
#endif
}

FontWarmUp::~FontWarmUp() { Wait(); }

void FontWarmUp::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace hypsor
