// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the chart draws over its curves. Both compute where they stand from the axes each time
// they are drawn, so they can never stand where an earlier zoom or size put them.
#include <optional>
#include <utility>
#include <vector>

#include <QGlyphRun>
#include <QRawFont>
#include <qcustomplot.h>

#include "session/FlightWorkspace.h"

namespace hypsor {

class ChartPlot;

// Launch, apogee and landing marks: a dot in the curve's colour and a short label beside it,
// placed where no other label or dot is.
class MarkerLayer : public QCPLayerable {
 public:
  MarkerLayer(ChartPlot* plot, const QString& layer);
  void SetMarkers(std::vector<ChartMarker> markers) { markers_ = std::move(markers); }
  const std::vector<ChartMarker>& Markers() const { return markers_; }
  // Where each marker inside the plot area stands now, in the plot widget's pixels.
  std::vector<std::pair<QString, QPoint>> VisiblePositions() const;
  // Where each of those markers' labels stands; no two overlap, nor cover a marker's dot.
  std::vector<std::pair<QString, QRect>> VisibleLabels() const;

 protected:
  void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
  void draw(QCPPainter* painter) override;
  QRect clipRect() const override;

 private:
  ChartPlot* plot_;
  std::vector<ChartMarker> markers_;
};

class CursorLayer;

// The layer the cursor lives on: once it has a picture of its own, a move of the cursor redraws
// only the part of that picture the cursor left or enters. Until the cursor, the reference line
// or a zoom rectangle is first drawn, it draws (nothing) into the picture of the layers under it:
// a picture the size of the plot costs milliseconds to make, and the first picture has no use
// for it.
class CursorPaintLayer : public QCPLayer {
 public:
  CursorPaintLayer(ChartPlot* plot, const QString& name);
  // Redraws the cursor's part of the layer's picture inside dirty. False when the picture is
  // out of date as a whole (the caller then redraws everything).
  bool RedrawPart(const QRegion& dirty, CursorLayer& cursor);
  // The picture of the layer, or none while it is out of date or the layer has none.
  const QCPAbstractPaintBuffer* Picture() const;
};

// The cursor line with its readout box, and the reference line.
class CursorLayer : public QCPLayerable {
 public:
  CursorLayer(ChartPlot* plot, const QString& layer);
  void SetCursor(std::optional<double> x, const QString& text);
  void SetReference(std::optional<double> x) { referenceX_ = x; }
  std::optional<double> CursorX() const { return cursorX_; }
  const QString& Text() const { return text_; }
  bool ReferenceShown() const { return referenceX_.has_value(); }
  // What a redraw must cover: where the shapes that changed since the last drawing stood and
  // now stand (a reference line that stays is left alone), and any shape reaching into that.
  QRegion Damage() const;
  // Where the layer drew last: outside it the layer's picture is empty.
  QRegion DrawnExtent() const { return drawn_.Extent(); }
  // Clears the damage in the layer's picture and draws the shapes standing in it.
  void DrawPart(QCPPainter* painter, const QRegion& damage);

 protected:
  void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
  void draw(QCPPainter* painter) override;
  QRect clipRect() const override;

 private:
  ChartPlot* plot_;
  std::optional<double> cursorX_;
  std::optional<double> referenceX_;
  QString text_;
  // The readout laid out once when the text is set (glyphs placed from the box's inside top
  // left), and the size it takes.
  std::optional<QRawFont> rawFont_;
  std::vector<QGlyphRun> glyphs_;
  QSizeF textSize_;

  struct Shapes {
    std::optional<QLineF> reference, cursor;
    std::optional<QRectF> box;
    QString text;  // the readout in the box
    QRegion Extent() const;
  };
  Shapes Place() const;
  void Draw(QCPPainter* painter, const Shapes& s, const QRegion* damage);
  Shapes drawn_;
};

}  // namespace hypsor
