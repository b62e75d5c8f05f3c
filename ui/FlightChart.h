// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <utility>
#include <vector>

#include <QList>
#include <QPen>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "session/FlightWorkspace.h"

namespace hypsor {

class ChartPlot;
struct ChartPrint;

// The flight chart: six curves against the main flight's sample number, altitude on the left
// axis, acceleration on the right, whole-second labels on the bottom axis. Zoom by dragging a
// rectangle; a right click undoes one zoom step. The rest of the program reaches the plotting
// library only through this interface.
class FlightChart : public QWidget {
  Q_OBJECT
 public:
  explicit FlightChart(QWidget* parent = nullptr);
  ~FlightChart() override;

  // Replaces a curve's points whole (point i at x = i); an empty list clears it.
  void SetCurve(Curve curve, const std::vector<float>& values);
  // Bottom-axis labels: seconds[i] is the whole second at point i, or -1.
  void SetTimeLabels(const std::vector<int>& seconds);
  void SetCurveTitle(Curve curve, const QString& title);
  void SetLeftAxis(const LeftAxisRequest& request);
  void UndoZoom();  // back to the whole flight
  void Repaint();   // everything drawn again at once

  struct Range {
    double min, max;
  };
  Range TimeRange() const;
  Range LeftRange() const;
  Range RightRange() const;
  double RequestedLeftMaximum() const;
  int ZoomDepth() const;
  QList<QPointF> CurvePoints(Curve curve) const;
  QString CurveTitle(Curve curve) const;
  QPen CurvePen(Curve curve) const;
  // The labels the bottom axis shows now (after thinning to what fits), and where each stands
  // in the plot widget (x of its tick).
  QStringList VisibleTimeLabels() const;
  std::vector<std::pair<QString, int>> TimeLabelPositions() const;
  double LeftAxisStep() const;
  double RightAxisStep() const;
  // The widget that takes the chart's mouse input, where a data point of a curve is drawn in
  // it, and the plot area in it.
  QWidget* PlotWidget() const;
  QPoint PlotPosition(Curve curve, QPointF value) const;
  QRect PlotArea() const;

  // --- Views beyond the curves: the comparison on real time, markers, the cursor
  // readout, drawing to an image or a document.
  // Where the curve's points stand on the time axis; points already on the chart move too.
  void SetCurvePlacement(Curve curve, CurvePlacement placement);
  CurvePlacement Placement(Curve curve) const;
  void SetMarkers(const std::vector<ChartMarker>& markers);
  std::vector<ChartMarker> Markers() const;
  // Flagged transients, shaded with their codes; the right axis without them.
  void SetTransients(const std::vector<ChartTransient>& transients);
  void SetAccelerationRange(std::optional<ChartRange> range);
  // The transients' names as drawn now, in PlotWidget coordinates.
  std::vector<std::pair<QString, QRect>> VisibleTransientNames() const;
  // Whether a click on its legend entry switched a curve off.
  bool CurveHidden(Curve curve) const;
  // Where the markers are drawn now, in PlotWidget coordinates; hidden ones (zoomed away) are
  // left out.
  std::vector<std::pair<QString, QPoint>> VisibleMarkerPositions() const;
  std::vector<std::pair<QString, QRect>> VisibleMarkerLabels() const;
  // Reports the cursor over the plot area (CursorMoved, CursorLeft, EmptyClicked) from now on.
  void EnableReadout();
  // A vertical line at time-axis position x with the readout text beside it; Hide removes both.
  void ShowReadout(double x, const QString& text);
  void HideReadout();
  // A dashed line at the reference point, or none.
  void SetReference(std::optional<double> x);
  QString ReadoutText() const;  // empty when hidden
  bool ReferenceShown() const;
  // The time-axis position under a PlotWidget point.
  double TimeAt(QPoint plotWidgetPoint) const;
  // Files dragged over the chart go to the window (the plotting library would refuse them).
  void PassDropsToWindow();
  // The chart as a page shows it: what is on view now (zoom included), with a title naming
  // the flights, without the cursor and its readout.
  ChartPrint Print(const QString& title) const;

 signals:
  void CurveClicked(Curve curve);
  void LegendClicked();
  void CursorMoved(double x);
  void CursorLeft();
  // A left click on the plot area that neither hit a curve nor dragged a zoom rectangle.
  void EmptyClicked(double x);

 private:
  ChartPlot* plot_;
};

}  // namespace hypsor
