// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ResultsBoard.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "contest/ContestNames.h"
#include "contest/FolderCheck.h"
#include "flight/Decode.h"
#include "flight/Filters.h"
#include "text/Texts.h"
#include "ui/ContestResultsView.h"

namespace hypsor {

namespace {

constexpr int kColumns = 4;  // rank, competitor, best apogee, status
constexpr int kSettleMs = 300;
// Rows of 1/18 of the screen's height: 60 px at 1080 lines, read from the back of a tent.
constexpr int kRowsPerScreen = 18;

}  // namespace

ResultsBoard::ResultsBoard(QWidget* parent)
    : QWidget(parent, Qt::Window), work_(std::make_unique<FilterTables>()) {
  setObjectName(QStringLiteral("resultsBoard"));
  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("boardTitle"));
  title_->setWordWrap(true);
  provisionalLabel_ = new QLabel(this);
  provisionalLabel_->setObjectName(QStringLiteral("boardProvisional"));
  provisionalLabel_->setStyleSheet(QStringLiteral("color: #b00000;"));
  table_ = new QTableWidget(0, kColumns, this);
  table_->setObjectName(QStringLiteral("boardTable"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setFocusPolicy(Qt::NoFocus);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  last_ = new QLabel(this);
  last_->setObjectName(QStringLiteral("boardLastFlight"));
  fullScreen_ = new QPushButton(this);
  fullScreen_->setObjectName(QStringLiteral("boardFullScreenButton"));
  fullScreen_->setCheckable(true);
  auto* top = new QHBoxLayout;
  top->addWidget(title_, 1);
  top->addWidget(provisionalLabel_);
  top->addWidget(fullScreen_, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(table_, 1);
  layout->addWidget(last_);
  connect(fullScreen_, &QPushButton::toggled, this,
          [this](bool on) { on ? showFullScreen() : showNormal(); });
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, &ResultsBoard::Reload);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
          qOverload<>(&QTimer::start));
  connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
  resize(1000, 700);
  ApplyLanguage(0);
}

ResultsBoard::~ResultsBoard() = default;

void ResultsBoard::ShowFolder(const QString& folder, const QString& contest) {
  folder_ = folder;
  contest_ = contest;
  provisional_ = true;
  ApplyLanguage(language_);  // the title names the contest; reads the folder
}

void ResultsBoard::SetProvisional(bool provisional) {
  provisional_ = provisional;
  ApplyLanguage(language_);
}

void ResultsBoard::ApplyLanguage(int language) {
  language_ = language;
  setWindowTitle(Text(Txt::ResultsBoardAction, language));
  fullScreen_->setText(Text(Txt::BoardFullScreen, language));
  provisionalLabel_->setText(provisional_ ? Text(Txt::BoardProvisional, language) : QString());
  title_->setText(contest_.isEmpty() ? Text(Txt::RankingTitle, language)
                                     : contest_ + QStringLiteral(" — ") +
                                           Text(Txt::RankingTitle, language));
  table_->setHorizontalHeaderLabels({Text(Txt::RankingRank, language),
                                     Text(Txt::RankingCompetitor, language),
                                     Text(Txt::RankingBestApogee, language),
                                     Text(Txt::RankingStatus, language)});
  if (!folder_.isEmpty()) Reload();
}

void ResultsBoard::Watch() {
  if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  if (folder_.isEmpty()) return;
  // The folder shows files kept, replaced (results.csv) and removed; the files' own watches
  // show a file changed in place.
  QStringList paths = {folder_};
  const QDir dir(folder_);
  for (const QString& name : FlightFileNames(folder_)) paths << dir.filePath(name);
  paths << dir.filePath(QLatin1String(ContestLogFileName));
  watcher_.addPaths(paths);
}

void ResultsBoard::Reload() {
  Watch();
  const ContestCheck check = CheckContestFolder(folder_, *work_, false);
  rows_ = RankCompetitors(check.flights);
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    const RankingRow& row = rows_[static_cast<std::size_t>(r)];
    const QStringList cells = {
        row.rank ? QString::number(row.rank) : QString(), QString::number(row.competitor),
        row.bestApogeeM ? FormatAltitude(*row.bestApogeeM, QLatin1Char('.')) : QString(),
        StatusLabel(row.reasons, language_)};
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      item->setTextAlignment((c < 3 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
      if (!row.rank) item->setForeground(QColor(0x80, 0x80, 0x80));
      table_->setItem(r, c, item);
    }
  }
  // The last flight kept: the latest download that has a file.
  const FlightRecord* last = nullptr;
  for (const FlightRecord& f : check.flights)
    if (!(f.reasons & ReasonMissing) && (!last || f.flight > last->flight)) last = &f;
  last_->setText(last ? Text(Txt::BoardLastFlight, language_)
                            .arg(last->competitor)
                            .arg(last->apogeeM ? FormatAltitude(*last->apogeeM, QLatin1Char('.'))
                                               : QStringLiteral("—"),
                                 StatusLabel(last->reasons, language_))
                      : QString());
  Scale();
}

void ResultsBoard::Scale() {
  const QScreen* s = screen();
  const int rowHeight = std::max(24, (s ? s->geometry().height() : 1080) / kRowsPerScreen);
  QFont f = font();
  f.setPixelSize(rowHeight * 3 / 5);
  table_->setFont(f);
  table_->horizontalHeader()->setFont(f);
  table_->verticalHeader()->setDefaultSectionSize(rowHeight);
  for (int r = 0; r < table_->rowCount(); ++r) table_->setRowHeight(r, rowHeight);
  QFont big = f;
  big.setBold(true);
  big.setPixelSize(rowHeight * 4 / 5);
  title_->setFont(big);
  provisionalLabel_->setFont(big);
  last_->setFont(f);
}

void ResultsBoard::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Scale();
}

void ResultsBoard::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F11 || (event->key() == Qt::Key_Escape && isFullScreen())) {
    fullScreen_->toggle();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace hypsor
