// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RankingPdf.h"

#include <algorithm>

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "flight/Decode.h"
#include "text/FlightStateText.h"
#include "text/Texts.h"
#include "ui/PdfFile.h"

namespace hypsor {

namespace {

const Txt kHeadings[RankingColumnCount] = {Txt::RankingRank,    Txt::RankingCompetitor,
                                           Txt::RankingBestApogee, Txt::RankingFlights,
                                           Txt::RankingStatus,  Txt::RankingFile};
constexpr int kStateColumn = 4;
constexpr int kFileColumn = 5;
// The file's column takes at most this share of the width; a longer name is shortened in the
// middle.
constexpr double kFileShare = 0.4;

}  // namespace

QStringList RankingHeadings(int language) {
  QStringList headings;
  for (Txt id : kHeadings) headings << Text(id, language);
  return headings;
}

QStringList RankingCells(const RankingRow& r, int language) {
  return {r.rank ? QString::number(r.rank) : QString(), QString::number(r.competitor),
          r.bestApogeeM ? FormatAltitude(*r.bestApogeeM, QLatin1Char('.')) : QString(),
          QString::number(r.flights), FlightStateText(r.reasons, r.flags, language), r.file};
}

void PaintRanking(QPagedPaintDevice& device, const RankingDocument& document) {
  QPainter p(&device);
  const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiX());
  PaintRankingPages(p, QSizeF(page.width(), page.height()), [&device] { device.newPage(); },
                    document);
}

void PaintRankingPages(QPainter& p, const QSizeF& size, const std::function<void()>& newPage,
                       const RankingDocument& d) {
  const double width = size.width();
  QFont font(QStringLiteral("DejaVu Sans"));
  auto setFont = [&](double points, bool bold) {
    font.setPointSizeF(points);
    font.setBold(bold);
    p.setFont(font);
  };
  const QStringList headings = RankingHeadings(d.language);
  std::vector<QStringList> rows;
  rows.reserve(d.rows.size());
  for (const RankingRow& r : d.rows) rows.push_back(RankingCells(r, d.language));

  // Each column as wide as its widest cell and the longest word of its heading; the file's as
  // its longest name, up to its share; the state's whatever is left, its words wrapped.
  double need[RankingColumnCount] = {};
  setFont(9, true);
  const double gap = p.fontMetrics().averageCharWidth() * 2.0;
  for (int c = 0; c < RankingColumnCount; ++c)
    for (const QString& word : headings[c].split(QLatin1Char(' ')))
      need[c] = std::max(need[c], p.fontMetrics().horizontalAdvance(word) + gap);
  setFont(9, false);
  for (const QStringList& cells : rows)
    for (int c = 0; c < RankingColumnCount; ++c)
      need[c] = std::max(need[c], p.fontMetrics().horizontalAdvance(cells[c]) + gap);
  need[kFileColumn] = std::min(need[kFileColumn], width * kFileShare);
  double fixed = 0;
  for (int c = 0; c < RankingColumnCount; ++c)
    if (c != kStateColumn) fixed += need[c];
  need[kStateColumn] = std::max(std::min(need[kStateColumn], width - fixed), gap * 2);
  double at[RankingColumnCount + 1] = {};
  for (int c = 0; c < RankingColumnCount; ++c) at[c + 1] = at[c] + need[c];

  double y = 0;
  // A row of cells, each wrapped in its column (the file's shortened instead).
  auto line = [&](const QStringList& cells) {
    const double lineHeight = p.fontMetrics().height();
    double h = lineHeight;
    QStringList shown = cells;
    for (int c = 0; c < RankingColumnCount; ++c) {
      const double w = at[c + 1] - at[c] - gap;
      if (c == kFileColumn)
        shown[c] = p.fontMetrics().elidedText(cells[c], Qt::ElideMiddle, static_cast<int>(w));
      h = std::max(h, p.boundingRect(QRectF(at[c], y, w, size.height()),
                                     Qt::AlignLeft | Qt::TextWordWrap, shown[c])
                          .height());
    }
    if (y + h > size.height()) return false;
    for (int c = 0; c < RankingColumnCount; ++c)
      p.drawText(QRectF(at[c], y, at[c + 1] - at[c] - gap, h), Qt::AlignLeft | Qt::TextWordWrap,
                 shown[c]);
    y += h + lineHeight * 0.3;
    return true;
  };
  auto paragraph = [&](const QString& text) {
    const QRectF box = p.boundingRect(QRectF(0, y, width, size.height()),
                                      Qt::AlignLeft | Qt::TextWordWrap, text);
    p.drawText(box, Qt::AlignLeft | Qt::TextWordWrap, text);
    y = box.bottom();
  };
  auto header = [&] {
    // The contest's name on its own lines (as many as it needs), then "Ranking"; when it was
    // made, and whether it may still change.
    setFont(14, true);
    const QString title = Text(Txt::RankingTitle, d.language);
    paragraph(d.contest.isEmpty() ? title : d.contest + QLatin1Char('\n') + title);
    setFont(9, false);
    paragraph(Text(Txt::ReportCreated, d.language)
                  .arg(d.made.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    if (d.provisional) {
      setFont(9, true);
      p.setPen(QColor(0xb0, 0, 0));
      paragraph(Text(Txt::RankingProvisionalNote, d.language));
      p.setPen(Qt::black);
    }
    y += p.fontMetrics().height() * 0.6;
    setFont(9, true);
    line(headings);
    setFont(9, false);
  };
  header();
  for (const QStringList& cells : rows) {
    if (line(cells)) continue;
    newPage();
    y = 0;
    header();
    line(cells);
  }
}

bool WriteRankingPdf(const RankingDocument& document, const QString& path, Failure* error) {
  return WriteA4Pdf(
      path, Text(Txt::RankingTitle, document.language), QString(),
      [&document](QPdfWriter& writer) { PaintRanking(writer, document); }, error);
}

}  // namespace hypsor
