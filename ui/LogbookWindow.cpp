// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LogbookWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTimer>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <map>

#include "flight/FlightStatistics.h"
#include "logbook/LogbookAdd.h"
#include "platform/FileDialogs.h"
#include "text/FileFilters.h"

namespace hypsor {

namespace {

// The colour-blind-safe palette (Okabe and Ito), without its black: one colour per group.
const QColor kPalette[] = {QColor(0xE6, 0x9F, 0x00), QColor(0x56, 0xB4, 0xE9),
                           QColor(0x00, 0x9E, 0x73), QColor(0xF0, 0xE4, 0x42),
                           QColor(0x00, 0x72, 0xB2), QColor(0xD5, 0x5E, 0x00),
                           QColor(0xCC, 0x79, 0xA7)};

QString Fixed(const std::optional<double>& v, int decimals) {
  return v ? FormatFixed(*v, decimals, QLatin1Char('.')) : QString();
}

}  // namespace

// ---------------------------------------------------------------- the model

LogbookModel::LogbookModel(Logbook& logbook, const Logbook& reader, QObject* parent)
    : QSqlQueryModel(parent), logbook_(logbook), reader_(reader) {}

void LogbookModel::SetFilter(const LogbookFilter& filter) {
  filter_ = filter;
  Refresh();
}

void LogbookModel::SetLanguage(int language) {
  language_ = language;
  emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
  if (rowCount() > 0) emit dataChanged(index(0, State), index(rowCount() - 1, State));
}

void LogbookModel::Refresh() {
  if (!reader_.IsOpen()) {
    clear();
    return;
  }
  QSqlQuery q(QSqlDatabase::database(reader_.ConnectionName(), false));
  q.prepare(QStringLiteral("SELECT date, apogee_m, competitor, rocket, motor, site, note, flags, "
                           "missing + 2 * changed, path, sha256 FROM flights%1 "
                           "ORDER BY date DESC, path")
                .arg(Logbook::FilterSql(filter_)));
  Logbook::BindFilter(q, filter_);
  q.exec();
  setQuery(std::move(q));
}

QString LogbookModel::Sha256At(int row) const {
  return QSqlQueryModel::data(index(row, Sha256), Qt::DisplayRole).toString();
}

QVariant LogbookModel::data(const QModelIndex& index, int role) const {
  const QVariant v = QSqlQueryModel::data(index, role == Qt::EditRole ? Qt::DisplayRole : role);
  if (role != Qt::DisplayRole) return v;
  switch (index.column()) {
    case Date: return v.toString().replace(QLatin1Char('T'), QLatin1Char(' '));
    case Apogee: return v.isNull() ? QString() : FormatFixed(v.toDouble(), 1, QLatin1Char('.'));
    case State: {
      const int state = v.toInt();
      if (state & 1) return LogbookText(LogbookTxt::Missing, language_);
      if (state & 2) return LogbookText(LogbookTxt::Changed, language_);
      return QString();
    }
    default: return v;
  }
}

QVariant LogbookModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return QSqlQueryModel::headerData(section, orientation, role);
  const LogbookTxt names[] = {LogbookTxt::Date,  LogbookTxt::Apogee, LogbookTxt::Competitor,
                              LogbookTxt::Rocket, LogbookTxt::Motor, LogbookTxt::Site,
                              LogbookTxt::Note,  LogbookTxt::Flags,  LogbookTxt::State,
                              LogbookTxt::File};
  if (section < 0 || section >= static_cast<int>(std::size(names))) return QStringLiteral("SHA-256");
  return LogbookText(names[section], language_);
}

Qt::ItemFlags LogbookModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QSqlQueryModel::flags(index);
  if (index.column() >= Rocket && index.column() <= Note) f |= Qt::ItemIsEditable;
  return f;
}

