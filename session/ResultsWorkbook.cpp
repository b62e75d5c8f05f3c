// SPDX-License-Identifier: GPL-3.0-or-later
// The results spreadsheet, through libxlsxwriter.
#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <set>

#include "contest/LatinLetters.h"
#include "session/ResultsExports.h"
#include "text/RulebookText.h"

namespace hypsor {

namespace {

// A sheet name as the format takes it: at most 31 characters, none of []:*?/\ and unique.
QString SheetName(QString name, std::set<QString>& taken) {
  for (QChar& c : name)
    if (QStringLiteral("[]:*?/\\").contains(c)) c = QLatin1Char('_');
  name = LatinLetters(name).left(28);
  QString unique = name;
  for (int k = 2; taken.count(unique.toLower()); ++k) unique = name + QStringLiteral("-%1").arg(k);
  taken.insert(unique.toLower());
  return unique;
}

class Sheet {
 public:
  Sheet(lxw_worksheet* sheet, lxw_format* bold, lxw_format* number)
      : sheet_(sheet), bold_(bold), number_(number) {}
  void Text(int row, int col, const QString& text, bool strong = false) {
    if (text.isEmpty()) return;
    worksheet_write_string(sheet_, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                           LatinLetters(text).toUtf8().constData(), strong ? bold_ : nullptr);
  }
  void Number(int row, int col, const std::optional<double>& v) {
    if (v) worksheet_write_number(sheet_, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col), *v, number_);
  }
  void Width(int first, int last, double width) {
    worksheet_set_column(sheet_, static_cast<lxw_col_t>(first), static_cast<lxw_col_t>(last), width, nullptr);
  }

 private:
  lxw_worksheet* sheet_;
  lxw_format* bold_;
  lxw_format* number_;
};

}  // namespace

bool WriteResultsWorkbook(const QString& path, const QString& contest,
                          const std::vector<EventResults>& events, const ContestBook& book,
                          int language, Failure* error) {
  const QString part = path + QStringLiteral(".part");
  auto fail = [&](const QString& why) {
    QFile::remove(part);
    Failure f = Failure::Of(FailureKind::WorkbookWrite, QDir::toNativeSeparators(path));
    f.found = why;
    return Fail(error, f);
  };
  lxw_workbook* workbook = workbook_new(QFile::encodeName(part).constData());
  if (!workbook) return fail(QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(part)));
  lxw_format* bold = workbook_add_format(workbook);
  format_set_bold(bold);
  std::set<QString> taken;
  for (const EventResults& r : events) {
    lxw_format* number = workbook_add_format(workbook);
    format_set_num_format(number, r.pack.decimals > 0
                                      ? ("0." + QByteArray(r.pack.decimals, '0')).constData()
                                      : "0");
    Sheet s(workbook_add_worksheet(workbook, SheetName(r.event, taken).toUtf8().constData()), bold, number);
    s.Text(0, 0, contest, true);
    s.Text(1, 0, r.event + QStringLiteral(" - ") + r.pack.title +
                     (r.pack.eventClass.isEmpty() ? QString() : QStringLiteral(" ") + r.pack.eventClass));
    const QList<ResultsColumn> lead = {ResultsColumn::Place, ResultsColumn::Number,
                                       ResultsColumn::Name, ResultsColumn::Nation,
                                       ResultsColumn::Licence};
    int col = 0;
    for (ResultsColumn c : lead) s.Text(3, col++, ColumnName(c, language), true);
    for (int k = 1; k <= r.pack.rounds; ++k)
      s.Text(3, col++, ColumnName(ResultsColumn::Round, language).arg(k), true);
    s.Text(3, col++, ColumnName(ResultsColumn::Score, language), true);
    s.Text(3, col, ColumnName(ResultsColumn::Remarks, language), true);
    s.Width(2, 2, 24);
    s.Width(col, col, 60);
    int row = 4;
    for (const EventRow& e : r.rows) {
      if (e.place) s.Number(row, 0, e.place);
      s.Number(row, 1, e.competitor.number);
      s.Text(row, 2, e.competitor.name);
      s.Text(row, 3, e.competitor.nation);
      s.Text(row, 4, e.competitor.licence);
      int c = 5;
      for (const auto& score : e.roundScores) s.Number(row, c++, score);
      s.Number(row, c++, e.score);
      QStringList remarks;
      if (e.tie) remarks << RulebookText(RulebookTxt::Tie, language);
      if (!e.remarks.empty()) remarks << RemarksText(e.remarks, language);
      s.Text(row, c, remarks.join(QStringLiteral("; ")));
      ++row;
    }
    if (!r.teams.empty()) {
      Sheet t(workbook_add_worksheet(
                  workbook, SheetName(r.event + QStringLiteral(" teams"), taken).toUtf8().constData()),
              bold, number);
      t.Text(0, 0, contest, true);
      t.Text(1, 0, r.event + QStringLiteral(" - ") + ColumnName(ResultsColumn::Team, language));
      t.Text(3, 0, ColumnName(ResultsColumn::Place, language), true);
      t.Text(3, 1, ColumnName(ResultsColumn::Team, language), true);
      t.Text(3, 2, ColumnName(ResultsColumn::Members, language), true);
      t.Text(3, 3, ColumnName(ResultsColumn::Score, language), true);
      int tr = 4;
      for (const TeamRow& team : r.teams) {
        QStringList members;
        for (unsigned m : team.members) members << QString::number(m);
        t.Number(tr, 0, team.place);
        t.Text(tr, 1, team.team);
        t.Text(tr, 2, members.join(QStringLiteral(", ")));
        t.Number(tr, 3, team.score);
        ++tr;
      }
    }
  }
  // The jury's decisions, in the order the log records them.
  Sheet jury(workbook_add_worksheet(workbook, SheetName(QStringLiteral("Jury"), taken).toUtf8().constData()),
             bold, nullptr);
  const QList<ResultsColumn> heads = {ResultsColumn::Time,  ResultsColumn::File,
                                      ResultsColumn::Event, ResultsColumn::Round,
                                      ResultsColumn::Status, ResultsColumn::Reason,
                                      ResultsColumn::By};
  for (int k = 0; k < heads.size(); ++k)
    jury.Text(0, k,
              heads[k] == ResultsColumn::Round
                  ? ColumnName(heads[k], language).arg(QString()).trimmed()
                  : ColumnName(heads[k], language),
              true);
  std::vector<const JuryDecision*> decisions;
  for (const auto& [file, list] : book.decisions)
    for (const JuryDecision& d : list) decisions.push_back(&d);
  std::sort(decisions.begin(), decisions.end(),
            [](const JuryDecision* a, const JuryDecision* b) { return a->line < b->line; });
  int row = 1;
  for (const JuryDecision* d : decisions) {
    const auto a = book.assignments.find(d->file);
    jury.Text(row, 0, d->time);
    jury.Text(row, 1, d->file);
    if (a != book.assignments.end()) {
      jury.Text(row, 2, a->second.event);
      jury.Number(row, 3, a->second.round);
    }
    jury.Text(row, 4, StatusWord(d->status, language));
    jury.Text(row, 5, d->reason);
    jury.Text(row, 6, d->by);
    ++row;
  }
  jury.Width(0, 1, 28);
  const lxw_error closed = workbook_close(workbook);
  if (closed != LXW_NO_ERROR) return fail(QString::fromUtf8(lxw_strerror(closed)));
  if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) != 0) {
    QFile::remove(path);
    if (!QFile::rename(part, path)) return fail(QStringLiteral("cannot rename %1").arg(part));
  }
  return true;
}

}  // namespace hypsor
