// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFont>
#include <QStringList>

namespace hypsor {

// The windows' designed face at its designed pixel size. Where the designed face is missing the
// metric-compatible sans serif stands in, so the designed boxes still hold their texts.
inline QFont DesignFont(int pixelSize = 11) {
  QFont f;
  f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"),
                 QStringLiteral("Liberation Sans")});
  f.setPixelSize(pixelSize);
  return f;
}

}  // namespace hypsor
