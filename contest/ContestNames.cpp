#include "contest/ContestNames.h"

#include <QRegularExpression>

#include "platform/AtomicFile.h"

namespace hypsor {

namespace {
constexpr char kTimeFormat[] = "yyyyMMdd-HHmmss";
}

QString ContestFileName(unsigned competitor, unsigned serial, const QDateTime& local, int attempt) {
  QString name = QStringLiteral("C%1_S%2_%3")
                     .arg(competitor)
                     .arg(serial)
                     .arg(local.toString(QLatin1String(kTimeFormat)));
  if (attempt > 1) name += QStringLiteral("-%1").arg(attempt);
  return name + QStringLiteral(".hyp");
}

std::optional<QDateTime> ContestFileTime(QStringView fileName) {
  static const QRegularExpression kPattern(
      QStringLiteral("^C\\d+_S\\d+_(\\d{8}-\\d{6})(?:-\\d+)?\\.hyp$"));
  const QRegularExpressionMatch m = kPattern.match(fileName.toString());
  if (!m.hasMatch()) return std::nullopt;
  QDateTime t = QDateTime::fromString(m.captured(1), QLatin1String(kTimeFormat));
  if (!t.isValid()) return std::nullopt;
  return t;
}

bool IsFlightFileName(QStringView fileName) {
  return fileName.size() > 4 && fileName.endsWith(u".hyp", Qt::CaseInsensitive) &&
         !IsTemporarySaveName(fileName);
}

}  // namespace hypsor