bool LogbookModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
  LogbookTags tags;
  std::optional<QString>* tag[] = {&tags.rocket, &tags.motor, &tags.site, &tags.note};
  *tag[index.column() - Rocket] = value.toString().trimmed();
  Failure error;
  if (!logbook_.Tag(Sha256At(index.row()), tags, &error)) {
    if (onFailure) onFailure(error);
    return false;
  }
  Refresh();
  emit tagsChanged();
  return true;
}

// ---------------------------------------------------------------- the window

LogbookWindow::LogbookWindow(FileDialogService& dialogs, std::function<void(const Failure&)> report,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), report_(std::move(report)) {
  setObjectName(QStringLiteral("logbookWindow"));
  setAcceptDrops(true);
  model_ = new LogbookModel(logbook_, reader_, this);
  model_->onFailure = report_;

  tabs_ = new QTabWidget(this);
  auto* flights = new QWidget(tabs_);
  search_ = new QLineEdit(flights);
  search_->setObjectName(QStringLiteral("logbookSearch"));
  search_->setClearButtonEnabled(true);
  rocketLabel_ = new QLabel(flights);
  motorLabel_ = new QLabel(flights);
  siteLabel_ = new QLabel(flights);
  rocket_ = new QComboBox(flights);
  motor_ = new QComboBox(flights);
  site_ = new QComboBox(flights);
  rocket_->setObjectName(QStringLiteral("logbookRocket"));
  motor_->setObjectName(QStringLiteral("logbookMotor"));
  site_->setObjectName(QStringLiteral("logbookSite"));
  fromOn_ = new QCheckBox(flights);
  toOn_ = new QCheckBox(flights);
  fromOn_->setObjectName(QStringLiteral("logbookFromOn"));
  toOn_->setObjectName(QStringLiteral("logbookToOn"));
  from_ = new QDateEdit(QDate::currentDate().addYears(-1), flights);
  to_ = new QDateEdit(QDate::currentDate(), flights);
  from_->setObjectName(QStringLiteral("logbookFrom"));
  to_->setObjectName(QStringLiteral("logbookTo"));
  for (QDateEdit* d : {from_, to_}) {
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  }
  addFiles_ = new QPushButton(flights);
  addFolder_ = new QPushButton(flights);
  addFiles_->setObjectName(QStringLiteral("logbookAddFiles"));
  addFolder_->setObjectName(QStringLiteral("logbookAddFolder"));
  table_ = new QTableView(flights);
  table_->setObjectName(QStringLiteral("logbookTable"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  table_->verticalHeader()->hide();
  table_->setWordWrap(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  autoAdd_ = new QCheckBox(flights);
  autoAdd_->setObjectName(QStringLiteral("logbookAutoAdd"));
  summary_ = new QLabel(flights);
  summary_->setObjectName(QStringLiteral("logbookSummary"));

  auto* filters = new QHBoxLayout;
  filters->addWidget(rocketLabel_);
  filters->addWidget(rocket_, 1);
  filters->addWidget(motorLabel_);
  filters->addWidget(motor_, 1);
  filters->addWidget(siteLabel_);
  filters->addWidget(site_, 1);
  filters->addWidget(fromOn_);
  filters->addWidget(from_);
  filters->addWidget(toOn_);
  filters->addWidget(to_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(autoAdd_);
  buttons->addWidget(summary_, 1);
  buttons->addWidget(addFiles_);
  buttons->addWidget(addFolder_);
  auto* flightsLayout = new QVBoxLayout(flights);
  flightsLayout->addWidget(search_);
  flightsLayout->addLayout(filters);
  flightsLayout->addWidget(table_, 1);
  flightsLayout->addLayout(buttons);
  tabs_->addTab(flights, QString());

  auto* stats = new QWidget(tabs_);
  groupLabel_ = new QLabel(stats);
  groupBy_ = new QComboBox(stats);
  groupBy_->setObjectName(QStringLiteral("logbookGroupBy"));
  groupBy_->addItems({QString(), QString()});
  statistics_ = new QTableWidget(stats);
  statistics_->setObjectName(QStringLiteral("logbookStatistics"));
  statistics_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  statistics_->verticalHeader()->hide();
  season_ = new QCustomPlot(stats);
  season_->setObjectName(QStringLiteral("logbookSeasonChart"));
  season_->setMinimumHeight(220);
  auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
  ticker->setDateTimeFormat(QStringLiteral("yyyy-MM-dd"));
  season_->xAxis->setTicker(ticker);
  season_->legend->setVisible(true);
  auto* groupRow = new QHBoxLayout;
  groupRow->addWidget(groupLabel_);
  groupRow->addWidget(groupBy_);
  groupRow->addStretch(1);
  auto* statsLayout = new QVBoxLayout(stats);
  statsLayout->addLayout(groupRow);
  statsLayout->addWidget(statistics_, 1);
  statsLayout->addWidget(season_, 2);
  tabs_->addTab(stats, QString());

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  resize(900, 560);

  connect(search_, &QLineEdit::textChanged, this, &LogbookWindow::ApplyFilter);
  for (QComboBox* box : {rocket_, motor_, site_})
    connect(box, &QComboBox::currentIndexChanged, this, &LogbookWindow::ApplyFilter);
  for (QCheckBox* box : {fromOn_, toOn_})
    connect(box, &QCheckBox::toggled, this, &LogbookWindow::ApplyFilter);
  for (QDateEdit* d : {from_, to_})
    connect(d, &QDateEdit::dateChanged, this, &LogbookWindow::ApplyFilter);
  // After the editor that wrote the tag has closed.
  connect(model_, &LogbookModel::tagsChanged, this, &LogbookWindow::Reload, Qt::QueuedConnection);
  connect(groupBy_, &QComboBox::currentIndexChanged, this, &LogbookWindow::DrawStatistics);
  connect(addFiles_, &QPushButton::clicked, this, [this] {
    const QString path =
        dialogs_.OpenFileName({{}, FileFilters(FileKind::Flight, language_), QString()});
    if (!path.isEmpty()) AddPaths({path});
  });
  connect(addFolder_, &QPushButton::clicked, this, [this] {
    const QString folder = dialogs_.FolderName();
    if (!folder.isEmpty()) AddPaths({folder});
  });
  ApplyLanguage(0);
}

LogbookWindow::~LogbookWindow() {
  // The table (with an editor that may commit as it goes) and the model use the logbooks, which
  // as members go before the children would.
  delete table_;
  delete model_;
}

bool LogbookWindow::OpenLogbook(const QString& path) {
  Failure error;
  if (!logbook_.Open(path, &error) || !reader_.Open(path, &error)) {
    if (report_) report_(error);
    model_->clear();
    logbook_.Close();
    reader_.Close();
    return false;
  }
  Reload();
  return true;
}

void LogbookWindow::ApplyLanguage(int language) {
  language_ = language;
  setWindowTitle(T(LogbookTxt::WindowCaption));
  search_->setPlaceholderText(T(LogbookTxt::Search));
  rocketLabel_->setText(T(LogbookTxt::Rocket));
  motorLabel_->setText(T(LogbookTxt::Motor));
  siteLabel_->setText(T(LogbookTxt::Site));
  fromOn_->setText(T(LogbookTxt::From));
  toOn_->setText(T(LogbookTxt::To));
  addFiles_->setText(T(LogbookTxt::AddFiles));
  addFolder_->setText(T(LogbookTxt::AddFolder));
  autoAdd_->setText(T(LogbookTxt::AutoAdd));
  tabs_->setTabText(0, T(LogbookTxt::Flights));
  tabs_->setTabText(1, T(LogbookTxt::Statistics));
  groupLabel_->setText(T(LogbookTxt::GroupBy));
  groupBy_->setItemText(0, T(LogbookTxt::Rocket));
  groupBy_->setItemText(1, T(LogbookTxt::Motor));
  for (QComboBox* box : {rocket_, motor_, site_})
    if (box->count() > 0) box->setItemText(0, T(LogbookTxt::All));
  model_->SetLanguage(language);
  DrawStatistics();
}

void LogbookWindow::SetAutoAdd(bool on, std::function<void(bool)> changed) {
  const QSignalBlocker quiet(autoAdd_);
  autoAdd_->setChecked(on);
  disconnect(autoAdd_, &QCheckBox::toggled, nullptr, nullptr);
  connect(autoAdd_, &QCheckBox::toggled, this, std::move(changed));
}

void LogbookWindow::FillChoices(QComboBox* box, const QString& column) {
  const QString chosen = box->currentIndex() > 0 ? box->currentText() : QString();
  const QSignalBlocker quiet(box);
  box->clear();
  box->addItem(T(LogbookTxt::All));
  if (logbook_.IsOpen()) {
    QSqlQuery q(QSqlDatabase::database(logbook_.ConnectionName(), false));
    if (q.exec(QStringLiteral("SELECT DISTINCT %1 FROM flights WHERE %1 <> '' ORDER BY %1")
                   .arg(column))) {
      while (q.next()) box->addItem(q.value(0).toString());
    }
  }
  box->setCurrentIndex(std::max(0, box->findText(chosen)));
}

void LogbookWindow::Reload() {
  FillChoices(rocket_, QStringLiteral("rocket"));
  FillChoices(motor_, QStringLiteral("motor"));
  FillChoices(site_, QStringLiteral("site"));
  ApplyFilter();
  DrawStatistics();
}

void LogbookWindow::ApplyFilter() {
  LogbookFilter f;
  f.search = search_->text().trimmed();
  if (rocket_->currentIndex() > 0) f.rocket = rocket_->currentText();
  if (motor_->currentIndex() > 0) f.motor = motor_->currentText();
  if (site_->currentIndex() > 0) f.site = site_->currentText();
  if (fromOn_->isChecked()) f.from = from_->date();
  if (toOn_->isChecked()) f.to = to_->date();
  model_->SetFilter(f);
  table_->setColumnHidden(LogbookModel::Sha256, true);
  table_->resizeColumnToContents(LogbookModel::Date);
}

void LogbookWindow::AddPaths(const QStringList& paths) {
  if (!logbook_.IsOpen() || paths.isEmpty() || progress_) return;
  // A batch at a time from the event loop: the box shows how far it is and Cancel stops it
  // between two batches, with no event pumping inside a batch. What was added stays added.
  pending_ = CollectFlightFiles(paths);
  total_ = static_cast<int>(pending_.size());
  added_ = {};
  addFailure_ = {};
  progress_ = new QProgressDialog(T(LogbookTxt::Adding), T(LogbookTxt::Cancel), 0, total_, this);
  progress_->setObjectName(QStringLiteral("logbookProgress"));
  progress_->setWindowModality(Qt::WindowModal);
  progress_->setMinimumDuration(500);
  progress_->setAutoClose(false);
  progress_->setValue(0);
  QTimer::singleShot(0, this, &LogbookWindow::AddNextBatch);
}

void LogbookWindow::AddNextBatch() {
  // The files of a batch are read on every core; the box answers between batches.
  constexpr qsizetype kBatch = 64;
  if (!pending_.isEmpty() && !progress_->wasCanceled()) {
    const QStringList batch = pending_.first(std::min(kBatch, pending_.size()));
    pending_.remove(0, batch.size());
    LogbookAddOutcome part;
    if (!AddToLogbook(logbook_, batch, {}, {}, part, &addFailure_)) pending_.clear();
    added_.added += part.added;
    added_.known += part.known;
    added_.refused.insert(added_.refused.end(), part.refused.begin(), part.refused.end());
    progress_->setValue(total_ - static_cast<int>(pending_.size()));
    if (!pending_.isEmpty()) {
      QTimer::singleShot(0, this, &LogbookWindow::AddNextBatch);
      return;
    }
  }
  progress_->deleteLater();
  progress_ = nullptr;
  pending_.clear();
  summary_->setText(T(LogbookTxt::Added)
                        .arg(added_.added)
                        .arg(added_.known)
                        .arg(added_.refused.size()));
  Reload();
  if (addFailure_.Failed() && report_) report_(addFailure_);
}

bool LogbookWindow::AddQuietly(const QString& path) {
  if (!logbook_.IsOpen()) return false;
  LogbookAddOutcome outcome;
  Failure error;
  if (!AddToLogbook(logbook_, {path}, {}, {}, outcome, &error)) {
    if (report_) report_(error);
    return false;
  }
  if (isVisible()) Reload();
  return outcome.added + outcome.known == 1;
}

void LogbookWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void LogbookWindow::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  AddPaths(paths);
}

void LogbookWindow::DrawStatistics() {
  const bool byMotor = groupBy_->currentIndex() == 1;
  std::vector<LogbookGroup> groups;
  std::vector<LogbookEntry> entries;
  if (logbook_.IsOpen()) {
    Failure error;
    if (!logbook_.Statistics(byMotor ? LogbookGrouping::Motor : LogbookGrouping::Rocket, groups,
                             &error) ||
        !logbook_.List(LogbookFilter{}, entries, &error)) {
      groups.clear();
      entries.clear();
    }
  }
  const LogbookTxt columns[] = {byMotor ? LogbookTxt::Motor : LogbookTxt::Rocket,
                                LogbookTxt::Count, LogbookTxt::Best, LogbookTxt::Mean,
                                LogbookTxt::Deviation, LogbookTxt::TimeToApogee};
  statistics_->clear();
  statistics_->setColumnCount(static_cast<int>(std::size(columns)));
  statistics_->setRowCount(static_cast<int>(groups.size()));
  QStringList headers;
  for (LogbookTxt c : columns) headers << T(c);
  statistics_->setHorizontalHeaderLabels(headers);
  for (int r = 0; r < static_cast<int>(groups.size()); ++r) {
    const LogbookGroup& g = groups[static_cast<std::size_t>(r)];
    const QString cells[] = {g.key.isEmpty() ? QStringLiteral("—") : g.key,
                             QString::number(g.flights), Fixed(g.bestApogeeM, 1),
                             Fixed(g.meanApogeeM, 1), Fixed(g.stddevApogeeM, 1),
                             Fixed(g.meanTimeToApogeeS, 2)};
    for (int c = 0; c < static_cast<int>(std::size(cells)); ++c)
      statistics_->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  statistics_->resizeColumnsToContents();

  // The apogee of every flight over the season, a colour per group.
  season_->clearGraphs();
  std::map<QString, QCPGraph*> graphs;
  double first = 0, last = 0, top = 1;
  for (const LogbookEntry& e : entries) {
    if (!e.flight.apogeeM) continue;
    const QString key = byMotor ? e.motor : e.rocket;
    QCPGraph*& g = graphs[key];
    if (!g) {
      g = season_->addGraph();
      const QColor colour = kPalette[(graphs.size() - 1) % std::size(kPalette)];
      g->setPen(QPen(colour, 1.5));
      g->setLineStyle(QCPGraph::lsNone);
      g->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, colour, colour, 7));
      g->setName(key.isEmpty() ? QStringLiteral("—") : key);
    }
    const double t = static_cast<double>(e.flight.date.toSecsSinceEpoch());
    if (first == 0 || t < first) first = t;
    last = std::max(last, t);
    top = std::max(top, *e.flight.apogeeM);
    g->addData(t, *e.flight.apogeeM);
  }
  season_->xAxis->setRange(first - 86400, last + 86400);
  season_->yAxis->setRange(0, top * 1.1);
  season_->yAxis->setLabel(T(LogbookTxt::Apogee));
  season_->xAxis->setLabel(T(LogbookTxt::Date));
  season_->setToolTip(T(LogbookTxt::SeasonChart));
  season_->replot();
}

}  // namespace hypsor
