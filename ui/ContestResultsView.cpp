// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ContestResultsView.h"

#include <QBuffer>
#include <QHeaderView>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "contest/FlightRecord.h"
#include "flight/Decode.h"
#include "platform/AtomicFile.h"
#include "text/Texts.h"

namespace hypsor {

namespace {

constexpr int kColumns = 6;
const Txt kHeaders[kColumns] = {Txt::RankingRank,    Txt::RankingCompetitor, Txt::RankingBestApogee,
                                Txt::RankingFlights, Txt::RankingStatus,     Txt::RankingFile};

QStringList Cells(const RankingRow& r, int language) {
  return {r.rank ? QString::number(r.rank) : QString(), QString::number(r.competitor),
          r.bestApogeeM ? FormatAltitude(*r.bestApogeeM, QLatin1Char('.')) : QString(),
          QString::number(r.flights), StatusLabel(r.reasons, language), r.file};
}

}  // namespace

QString StatusLabel(unsigned reasons, int language) {
  if (reasons == 0) return Text(Txt::StatusValid, language);
  QStringList parts;
  for (int k = 0; k < FlightReasonCount; ++k)
    if (reasons & (1u << k))
      parts << Text(static_cast<Txt>(static_cast<int>(Txt::StatusChanged) + k), language);
  return parts.join(QStringLiteral(", "));
}

ContestResultsView::ContestResultsView(QWidget* parent) : QWidget(parent) {
  table_ = new QTableWidget(0, kColumns, this);
  table_->setObjectName(QStringLiteral("rankingTable"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  exportCsvButton_ = new QPushButton(this);
  exportCsvButton_->setObjectName(QStringLiteral("exportRankingCsvButton"));
  exportPdfButton_ = new QPushButton(this);
  exportPdfButton_->setObjectName(QStringLiteral("exportRankingPdfButton"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(exportCsvButton_);
  buttons->addWidget(exportPdfButton_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
    if (row >= 0 && row < static_cast<int>(rows_.size()))
      emit OpenFlightRequested(rows_[static_cast<std::size_t>(row)].file);
  });
  connect(exportCsvButton_, &QPushButton::clicked, this, &ContestResultsView::ExportCsvRequested);
  connect(exportPdfButton_, &QPushButton::clicked, this, &ContestResultsView::ExportPdfRequested);
  ApplyLanguage(0);
}

void ContestResultsView::ShowRanking(std::vector<RankingRow> rows) {
  rows_ = std::move(rows);
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    const RankingRow& row = rows_[static_cast<std::size_t>(r)];
    const QStringList cells = Cells(row, language_);
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c < 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (LevelOf(row.reasons) != FlightLevel::Valid)
        item->setForeground(LevelOf(row.reasons) == FlightLevel::Invalid ? QColor(0xb0, 0, 0)
                                                                          : QColor(0x8a, 0x5a, 0));
      table_->setItem(r, c, item);
    }
  }
  table_->resizeColumnsToContents();
}

void ContestResultsView::ApplyLanguage(int language) {
  language_ = language;
  QStringList headers;
  for (Txt id : kHeaders) headers << Text(id, language);
  table_->setHorizontalHeaderLabels(headers);
  exportCsvButton_->setText(Text(Txt::RankingExportCsv, language));
  exportPdfButton_->setText(Text(Txt::RankingExportPdf, language));
  ShowRanking(std::move(rows_));  // the status is a text too
}

void PaintRanking(QPagedPaintDevice& device, const std::vector<RankingRow>& rows,
                  const QString& contest, int language) {
  QPainter p(&device);
  const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiX());
  PaintRankingPages(p, QSizeF(page.width(), page.height()), [&device] { device.newPage(); }, rows,
                    contest, language);
}

void PaintRankingPages(QPainter& p, const QSizeF& size, const std::function<void()>& newPage,
                       const std::vector<RankingRow>& rows, const QString& contest,
                       int language) {
  const QRectF area(QPointF(0, 0), size);
  const double at[kColumns] = {0.0, 0.08, 0.2, 0.36, 0.44, 0.66};
  QFont font(QStringLiteral("DejaVu Sans"));
  auto setFont = [&](double points, bool bold) {
    font.setPointSizeF(points);
    font.setBold(bold);
    p.setFont(font);
  };
  double y = 0;
  auto line = [&](const QStringList& cells) {
    const double h = p.fontMetrics().height() * 1.3;
    for (int c = 0; c < cells.size(); ++c) {
      const double x = area.width() * at[c];
      const double right = c + 1 < kColumns ? area.width() * at[c + 1] : area.width();
      p.drawText(
          QRectF(x, y, right - x - 6, h), Qt::AlignLeft | Qt::AlignVCenter,
          p.fontMetrics().elidedText(cells[c], Qt::ElideMiddle, static_cast<int>(right - x - 6)));
    }
    y += h;
  };
  auto header = [&] {
    // The title spans the page, above the columns: the contest's name on its own lines (as many
    // as it needs), then "Ranking".
    setFont(14, true);
    const QString title = Text(Txt::RankingTitle, language);
    const QString heading = contest.isEmpty() ? title : contest + QLatin1Char('\n') + title;
    const QRectF box = p.boundingRect(QRectF(0, y, area.width(), area.height()),
                                      Qt::AlignLeft | Qt::TextWordWrap, heading);
    p.drawText(box, Qt::AlignLeft | Qt::TextWordWrap, heading);
    y = box.bottom() + p.fontMetrics().height() * 0.5;
    setFont(9, true);
    QStringList heads;
    for (Txt id : kHeaders) heads << Text(id, language);
    line(heads);
    setFont(9, false);
  };
  header();
  for (const RankingRow& r : rows) {
    if (y + p.fontMetrics().height() * 1.3 > area.bottom()) {
      newPage();
      y = 0;
      header();
    }
    line(Cells(r, language));
  }
}

bool WriteRankingPdf(const std::vector<RankingRow>& rows, const QString& contest, int language,
                     const QString& path, Failure* error) {
  if (!CheckSaveTarget(path, error)) return false;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setTitle(Text(Txt::RankingTitle, language));
    PaintRanking(writer, rows, contest, language);
  }
  return WriteFileAtomically(path, buffer.data(), error);
}

}  // namespace hypsor
