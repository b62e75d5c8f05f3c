// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ContestResultsView.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "contest/FolderCheck.h"
#include "text/Texts.h"
#include "ui/RankingPdf.h"

namespace hypsor {

ContestResultsView::ContestResultsView(QWidget* parent) : QWidget(parent) {
  table_ = new QTableWidget(0, RankingColumnCount, this);
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
    const QStringList cells = RankingCells(row, language_);
    const FlightLevel level = StateLevel(row.reasons, row.flags);
    for (int c = 0; c < RankingColumnCount; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c < 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (level != FlightLevel::Valid)
        item->setForeground(level == FlightLevel::Invalid ? QColor(0xb0, 0, 0)
                                                          : QColor(0x8a, 0x5a, 0));
      table_->setItem(r, c, item);
    }
  }
  table_->resizeColumnsToContents();
}

void ContestResultsView::ApplyLanguage(int language) {
  language_ = language;
  table_->setHorizontalHeaderLabels(RankingHeadings(language));
  exportCsvButton_->setText(Text(Txt::RankingExportCsv, language));
  exportPdfButton_->setText(Text(Txt::RankingExportPdf, language));
  ShowRanking(std::move(rows_));  // the state is a text too
}

}  // namespace hypsor
