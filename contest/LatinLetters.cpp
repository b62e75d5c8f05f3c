// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/LatinLetters.h"

#include <map>

namespace hypsor {

namespace {

// Letters that are not a Latin letter plus marks, so decomposition leaves them as they are.
const std::map<char16_t, const char*>& Spelled() {
  static const std::map<char16_t, const char*> kTable = {
      // Looked up by the small letter.
      {u'ł', "l"},  {u'đ', "d"},   {u'ø', "o"},    {u'ß', "ss"}, {u'æ', "ae"}, {u'œ', "oe"},
      {u'þ', "th"}, {u'ı', "i"},   {u'а', "a"},    {u'б', "b"},  {u'в', "v"},  {u'г', "g"},
      {u'ґ', "g"},  {u'д', "d"},   {u'е', "e"},    {u'ё', "e"},  {u'є', "ye"}, {u'ж', "zh"},
      {u'з', "z"},  {u'и', "i"},   {u'і', "i"},    {u'ї', "yi"}, {u'й', "y"},  {u'к', "k"},
      {u'л', "l"},  {u'м', "m"},   {u'н', "n"},    {u'о', "o"},  {u'п', "p"},  {u'р', "r"},
      {u'с', "s"},  {u'т', "t"},   {u'у', "u"},    {u'ф', "f"},  {u'х', "kh"}, {u'ц', "ts"},
      {u'ч', "ch"}, {u'ш', "sh"},  {u'щ', "shch"}, {u'ъ', ""},   {u'ы', "y"},  {u'ь', ""},
      {u'э', "e"},  {u'ю', "yu"},  {u'я', "ya"}};
  return kTable;
}

}  // namespace

QString LatinLetters(const QString& name) {
  QString out;
  for (QChar c : name) {
    if (c.unicode() < 0x80) {
      out += c;
      continue;
    }
    // Looked up before decomposing: й is not и with a mark in a name's Latin spelling.
    const QChar lower = c.toLower();
    const auto it = Spelled().find(lower.unicode());
    if (it != Spelled().end()) {
      QString latin = QString::fromLatin1(it->second);
      // A capital starts its spelling with a capital (Ł -> L, Ж -> Zh).
      if (c != lower && !latin.isEmpty()) latin[0] = latin[0].toUpper();
      out += latin;
      continue;
    }
    // A Latin letter with marks keeps the letter (ó -> o); anything else is no Latin letter.
    QString kept;
    for (QChar d : QString(c).normalized(QString::NormalizationForm_D))
      if (d.unicode() < 0x80) kept += d;
    out += kept.isEmpty() ? QStringLiteral("?") : kept;
  }
  return out;
}

}  // namespace hypsor
