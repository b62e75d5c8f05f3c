// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace hypsor {

// File name of the user guide in a language: 0 Polish, any other index English.
QString UserGuideFileName(int languageIndex);

// Full path of the user guide in a language, looked for where a program keeps it: the folder
// "doc" beside the executable (the build tree), then the installed guide folder reached from the
// executable's folder (share/hypsor/doc beside bin, whatever the prefix). Empty when neither
// holds it.
QString FindUserGuide(int languageIndex, const QString& executablePath);

// The same for the running program.
QString FindUserGuide(int languageIndex);

}  // namespace hypsor
