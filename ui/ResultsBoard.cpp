// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ResultsBoard.h"

#include <algorithm>
#include <climits>

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "contest/FolderCheck.h"
#include "flight/Decode.h"
#include "session/ContestResults.h"
#include "text/FlightStateText.h"
#include "text/Texts.h"

namespace hypsor {

namespace {

constexpr int kColumns = 4;  // rank, competitor, best apogee, state
// Rows of 1/18 of the screen's height: 60 px at 1080 lines, read from the back of a tent.
constexpr int kRowsPerScreen = 18;
// Letters never get smaller than this to fit; below it a text is shortened instead.
constexpr int kSmallestPixels = 11;
constexpr int kTitleLines = 2;
constexpr QSize kStartSize(1000, 700);

// The largest pixel size up to start at which text fits lines lines of width.
int FittingPixels(QFont font, const QString& text, int width, int lines, int start) {
  int px = start;
  for (; px > kSmallestPixels; px -= std::max(1, px / 12)) {
    font.setPixelSize(px);
    const QFontMetrics fm(font);
    const QRect r = fm.boundingRect(QRect(0, 0, std::max(1, width), INT_MAX), Qt::TextWordWrap,
                                    text);
    if (r.width() <= width && r.height() <= lines * fm.lineSpacing()) break;
  }
  return std::max(px, kSmallestPixels);
}

}  // namespace

ResultsBoard::ResultsBoard(const ContestResults& results, QWidget* parent)
    : QWidget(parent, Qt::Window), results_(results) {
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
  table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  // The numbers as wide as they need, the state whatever is left.
  QHeaderView* header = table_->horizontalHeader();
  for (int c = 0; c < kColumns - 1; ++c) header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  header->setSectionResizeMode(kColumns - 1, QHeaderView::Stretch);
  last_ = new QLabel(this);
  last_->setObjectName(QStringLiteral("boardLastFlight"));
  last_->setWordWrap(true);
  fullScreen_ = new QPushButton(this);
  fullScreen_->setObjectName(QStringLiteral("boardFullScreenButton"));
  fullScreen_->setCheckable(true);
  // The title has the board's whole width; the provisional mark and the button go under it.
  auto* marks = new QHBoxLayout;
  marks->addWidget(provisionalLabel_, 1);
  marks->addWidget(fullScreen_, 0, Qt::AlignRight | Qt::AlignVCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  layout->addLayout(marks);
  layout->addWidget(table_, 1);
  layout->addWidget(last_);
  connect(fullScreen_, &QPushButton::toggled, this,
          [this](bool on) { on ? showFullScreen() : showNormal(); });
  connect(&results_, &ContestResults::changed, this, &ResultsBoard::ShowResults);
  resize(kStartSize);
  ApplyLanguage(0);
}

ResultsBoard::~ResultsBoard() = default;

const std::vector<RankingRow>& ResultsBoard::Rows() const {
  return results_.Ranking();
}

void ResultsBoard::SetContest(const QString& contest) {
  if (contest == contest_) return;
  contest_ = contest;
  ApplyLanguage(language_);  // the title names the contest
}

void ResultsBoard::SetOpen(bool open) {
  if (open == open_) return;
  open_ = open;
  ShowResults();
}

void ResultsBoard::PlaceOnScreen() {
  const QScreen* s = screen();
  if (!s) return;
  const QRect room = s->availableGeometry();
  const QSize size = kStartSize.boundedTo(room.size() * 9 / 10);
  resize(size);
  move(room.center() - QPoint(size.width() / 2, size.height() / 2));
}

void ResultsBoard::ApplyLanguage(int language) {
  language_ = language;
  setWindowTitle(Text(Txt::ResultsBoardAction, language));
  fullScreen_->setText(Text(Txt::BoardFullScreen, language));
  title_->setText(contest_.isEmpty() ? Text(Txt::RankingTitle, language)
                                     : contest_ + QStringLiteral(" — ") +
                                           Text(Txt::RankingTitle, language));
  table_->setHorizontalHeaderLabels({Text(Txt::RankingRank, language),
                                     Text(Txt::RankingCompetitor, language),
                                     Text(Txt::RankingBestApogee, language),
                                     Text(Txt::RankingStatus, language)});
  ShowResults();
}

void ResultsBoard::ShowResults() {
  const std::vector<RankingRow>& rows = results_.Ranking();
  provisionalLabel_->setText(RankingProvisional(rows, open_)
                                 ? Text(Txt::BoardProvisional, language_)
                                 : QString());
  table_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const RankingRow& row = rows[static_cast<std::size_t>(r)];
    const QStringList cells = {
        row.rank ? QString::number(row.rank) : QString(), QString::number(row.competitor),
        row.bestApogeeM ? FormatAltitude(*row.bestApogeeM, QLatin1Char('.')) : QString(),
        FlightStateText(row.reasons, row.flags, language_)};
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      item->setTextAlignment((c < 3 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
      if (!row.rank) item->setForeground(QColor(0x80, 0x80, 0x80));
      table_->setItem(r, c, item);
    }
  }
  // The last flight kept: the latest download that has a file.
  const FlightRecord* last = nullptr;
  for (const FlightRecord& f : results_.Flights())
    if (!(f.reasons & ReasonMissing) && (!last || f.flight > last->flight)) last = &f;
  last_->setText(last ? Text(Txt::BoardLastFlight, language_)
                            .arg(last->competitor)
                            .arg(last->apogeeM ? FormatAltitude(*last->apogeeM, QLatin1Char('.'))
                                               : QStringLiteral("—"),
                                 FlightStateText(last->reasons, VerifyFlags(*last), language_))
                      : QString());
  Fit();
}

void ResultsBoard::Fit() {
  const QScreen* s = screen();
  const int rowHeight = std::max(24, (s ? s->geometry().height() : 1080) / kRowsPerScreen);
  int left = 0, top = 0, right = 0, bottom = 0;
  layout()->getContentsMargins(&left, &top, &right, &bottom);
  const int width = this->width() - left - right;

  // The table: letters for the back of a tent, smaller only while its widest row does not fit.
  QHeaderView* header = table_->horizontalHeader();
  // The table has the board's width (the layout has placed it); less a scroll bar when the
  // rows run below it.
  int room = std::min(width, table_->width()) - 2 * table_->frameWidth();
  if (table_->rowCount() * rowHeight + header->height() > table_->height() - 2 * table_->frameWidth())
    room -= table_->verticalScrollBar()->sizeHint().width();
  QFont f = font();
  int px = rowHeight * 3 / 5;
  for (;;) {
    f.setPixelSize(px);
    table_->setFont(f);
    header->setFont(f);
    int need = 0;
    for (int c = 0; c < kColumns; ++c)
      need += std::max(static_cast<QAbstractItemView*>(table_)->sizeHintForColumn(c),
                       header->sectionSizeHint(c));
    if (need <= room || px <= kSmallestPixels) break;
    px = std::max(kSmallestPixels, std::min(px - 1, px * room / need));
  }
  table_->verticalHeader()->setDefaultSectionSize(std::max(rowHeight, QFontMetrics(f).height()));
  for (int r = 0; r < table_->rowCount(); ++r)
    table_->setRowHeight(r, table_->verticalHeader()->defaultSectionSize());

  // The title on at most two lines of the board's width; the mark beside the button; the last
  // flight on at most two lines.
  QFont big = f;
  big.setBold(true);
  big.setPixelSize(FittingPixels(big, title_->text(), width, kTitleLines, rowHeight * 4 / 5));
  title_->setFont(big);
  QFont mark = big;
  const int markRoom = width - fullScreen_->sizeHint().width() - layout()->spacing();
  mark.setPixelSize(FittingPixels(mark, provisionalLabel_->text(), markRoom, 1, rowHeight * 4 / 5));
  provisionalLabel_->setFont(mark);
  QFont small = f;
  small.setPixelSize(FittingPixels(small, last_->text(), width, kTitleLines, rowHeight * 3 / 5));
  last_->setFont(small);
}

void ResultsBoard::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Fit();
}

void ResultsBoard::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Fit();  // on the screen it is shown on
}

void ResultsBoard::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F11 || (event->key() == Qt::Key_Escape && isFullScreen())) {
    fullScreen_->toggle();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace hypsor
