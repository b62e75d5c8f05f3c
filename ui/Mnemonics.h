// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QMenuBar;
class QString;

namespace hypsor {

// Gives every menu of the bar, and every entry of each menu, an Alt+letter of its own, and gives
// them again whenever a text changes (a language switch, a menu added later), so the letters
// always belong to the words on screen in the language in use.
void KeepMnemonics(QMenuBar* bar);

// The text with "&" before the letter it gets; the letters already taken (lower case) are
// skipped and the chosen one is added to them. Word starts come first; letters outside a-z and
// digits are never chosen. Existing "&" marks are dropped first.
QString WithMnemonic(const QString& text, QString& taken);

}  // namespace hypsor
