// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ResultsExports.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#include "contest/LatinLetters.h"
#include "contest/ResultsTable.h"
#include "text/FailureText.h"
#include "text/RulebookText.h"

namespace hypsor {

namespace {

QJsonValue Number(const std::optional<double>& v) {
  return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

QString Cell(const std::optional<double>& v, int decimals) {
  return v ? ScoreText(*v, decimals) : QString();
}

}  // namespace

QByteArray EventResultsJson(const EventResults& r) {
  QJsonArray rows;
  for (const EventRow& row : r.rows) {
    QJsonArray rounds;
    for (const FlightCell& c : row.flights)
      rounds.append(QJsonObject{{"round", c.round},
                                {"file", c.file},
                                {"altitude_m", Number(c.altitudeM)},
                                {"status", c.status},
                                {"score", Number(c.score)},
                                {"counted", c.counted}});
    QJsonArray remarks;
    for (const Remark& m : row.remarks) remarks.append(RemarkText(m, kEnglish));
    const Competitor& p = row.competitor;
    rows.append(QJsonObject{{"place", row.place ? QJsonValue(row.place) : QJsonValue()},
                            {"number", static_cast<int>(p.number)},
                            {"name", p.name},
                            {"nation", p.nation},
                            {"club", p.club},
                            {"licence", p.licence},
                            {"category", p.category},
                            {"rounds", rounds},
                            {"score", Number(row.score)},
                            {"tie", row.tie},
                            {"remarks", remarks}});
  }
  QJsonArray teams;
  for (const TeamRow& t : r.teams) {
    QJsonArray members;
    for (unsigned m : t.members) members.append(static_cast<int>(m));
    teams.append(QJsonObject{{"place", t.place}, {"team", t.team}, {"members", members},
                             {"score", t.score}, {"complete", t.complete}});
  }
  QJsonArray jury;
  for (const Remark& m : r.forJury)
    jury.append(QJsonObject{{"competitor", m.detail.toInt()}, {"round", m.round},
                            {"remark", RemarkText(m, kEnglish)}});
  const QJsonObject doc{{"event", r.event}, {"pack", r.pack.id}, {"title", r.pack.title},
                        {"rows", rows}, {"teams", teams}, {"jury", jury}};
  return QJsonDocument(doc).toJson(QJsonDocument::Indented);
}

QByteArray EventResultsCsv(const EventResults& r) {
  QStringList header = {QStringLiteral("place"), QStringLiteral("number"), QStringLiteral("name"),
                        QStringLiteral("nation"), QStringLiteral("club"), QStringLiteral("licence"),
                        QStringLiteral("category")};
  for (int k = 1; k <= r.pack.rounds; ++k) header << QStringLiteral("round_%1").arg(k);
  header << QStringLiteral("score") << QStringLiteral("tie") << QStringLiteral("remarks");
  QString text = CsvLine(header) + QLatin1Char('\n');
  for (const EventRow& row : r.rows) {
    const Competitor& p = row.competitor;
    QStringList fields = {row.place ? QString::number(row.place) : QString(),
                          QString::number(p.number), p.name, p.nation, p.club, p.licence,
                          p.category};
    for (const auto& s : row.roundScores) fields << Cell(s, r.pack.decimals);
    fields << Cell(row.score, r.pack.decimals)
           << (row.tie ? QStringLiteral("yes") : QStringLiteral("no"))
           << RemarksText(row.remarks, kEnglish);
    text += CsvLine(fields) + QLatin1Char('\n');
  }
  return text.toUtf8();
}

bool ResultsUnsettled(const EventResults& r) {
  if (!r.forJury.empty()) return true;
  for (const EventRow& row : r.rows)
    for (const Remark& m : row.remarks)
      if (m.kind == RemarkKind::RecordState || m.kind == RemarkKind::LateEntryValue) return true;
  return false;
}

QByteArray EventResultsHtml(const EventResults& r, const QString& contest, bool provisional,
                            const QDateTime& made, int language) {
  const QString title = (contest.isEmpty() ? QString() : contest + QStringLiteral(" — ")) +
                        r.event + QStringLiteral(" (") + r.pack.title + QLatin1Char(')');
  QString html = QStringLiteral(
                     "<!DOCTYPE html>\n<html lang=\"%2\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<title>%1</title>\n<style>\n"
                     "body{font-family:sans-serif;margin:2em}\n"
                     "table{border-collapse:collapse;margin-bottom:1.5em}\n"
                     "th,td{border:1px solid #999;padding:.3em .8em;text-align:left}\n"
                     "td.n{text-align:right}\ntd.c{font-weight:bold}\n"
                     "tr.unplaced td{color:#777}\n.stamp{font-weight:bold}\n"
                     "</style>\n</head>\n<body>\n<h1>%1</h1>\n")
                     .arg(title.toHtmlEscaped(), language ? QStringLiteral("en") : QStringLiteral("pl"));
  html += QStringLiteral("<p class=\"stamp\">%1</p>\n")
              .arg(ResultsStamp(provisional, made.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                                language).toHtmlEscaped());
  html += QStringLiteral("<table>\n<tr>");
  QStringList heads = {ColumnName(ResultsColumn::Place, language),
                       ColumnName(ResultsColumn::Number, language),
                       ColumnName(ResultsColumn::Name, language),
                       ColumnName(ResultsColumn::Nation, language)};
  for (int k = 1; k <= r.pack.rounds; ++k)
    heads << ColumnName(ResultsColumn::Round, language).arg(k);
  heads << ColumnName(ResultsColumn::Score, language) << ColumnName(ResultsColumn::Remarks, language);
  for (const QString& h : heads) html += QStringLiteral("<th>%1</th>").arg(h.toHtmlEscaped());
  html += QStringLiteral("</tr>\n");
  for (const EventRow& row : r.rows) {
    html += row.place ? QStringLiteral("<tr>") : QStringLiteral("<tr class=\"unplaced\">");
    html += QStringLiteral("<td class=\"n\">%1%2</td><td class=\"n\">%3</td><td>%4</td><td>%5</td>")
                .arg(row.place ? QString::number(row.place) : QString(),
                     row.tie ? QStringLiteral("=") : QString(),
                     QString::number(row.competitor.number), row.competitor.name.toHtmlEscaped(),
                     row.competitor.nation.toHtmlEscaped());
    for (const auto& s : row.roundScores)
      html += QStringLiteral("<td class=\"n\">%1</td>").arg(Cell(s, r.pack.decimals));
    html += QStringLiteral("<td class=\"n c\">%1</td><td>%2</td></tr>\n")
                .arg(Cell(row.score, r.pack.decimals),
                     RemarksText(row.remarks, language).toHtmlEscaped());
  }
  html += QStringLiteral("</table>\n");
  if (!r.teams.empty()) {
    html += QStringLiteral("<h2>%1</h2>\n<table>\n<tr><th>%2</th><th>%1</th><th>%3</th><th>%4</th></tr>\n")
                .arg(ColumnName(ResultsColumn::Team, language).toHtmlEscaped(),
                     ColumnName(ResultsColumn::Place, language).toHtmlEscaped(),
                     ColumnName(ResultsColumn::Members, language).toHtmlEscaped(),
                     ColumnName(ResultsColumn::Score, language).toHtmlEscaped());
    for (const TeamRow& t : r.teams) {
      QStringList members;
      for (unsigned m : t.members) members << QString::number(m);
      html += QStringLiteral("<tr><td class=\"n\">%1</td><td>%2</td><td>%3</td><td class=\"n c\">%4</td></tr>\n")
                  .arg(QString::number(t.place), t.team.toHtmlEscaped(), members.join(QStringLiteral(", ")),
                       ScoreText(t.score, r.pack.decimals));
    }
    html += QStringLiteral("</table>\n");
  }
  html += QStringLiteral("<p>%1: %2, %3, %4</p>\n</body>\n</html>\n")
              .arg(r.pack.id.toHtmlEscaped(), r.pack.document.toHtmlEscaped(),
                   r.pack.edition.toHtmlEscaped(), r.pack.ruleNumbers.toHtmlEscaped());
  return html.toUtf8();
}

}  // namespace hypsor
