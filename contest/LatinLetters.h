// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace hypsor {

// A name in Latin letters without diacritics, for the formats that ask for them (a federation's
// results sheet): "Łukasz Żółć" becomes "Lukasz Zolc"; Cyrillic is transliterated. Names are
// kept as given everywhere else.
QString LatinLetters(const QString& name);

}  // namespace hypsor
