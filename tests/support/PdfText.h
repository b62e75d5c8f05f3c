// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "tests/support/CliProcess.h"

namespace hypsor::test {

// The text of a PDF as a reader extracts it, laid out as on the page (poppler's pdftotext,
// which scripts/install-deps installs); the run's status says whether it could be read. The
// font's ligatures ("ﬁ") are read as their letters.
inline CliRun PdfText(const QString& path) {
  CliRun run = RunProgram(QStringLiteral("pdftotext"),
                          {QStringLiteral("-layout"), QStringLiteral("-enc"),
                           QStringLiteral("UTF-8"), path, QStringLiteral("-")});
  run.out = run.out.normalized(QString::NormalizationForm_KC);
  return run;
}

}  // namespace hypsor::test
