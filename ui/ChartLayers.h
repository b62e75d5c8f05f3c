// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the chart draws over its curves. Both compute where they stand from the axes each time
// they are drawn, so they can never stand where an earlier zoom or size put them.
#include <optional>
#include <utility>
#include <vector>

#include <QStaticText>
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

// Flagged transients: a light shade across the plot's height behind the curves, at least a few
// pixels wide so a one-sample spike shows, and the flag's name along the plot's top where it
// covers no other name nor a marker's dot (one of several close together may go unnamed: its
// shade stays). The names are drawn over the curves by the marker layer.
class TransientLayer : public QCPLayerable {
 public:
  TransientLayer(ChartPlot* plot, const QString& layer);
  void SetTransients(std::vector<ChartTransient> transients) { transients_ = std::move(transients); }
  // Where each named transient's name stands now, in the plot widget's pixels.
  std::vector<std::pair<QString, QRect>> VisibleNames() const;

 protected:
  void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
  void draw(QCPPainter* painter) override;
  QRect clipRect() const override;

 private:
  struct Place {
    QRectF shade;
    std::optional<QRectF> name;
  };
  std::vector<std::optional<Place>> Places(const QFontMetricsF& metrics) const;

  ChartPlot* plot_;
  std::vector<ChartTransient> transients_;
};

// The cursor line with its readout box, and the reference line. They stand on a layer with a
// picture of its own, so a move of the cursor redraws that layer alone.
class CursorLayer : public QCPLayerable {
 public:
  CursorLayer(ChartPlot* plot, const QString& layer);
  void SetCursor(std::optional<double> x, const QString& text);
  void SetReference(std::optional<double> x) { referenceX_ = x; }
  std::optional<double> CursorX() const { return cursorX_; }
  const QString& Text() const { return text_; }
  bool ReferenceShown() const { return referenceX_.has_value(); }

 protected:
  void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
  void draw(QCPPainter* painter) override;
  QRect clipRect() const override;

 private:
  ChartPlot* plot_;
  std::optional<double> cursorX_;
  std::optional<double> referenceX_;
  QString text_;
  QStaticText readout_;  // the text laid out, for its size and its drawing
};

}  // namespace hypsor
