// SPDX-License-Identifier: GPL-3.0-or-later
// results, verify and download --session: a contest folder from the command line, with the same
// core as the window's contest session.
#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include "cli/Commands.h"
#include "contest/ContestSession.h"
#include "contest/FolderCheck.h"
#include "contest/Ranking.h"
#include "contest/ResultsTable.h"
#include "flight/Decode.h"
#include "flight/FlightStatistics.h"
#include "platform/AtomicFile.h"
#include "text/FailureText.h"
#include "text/VerifyReport.h"

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

// The table of flights as results.csv holds it, then each flight's data-quality flags and the
// apogee its data support (empty without one).
QByteArray TableWithFlags(const std::vector<FlightRecord>& flights) {
  QString text = FlightTableHeader() + QStringLiteral(
                                           ",flags,supported_apogee_m,supported_apogee_s,"
                                           "supported_apogee_sample\n");
  for (const FlightRecord& f : flights) {
    QStringList fields = FlightTableFields(f) << f.qualityFlags.join(QLatin1Char(' '));
    if (f.supportedApogeeM)
      fields << FormatAltitude(*f.supportedApogeeM, QLatin1Char('.'))
             << FormatFixed(f.supportedApogeeS, 2, QLatin1Char('.'))
             << QString::number(f.supportedApogeeSample);
    else
      fields << QString() << QString() << QString();
    text += CsvLine(fields) + QLatin1Char('\n');
  }
  return text.toUtf8();
}

}  // namespace

int RunResults(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions options(QStringLiteral("results"),
                         QStringLiteral("DIR [--csv] [--flights] [--all] [--html OUT] | "
                                        "DIR --event ID [--json|--csv|--html OUT|--pdf OUT "
                                        "[--official]] | "
                                        "DIR --xlsx OUT"),
                         QStringLiteral("Rank the competitors by best apogee from the flight "
                                        "files and the log of a contest folder. Only whole "
                                        "flights that are as they were kept are ranked; the "
                                        "others follow without a rank, with their status."));
  options.AddPositional(QStringLiteral("DIR"), QStringLiteral("The contest folder."));
  options.AddFlag(QStringLiteral("csv"), QStringLiteral("Print CSV instead of aligned columns."));
  options.AddFlag(
      QStringLiteral("flights"),
      QStringLiteral("Print the table of flights, each with its data-quality flags and the "
                     "apogee its data support after the table's columns, instead of "
                     "the ranking."));
  options.AddFlag(QStringLiteral("all"),
                  QStringLiteral("Rank every flight that has a file, its status marking it."));
  options.AddValue(QStringLiteral("html"), QStringLiteral("OUT"),
                   QStringLiteral("Write the ranking as one self-contained HTML page to OUT."));
  options.AddValue(QStringLiteral("event"), QStringLiteral("ID"),
                   QStringLiteral("The results of one event by its rule pack (a folder without "
                                  "events is the one event \"open\")."));
  options.AddFlag(QStringLiteral("json"),
                  QStringLiteral("With --event: an object with event, pack and rows (place, "
                                 "number, name, nation, rounds, score, tie)."));
  options.AddFlag(QStringLiteral("official"),
                  QStringLiteral("With --event and --html: mark the page official (it stays "
                                 "provisional while anything waits for the jury)."));
  options.AddValue(QStringLiteral("pdf"), QStringLiteral("OUT"),
                   QStringLiteral("With --event: the results as a notice-board PDF, provisional "
                                  "or official as with --html."));
  options.AddValue(QStringLiteral("xlsx"), QStringLiteral("OUT"),
                   QStringLiteral("Every event's results as one spreadsheet: a sheet per event, "
                                  "names in Latin letters, and the jury's decisions."));
  if (const auto status = options.Parse(args, out, err)) return *status;
  const QString folder = options.Positional().value(0);
  const bool csv = options.IsSet(QStringLiteral("csv"));
  const QString event = options.Value(QStringLiteral("event"));
  const QString xlsx = options.Value(QStringLiteral("xlsx"));
  if ((options.IsSet(QStringLiteral("json")) || options.IsSet(QStringLiteral("official")) ||
       options.IsSet(QStringLiteral("pdf"))) &&
      event.isEmpty())
    return options.Fail(err, QStringLiteral("--json, --pdf and --official go with --event"));
  if (!event.isEmpty() || !xlsx.isEmpty()) {
    if (!QFileInfo(folder).isDir()) {
      err << "hypsor-cli: " << FailureText(Failure::Of(FailureKind::NotAFolder, folder), kEnglish)
          << '\n';
      return ExitFile;
    }
    if (!xlsx.isEmpty()) return RulebookResults(folder, event, QStringLiteral("xlsx"), xlsx, false, out, err);
    const QString htmlOut = options.Value(QStringLiteral("html"));
    if (!htmlOut.isEmpty())
      return RulebookResults(folder, event, QStringLiteral("html"), htmlOut,
                             options.IsSet(QStringLiteral("official")), out, err);
    const QString pdfOut = options.Value(QStringLiteral("pdf"));
    if (!pdfOut.isEmpty())
      return RulebookResults(folder, event, QStringLiteral("pdf"), pdfOut,
                             options.IsSet(QStringLiteral("official")), out, err);
    if (options.IsSet(QStringLiteral("json")))
      return RulebookResults(folder, event, QStringLiteral("json"), {}, false, out, err);
    if (csv) return RulebookResults(folder, event, QStringLiteral("csv"), {}, false, out, err);
    QString text;
    QTextStream table(&text);
    const int status = RulebookResults(folder, event, QStringLiteral("csv"), {}, false, table, err);
    table.flush();
    if (status == ExitOk) PrintAligned(text.toUtf8(), out);
    return status;
  }
  const bool flights = options.IsSet(QStringLiteral("flights"));
  const QString html = options.Value(QStringLiteral("html"));
  if (!QFileInfo(folder).isDir()) {
    err << "hypsor-cli: " << FailureText(Failure::Of(FailureKind::NotAFolder, folder), kEnglish)
        << '\n';
    return ExitFile;
  }
  FilterTables work;
  const ContestCheck check = CheckContestFolder(folder, work, false);
  if (!check.readable) {
    err << "hypsor-cli: " << FailureText(check.failure, kEnglish) << '\n';
    return ExitFile;
  }
  for (const Failure& problem : check.unreadable)
    err << "hypsor-cli: skipped: " << FailureText(problem, kEnglish) << '\n';
  if (check.flights.empty()) {
    err << "hypsor-cli: "
        << FailureText(Failure::Of(FailureKind::NoFlightInFolder, folder), kEnglish) << '\n';
    return ExitFile;
  }
  const std::vector<RankingRow> ranking =
      RankCompetitors(check.flights, options.IsSet(QStringLiteral("all")));
  if (!html.isEmpty()) {
    Failure error;
    if (!WriteFileAtomically(
            html, RankingHtml(ranking, StoredContestName(folder), QDateTime::currentDateTime()),
            &error)) {
      err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
      return ExitFile;
    }
    return ExitOk;
  }
  const QByteArray table = flights ? TableWithFlags(check.flights) : RankingCsv(ranking);
  if (csv)
    out << QString::fromUtf8(table);
  else
    PrintAligned(table, out);
  return ExitOk;
}

