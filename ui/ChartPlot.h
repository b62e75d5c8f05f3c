// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plotting library's side of the flight chart; only the chart's own units include this.
#include <array>
#include <bitset>
#include <optional>
#include <utility>
#include <vector>

#include <qcustomplot.h>

#include "session/FlightWorkspace.h"

namespace hypsor {

class CursorLayer;
class MarkerLayer;
class SecondsTicker;
class StepTicker;
class TransientLayer;

// Everything the chart shows. The chart on screen and every drawing of it for a file, the
// clipboard or a report are made from this alone.
struct ChartState {
  std::array<std::vector<float>, CurveCount> curves;
  std::array<CurvePlacement, CurveCount> placement{};
  std::array<QString, CurveCount> titles;
  std::vector<int> labelSeconds;  // whole second of each main-flight point, -1 where none
  LeftAxisRequest axis;
  std::vector<ChartMarker> markers;
  std::vector<ChartTransient> transients;  // shaded behind the curves
  // The right axis for the acceleration curve without the main flight's transients; none: the
  // whole curve.
  std::optional<ChartRange> accelerationRange;
  std::bitset<CurveCount> hidden;  // switched off with a click on their legend entry
};

// The part of the chart on view: time, left and right axis.
struct ChartRanges {
  double x0 = 0, x1 = 1, y0 = 0, y1 = 1, r0 = -1, r1 = 1;
  bool operator==(const ChartRanges&) const = default;
};

// A drawing of the chart for a page: what it shows, the part on view, and a title naming the
// flights. A page carries the axis units and never the cursor or its readout.
struct ChartPrint {
  ChartState state;
  std::optional<ChartRanges> ranges;  // none: the whole of every curve
  QString title;
};

class ChartPlot : public QCustomPlot {
  Q_OBJECT
 public:
  enum class Use { Screen, Print };
  explicit ChartPlot(Use use, QWidget* parent = nullptr);
  ~ChartPlot() override;

  const ChartState& State() const { return state_; }
  void SetCurve(Curve curve, const std::vector<float>& values);
  void SetPlacement(Curve curve, CurvePlacement placement);
  void SetTitle(Curve curve, const QString& title);
  void SetTimeLabels(const std::vector<int>& seconds);
  void SetLeftAxis(const LeftAxisRequest& request);
  void SetMarkers(const std::vector<ChartMarker>& markers);
  void SetTransients(const std::vector<ChartTransient>& transients);
  void SetAccelerationRange(std::optional<ChartRange> range);
  // Shows or hides a drawn curve; its data stay.
  void SetHidden(Curve curve, bool hidden);
  // A print plot: everything at once, with a title and the units, laid out for size.
  void Load(const ChartPrint& print, QSize size);

  ChartRanges Ranges() const;
  void UndoZoom();  // back to the whole flight
  void UndoZoomStep();
  // One zoom step to the given time span, the altitude axis fitted to the curves in it.
  void ZoomTo(double x0, double x1);
  int ZoomDepth() const { return static_cast<int>(zoomStack_.size()); }

  QCPGraph* GraphOf(Curve curve) const { return graphs_[static_cast<std::size_t>(curve)]; }
  QCPAxis* AxisOf(Curve curve) const { return curve == Curve::Acceleration ? yAxis2 : yAxis; }
  QPoint PixelOf(Curve curve, QPointF value) const;
  // Whether a drawn curve passes through a rectangle of the plot widget.
  bool CurveCrosses(const QRectF& pixels) const;
  bool Hidden(Curve curve) const { return state_.hidden.test(static_cast<std::size_t>(curve)); }
  double KeyAt(QPoint at) const { return xAxis->pixelToCoord(at.x()); }
  const SecondsTicker& TimeTicker() const { return *secondsTicker_; }
  const StepTicker& LeftTicker() const { return *leftTicker_; }
  const StepTicker& RightTicker() const { return *rightTicker_; }
  MarkerLayer& Markers() const { return *markerLayer_; }
  TransientLayer& Transients() const { return *transientLayer_; }
  CursorLayer* Cursor() const { return cursorLayer_; }  // none on a print plot

  // Changes mark the screen's drawing out of date and queue one full drawing, so an action that
  // changes many things draws once. EnsureDrawn draws at once what is out of date (for what
  // measures the drawing).
  void Invalidate();
  void EnsureDrawn();
  // Redraws the cursor's layer alone (the queued full drawing brings it along).
  void RedrawCursor();
  void EnableReadout() { readoutEnabled_ = true; }

 signals:
  void CurveClicked(Curve curve);
  void LegendClicked();
  void CursorMoved(double x);
  void CursorLeft();
  void EmptyClicked(double x);

 protected:
  void updateLayout() override;
  void processRectZoom(QRect rect, QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void ApplyRanges(const ChartRanges& r);
  void FitRightAxis();
  void ShowAxisLabels();
  void MarkClippedAcceleration();
  void DropCursor();
  void RescaleToData();
  void ApplyTitles();
  std::optional<Curve> CurveAt(QPoint at) const;
  void AddUnits(QSize size);

  Use use_;
  ChartState state_;
  std::array<QCPGraph*, CurveCount> graphs_{};
  // Lowest and highest value of each curve, found when the curve is set.
  std::array<std::pair<double, double>, CurveCount> extents_;
  QSharedPointer<SecondsTicker> secondsTicker_;
  QSharedPointer<StepTicker> leftTicker_;
  QSharedPointer<StepTicker> rightTicker_;
  MarkerLayer* markerLayer_ = nullptr;
  TransientLayer* transientLayer_ = nullptr;
  // Where the acceleration curve leaves the right axis: marks at its top and bottom.
  QCPGraph* clippedAbove_ = nullptr;
  QCPGraph* clippedBelow_ = nullptr;
  CursorLayer* cursorLayer_ = nullptr;
  std::vector<ChartRanges> zoomStack_;  // the ranges before each zoom step
  std::optional<QPoint> leftPressAt_;
  bool dirty_ = true;
  bool readoutEnabled_ = false;
};

// Draws a print of the chart into painter, laid out for size pixels from its top left.
void DrawChart(QCPPainter& painter, QSize size, const ChartPrint& print);

}  // namespace hypsor
