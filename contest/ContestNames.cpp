// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/ContestNames.h"

#include <QRegularExpression>

#include "platform/AtomicFile.h"

namespace hypsor {

namespace {

constexpr char kTimeFormat[] = "yyyyMMdd-HHmmss";

const QRegularExpression& ContestNamePattern() {
  static const QRegularExpression kPattern(
      QStringLiteral("^(C\\d+_S\\d+_(\\d{8}-\\d{6}))(?:-(\\d{1,6}))?\\.hyp$"));
  return kPattern;
}

}  // namespace

QString ContestFileName(unsigned competitor, unsigned serial, const QDateTime& local, int attempt) {
  QString name = QStringLiteral("C%1_S%2_%3")
                     .arg(competitor)
                     .arg(serial)
                     .arg(local.toString(QLatin1String(kTimeFormat)));
  if (attempt > 1) name += QStringLiteral("-%1").arg(attempt);
  return name + QStringLiteral(".hyp");
}

QString DownloadOrderKey(const QString& fileName) {
  const QRegularExpressionMatch m = ContestNamePattern().match(fileName);
  if (!m.hasMatch()) return fileName;
  const int attempt = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
  return m.captured(1) + QStringLiteral("~%1").arg(attempt, 6, 10, QLatin1Char('0'));
}

std::optional<QDateTime> ContestFileTime(QStringView fileName) {
  const QRegularExpressionMatch m = ContestNamePattern().match(fileName.toString());
  if (!m.hasMatch()) return std::nullopt;
  QDateTime t = QDateTime::fromString(m.captured(2), QLatin1String(kTimeFormat));
  if (!t.isValid()) return std::nullopt;
  return t;
}

std::optional<NamedNumbers> ContestFileNumbers(QStringView fileName) {
  const QRegularExpressionMatch m = ContestNamePattern().match(fileName.toString());
  if (!m.hasMatch()) return std::nullopt;
  const QString stem = m.captured(1);  // C<competitor>_S<serial>_<time>
  const qsizetype s = stem.indexOf(QLatin1String("_S"));
  const qsizetype t = stem.indexOf(QLatin1Char('_'), s + 2);
  bool ok1 = false, ok2 = false;
  NamedNumbers n;
  n.competitor = stem.mid(1, s - 1).toUInt(&ok1);
  n.serial = stem.mid(s + 2, t - s - 2).toUInt(&ok2);
  if (!ok1 || !ok2) return std::nullopt;
  return n;
}

bool IsFlightFileName(QStringView fileName) {
  return fileName.size() > 4 && fileName.endsWith(u".hyp", Qt::CaseInsensitive) &&
         !IsTemporarySaveName(fileName);
}

}  // namespace hypsor