int RunVerify(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions options(
      QStringLiteral("verify"), QStringLiteral("DIR"),
      QStringLiteral("Check a contest folder's flight files, its log and results.csv against each "
                     "other: one line per flight (valid, warning or invalid, with the reasons), "
                     "then a summary."));
  options.AddPositional(QStringLiteral("DIR"), QStringLiteral("The contest folder."));
  options.AppendHelp(QStringLiteral(
      "\nReasons: changed, missing, not-in-log, name-header-mismatch, incomplete,\n"
      "broken-chain, results-disagree, late (recorded after its download),\n"
      "no-log (a folder without a log).\n"
      "Data-quality flags (spike, pad-drift, stuck, incomplete, no-launch, no-landing,\n"
      "late-launch, short; see stats) are warnings.\n"
      "\nExit status: 0 every flight valid, 7 warnings only, 8 something invalid,\n"
      "2 the folder or its log cannot be read.\n"));
  if (const auto status = options.Parse(args, out, err)) return *status;
  const QString folder = options.Positional().value(0);
  FilterTables work;
  const ContestCheck check = CheckContestFolder(folder, work, true);
  if (!check.readable) {
    err << "hypsor-cli: " << FailureText(check.failure, kEnglish) << '\n';
    return ExitFile;
  }
  out << VerifyReport(check, kEnglish);
  switch (VerifyWorst(check)) {
    case FlightLevel::Valid: return ExitOk;
    case FlightLevel::Warning: return ExitVerifyWarnings;
    case FlightLevel::Invalid: break;
  }
  return ExitVerifyInvalid;
}

int OpenSessionForKeep(const QString& folder, ContestSession& session, QTextStream& err) {
  Failure error;
  if (!session.Start(folder, QString(), &error) || !session.CheckReady(&error)) {
    err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
    return ExitFile;
  }
  return ExitOk;
}

int KeepIntoSession(ContestSession& session, std::span<const std::uint8_t> bytes,
                    QTextStream& out, QTextStream& err) {
  FlightRecord kept;
  Failure error;
  const KeepOutcome outcome =
      session.KeepDownload(bytes, QDateTime::currentDateTime(), &kept, &error);
  if (outcome == KeepOutcome::Failed) {
    err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
    return ExitFile;
  }
  out << QDir(session.Folder()).filePath(kept.file) << '\n';
  if (outcome == KeepOutcome::KeptUnrecorded) {
    err << "hypsor-cli: " << FailureText(error, kEnglish)
        << "; the next keep or rebuild records it\n";
    return ExitUnrecorded;
  }
  if (!kept.complete)
    err << "hypsor-cli: kept without its end marker, marked incomplete in results.csv\n";
  return ExitOk;
}

}  // namespace hypsor::cli
