// SPDX-License-Identifier: GPL-3.0-or-later
// results and download --session: a contest folder from the command line, with the same core as
// the window's contest session.
#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include "cli/Commands.h"
#include "contest/ContestSession.h"
#include "contest/Ranking.h"
#include "contest/ResultsTable.h"

namespace hypsor::cli {

namespace {

// CSV records as columns padded to their widest field, two blanks apart.
void PrintAligned(const QByteArray& csv, QTextStream& out) {
  std::vector<QStringList> records;
  SplitCsv(QString::fromUtf8(csv), records);
  std::vector<qsizetype> width;
  for (const QStringList& r : records) {
    width.resize(std::max<std::size_t>(width.size(), static_cast<std::size_t>(r.size())), 0);
    for (qsizetype k = 0; k < r.size(); ++k)
      width[static_cast<std::size_t>(k)] =
          std::max(width[static_cast<std::size_t>(k)], r[k].size());
  }
  for (const QStringList& r : records) {
    QString line;
    for (qsizetype k = 0; k < r.size(); ++k) {
      if (k > 0) line += QStringLiteral("  ");
      line += k + 1 < r.size() ? r[k].leftJustified(width[static_cast<std::size_t>(k)]) : r[k];
    }
    out << line << '\n';
  }
}

}  // namespace

int RunResults(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions options(QStringLiteral("results"), QStringLiteral("DIR [--csv] [--flights]"),
                         QStringLiteral("Rank the competitors by best apogee from the flight "
                                        "files of a contest folder."));
  options.AddPositional(QStringLiteral("DIR"), QStringLiteral("The contest folder."));
  options.AddFlag(QStringLiteral("csv"), QStringLiteral("Print CSV instead of aligned columns."));
  options.AddFlag(QStringLiteral("flights"),
                  QStringLiteral("Print the table of flights instead of the ranking."));
  if (const auto status = options.Parse(args, out, err)) return *status;
  const QString folder = options.Positional().value(0);
  const bool csv = options.IsSet(QStringLiteral("csv"));
  const bool flights = options.IsSet(QStringLiteral("flights"));
  if (!QFileInfo(folder).isDir()) {
    err << "hypsor-cli: " << folder << " is not a folder\n";
    return ExitFile;
  }
  FolderScan scan = ScanContestFolder(folder);
  for (const QString& problem : scan.problems) err << "hypsor-cli: skipped: " << problem << '\n';
  if (scan.flights.empty()) {
    err << "hypsor-cli: no flight file could be read in " << folder << '\n';
    return ExitFile;
  }
  // The scan lists the flights by file name.
  const QByteArray table =
      flights ? FlightTableCsv(scan.flights) : RankingCsv(RankCompetitors(scan.flights));
  if (csv)
    out << QString::fromUtf8(table);
  else
    PrintAligned(table, out);
  return ExitOk;
}

int DownloadIntoSession(const QString& folder, const Flight& flight, std::int32_t byteCount,
                        QTextStream& out, QTextStream& err) {
  ContestSession session;
  QString error;
  if (!session.Start(folder, QString(), &error)) {
    err << "hypsor-cli: " << error << '\n';
    return ExitFile;
  }
  FlightRecord kept;
  const std::span<const std::uint8_t> bytes(flight.bytes.data(),
                                            static_cast<std::size_t>(byteCount));
  if (!session.KeepDownload(bytes, QDateTime::currentDateTime(), &kept, &error)) {
    err << "hypsor-cli: " << error << '\n';
    return ExitFile;
  }
  if (!kept.complete)
    err << "hypsor-cli: kept without its end marker, marked incomplete in results.csv\n";
  out << QDir(folder).filePath(kept.file) << '\n';
  return ExitOk;
}

}  // namespace hypsor::cli
