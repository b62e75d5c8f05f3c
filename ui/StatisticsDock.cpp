// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/StatisticsDock.h"

#include <algorithm>

#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QTableWidget>

#include "files/FlightFile.h"
#include "flight/Decode.h"
#include "session/FlightWorkspace.h"
#include "text/QualityText.h"
#include "ui/FlightReport.h"

namespace hypsor {

namespace {

// Row titles, in the order of StatisticFields, then whether the landing was recorded.
constexpr Txt kRows[] = {Txt::StatApogee,  Txt::StatLaunch,      Txt::StatTimeToApogee,
                         Txt::StatLanding, Txt::StatDuration,    Txt::StatMaxClimb,
                         Txt::StatMaxSink, Txt::StatMeanDescent, Txt::StatLanded};
constexpr int kRowCount = static_cast<int>(std::size(kRows));
static_assert(kRowCount == StatisticFieldCount + 1);
// The rows after them, in the order of StatisticsDock::ExtraRow.
constexpr Txt kExtraRows[] = {Txt::StatRawApogee,        Txt::StatFilteredApogee,
                              Txt::StatApogeeDifference, Txt::StatSupportedApogee,
                              Txt::StatQuality,          Txt::StatSimulation,
                              Txt::StatSimApogeeError,   Txt::StatSimTimeToApogeeError,
                              Txt::StatSimRmsAscent};
constexpr int kExtraCount = static_cast<int>(std::size(kExtraRows));
static_assert(StatisticsDock::Sha256Row == kRowCount + kExtraCount);

// The apogees and the flags of one flight's column.
QStringList QualityColumn(const FlightWorkspace& w, const FlightQualities& qualities,
                          FlightSlot slot, bool shown) {
  QStringList cells;
  const FlightQuality q = shown ? qualities.Of(slot) : FlightQuality{};
  const ExplainedApogee& a = q.apogee;
  const QChar point = QLocale().decimalPoint().at(0);
  const int language = w.LanguageIndex();
  const Flight& f = slot == FlightSlot::Main ? w.MainFlight() : w.ComparisonFlight();
  auto at = [&](float metres, double seconds) {
    return Text(Txt::ApogeeAtShort, language)
        .arg(FormatAltitude(metres, point), FormatFixed(seconds, 2, point));
  };
  cells << (a.valid ? at(a.rawM, a.rawS) : QString());
  cells << (a.filtered ? at(a.filteredM, a.filteredS) : QString());
  cells << (a.filtered ? FormatAltitude(a.differenceM, point) : QString());
  cells << (a.valid ? at(a.supportedM, a.supportedS) : QString());
  // The flags by name, one line for all; each flag's sentence is the cell's tooltip.
  QStringList names;
  for (const QString& text : QualityTexts(q, f.TimeLabelStep, language, point))
    names << text.left(text.indexOf(QStringLiteral(": ")));
  cells << (!shown ? QString()
                   : names.isEmpty() ? w.T(Txt::StatQualityNone) : names.join(QStringLiteral(", ")));
  return cells;
}

// The tooltips of the apogee and quality cells: the apogees with their samples, the flags'
// sentences and which apogee the data support: the whole story the cells give in short.
QString QualityStory(const FlightWorkspace& w, const FlightQualities& qualities, FlightSlot slot) {
  const FlightQuality& q = qualities.Of(slot);
  const ExplainedApogee& a = q.apogee;
  const QChar point = QLocale().decimalPoint().at(0);
  const int language = w.LanguageIndex();
  const Flight& f = slot == FlightSlot::Main ? w.MainFlight() : w.ComparisonFlight();
  QStringList parts = QualityTexts(q, f.TimeLabelStep, language, point);
  const QString why = ApogeeExplanation(q, language, point);
  if (!why.isEmpty()) parts << why;
  if (a.valid) {
    parts << Text(Txt::StatRawApogee, language) + QStringLiteral(": ") +
                 ApogeeAtText(a.rawM, a.rawS, a.rawIndex, language, point);
    if (a.filtered)
      parts << Text(Txt::StatFilteredApogee, language) + QStringLiteral(": ") +
                   ApogeeAtText(a.filteredM, a.filteredS, a.filteredIndex, language, point);
    parts << Text(Txt::StatSupportedApogee, language) + QStringLiteral(": ") +
                 ApogeeAtText(a.supportedM, a.supportedS, a.supportedIndex, language, point);
  }
  return parts.join(QLatin1Char('\n'));
}

FlightSlot FlightOfColumn(int column) {
  return column == 0 ? FlightSlot::Main : FlightSlot::Comparison;
}

// The main flight against its simulation (the comparison's column stays empty).
QStringList SimulationColumn(const FlightWorkspace& w) {
  QStringList cells;
  if (!w.HasSimulation()) return {QString(), QString(), QString(), QString()};
  const QChar point = QLocale().decimalPoint().at(0);
  cells << FlightFileCaption(w.SimulationPath());
  const std::optional<SimulationComparison> c = w.CompareSimulation();
  if (!c) return cells << w.T(Txt::SimulationNoLaunch) << QString() << QString();
  cells << FormatFixed(c->apogeeErrorM, 1, point) + QStringLiteral(" m (") +
               FormatFixed(c->apogeeErrorPercent, 1, point) + QStringLiteral(" %)");
  cells << FormatFixed(c->timeToApogeeErrorS, 2, point);
  cells << FormatFixed(c->rmsAscentM, 2, point);
  return cells;
}

// The column of one flight: empty without a flight, words where a value does not exist.
QStringList Column(const FlightWorkspace& w, const FlightStatistics& s, bool shown) {
  QStringList cells;
  if (!shown) {
    for (int i = 0; i < kRowCount; ++i) cells << QString();
    return cells;
  }
  if (!s.enoughSamples) {
    cells << w.T(Txt::StatTooShort);
    for (int i = 1; i < kRowCount; ++i) cells << QString();
    return cells;
  }
  const QChar point = QLocale().decimalPoint().at(0);
  for (const StatisticField& f : StatisticFields(s, point)) cells << f.value;
  if (!s.launched) {
    cells[1] = w.T(Txt::StatNoLaunch);
    cells << QString();
  } else {
    cells << w.T(s.landed ? Txt::StatYes : Txt::StatNotLanded);
  }
  return cells;
}

}  // namespace

StatisticsDock::StatisticsDock(QWidget* parent) : QDockWidget(parent), table_(new QTableWidget) {
  setObjectName(QStringLiteral("statisticsDock"));
  table_->setObjectName(QStringLiteral("statisticsTable"));
  table_->setRowCount(Sha256Row + 1);  // and the digest of each flight's file
  table_->setColumnCount(2);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // One Tab stop: the arrow keys move inside, Tab moves on.
  table_->setTabKeyNavigation(false);
  // One line a cell: a longer value ends in "…" and its tooltip gives it whole.
  table_->setWordWrap(false);
  table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  // A long file name shows its start; the whole name is the header's tooltip.
  table_->horizontalHeader()->setTextElideMode(Qt::ElideRight);
  table_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  for (int r = 0; r <= Sha256Row; ++r)
    for (int c = 0; c < 2; ++c) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, c, item);
    }
  setWidget(table_);
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
              QDockWidget::DockWidgetFloatable);
}

