// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/ToolkitLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace hypsor {

bool UseToolkitLanguage(int languageIndex) {
  // One translator for the whole program, owned by the application.
  static QTranslator* polish = nullptr;
  if (languageIndex != 0) {
    if (polish) QCoreApplication::removeTranslator(polish);
    return true;
  }
  if (!polish) {
    auto* t = new QTranslator(QCoreApplication::instance());
    if (!t->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      delete t;
      return false;
    }
    polish = t;
  }
  return QCoreApplication::installTranslator(polish);
}

}  // namespace hypsor
