// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/VerifyReport.h"

#include "text/FailureText.h"
#include "text/Texts.h"

namespace hypsor {

QString VerifyReport(const ContestCheck& check, int languageIndex) {
  QString text;
  int counts[3] = {};
  auto line = [&](FlightLevel level, const QString& what, const QString& why) {
    text += LevelCode(level).leftJustified(9) + what;
    if (!why.isEmpty()) text += QStringLiteral("  ") + why;
    text += QLatin1Char('\n');
  };
  for (const FlightRecord& f : check.flights) {
    const QStringList flags = VerifyFlags(f);
    const FlightLevel level = VerifyLevel(f);
    ++counts[static_cast<int>(level)];
    QStringList why;
    if (f.reasons) why << StatusText(f.reasons);
    if (!flags.isEmpty()) why << QStringLiteral("flags: ") + flags.join(QLatin1Char(' '));
    line(level, f.file, why.join(QStringLiteral("  ")));
  }
  for (const FolderNote& n : check.notes)
    line(LevelOf(n.reasons), n.what,
         StatusText(n.reasons) + QStringLiteral(" (") + FailureText(n.problem, languageIndex) +
             QLatin1Char(')'));
  text += Text(Txt::VerifyReportSummary, languageIndex)
              .arg(check.flights.size())
              .arg(counts[0])
              .arg(counts[1])
              .arg(counts[2])
              .arg(check.notes.size());
  text += QLatin1Char('\n');
  return text;
}

}  // namespace hypsor