void StatisticsDock::Show(const FlightWorkspace& w, const FlightQualities& qualities) {
  setWindowTitle(w.T(Txt::StatisticsPanel));
  QStringList rows;
  for (Txt t : kRows) rows << w.T(t);
  for (Txt t : kExtraRows) rows << w.T(t);
  rows << w.T(Txt::StatisticsSha256);
  table_->setVerticalHeaderLabels(rows);
  const bool mainShown = !w.Chart()[Curve::Altitude].empty();
  const bool comparisonShown = !w.Chart()[Curve::Comparison].empty();
  // The file's name, whatever the language: the panels' captions go back to their own words
  // when it changes.
  auto caption = [&w](FlightSlot slot, Txt own) {
    const QString name = FlightFileCaption(w.ShownFlightPath(slot));
    return name.isEmpty() ? w.T(own) : name;
  };
  table_->setHorizontalHeaderLabels({caption(FlightSlot::Main, Txt::MainFlightGroup),
                                     caption(FlightSlot::Comparison, Txt::ComparisonGroup)});
  for (int c = 0; c < 2; ++c) {
    QTableWidgetItem* header = table_->horizontalHeaderItem(c);
    header->setToolTip(header->text());
  }
  const QStringList columns[2] = {Column(w, w.Statistics(FlightSlot::Main), mainShown),
                                  Column(w, w.Statistics(FlightSlot::Comparison), comparisonShown)};
  for (int c = 0; c < 2; ++c)
    for (int r = 0; r < kRowCount; ++r) table_->item(r, c)->setText(columns[c][r]);
  const QStringList extra[2] = {
      QualityColumn(w, qualities, FlightSlot::Main, mainShown) + SimulationColumn(w),
      QualityColumn(w, qualities, FlightSlot::Comparison, comparisonShown) +
          QStringList{QString(), QString(), QString(), QString()}};
  const bool shownIn[2] = {mainShown, comparisonShown};
  for (int c = 0; c < 2; ++c) {
    const QString story = shownIn[c] ? QualityStory(w, qualities, FlightOfColumn(c)) : QString();
    for (int r = 0; r < kExtraCount; ++r) {
      QTableWidgetItem* item = table_->item(kRowCount + r, c);
      item->setText(extra[c][r]);
      const int row = kRowCount + r;
      const bool toldInFull = row == RawApogeeRow || row == FilteredApogeeRow ||
                              row == SupportedApogeeRow || row == QualityRow;
      item->setToolTip(toldInFull && !extra[c][r].isEmpty() ? story : extra[c][r]);
    }
  }
  // The SHA-256 the report and `hypsor-cli info` give: of the file as stored.
  for (int c = 0; c < 2; ++c) {
    QTableWidgetItem* item = table_->item(Sha256Row, c);
    item->setText(shownIn[c] ? FlightSha256(w, FlightOfColumn(c)) : QString());
    item->setToolTip(item->text());
  }
  language_ = w.LanguageIndex();
}

QSize StatisticsDock::sizeHint() const {
  // The row titles as they need, and for each flight's column the widest value a flight gives
  // (an apogee with its time) on one line, so values do not start out cut to "9.30 s …". The
  // panel is laid out before any flight is open, so the value is a model one; the user may
  // narrow the panel or widen it.
  const QString widest = Text(Txt::ApogeeAtShort, language_)
                             .arg(QStringLiteral("8888.8"), QStringLiteral("88.88"));
  const int value = table_->fontMetrics().horizontalAdvance(widest) + 16;
  const int width = table_->verticalHeader()->sizeHint().width() + 2 * value +
                    table_->verticalScrollBar()->sizeHint().width() + 2 * table_->frameWidth();
  return {std::max(width, QDockWidget::sizeHint().width()), QDockWidget::sizeHint().height()};
}

QString StatisticsDock::Value(int row, int column) const {
  const QTableWidgetItem* item = table_->item(row, column);
  return item ? item->text() : QString();
}

QString StatisticsDock::ToolTip(int row, int column) const {
  const QTableWidgetItem* item = table_->item(row, column);
  return item ? item->toolTip() : QString();
}

}  // namespace hypsor
