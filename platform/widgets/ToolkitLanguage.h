// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace hypsor {

// Gives the toolkit's own dialogs and buttons (file dialog, "Cancel") the program's language:
// Qt's Polish translations are loaded for 0 (Polish) and taken away for any other index. True
// when the texts of that language are in use (false when Polish was asked for and the
// translation files are not installed).
bool UseToolkitLanguage(int languageIndex);

}  // namespace hypsor
