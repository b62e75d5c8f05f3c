#pragma once
#include <array>
#include <optional>
#include <vector>

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QString>

class QCategoryAxis;
class QChart;
class QLineSeries;
class QValueAxis;

namespace hypsor {

// The flight chart: six line series against the point index, altitude on the left axis,
// acceleration on the right, whole-second labels on the bottom axis. Zoom by dragging a
// rectangle; a right click undoes one zoom step. Series are filled whole (replace), never
// point by point, so a flight of thousands of samples draws at once.
class FlightChart : public QChartView {
  Q_OBJECT
 public:
  explicit FlightChart(QWidget* parent = nullptr);

  QLineSeries* Series1;  // altitude (red, width 2)
  QLineSeries* Series2;  // acceleration (blue, right axis)
  QLineSeries* Series3;  // comparison (yellow, width 2)
  QLineSeries* Series4;  // green; only ever cleared
  QLineSeries* Series5;  // unfiltered main flight after a filter run (fuchsia, dashed)
  QLineSeries* Series6;  // unfiltered comparison after a filter run (light yellow, dashed)

  // Drawing operations. The point's x is its index in the series.
  void ClearSeries(QLineSeries* series);
  void SetPoints(QLineSeries* series, const std::vector<float>& values);
  // Bottom-axis labels: labels[i] is the whole-second text of point i, or empty.
  void SetTimeLabels(const QStringList& labels);
  void SetSeriesTitle(QLineSeries* series, const QString& title);

  // Left axis: a fixed end or an end taken from the data, as the drawing code asks.
  void SetAxisMinimum(double v);
  void SetAxisMaximum(double v);
  double AxisMaximum() const { return leftMax_; }
  void SetAxisAutomatic(bool on);
  void SetAxisAutomaticMaximum(bool on);
  void SetAxisAutomaticMinimum(bool on);
  void SetAxisIncrement(double v);
  void UndoZoom();
  void RepaintChart();

  int ZoomDepth() const { return static_cast<int>(zoomStack_.size()); }
  QChart* Chart() const { return chart_; }
  QValueAxis* LeftAxis() const { return left_; }
  QValueAxis* RightAxis() const { return right_; }
  QCategoryAxis* BottomAxis() const { return bottom_; }
  // The labels the bottom axis shows now (after thinning to what fits).
  QStringList VisibleTimeLabels() const;

 signals:
  void SeriesClicked(QLineSeries* series);  // a click on a curve
  void LegendClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Ranges {
    double x0, x1, y0, y1, r0, r1;
  };
  Ranges CurrentRanges() const;
  void ApplyRanges(const Ranges& r);
  void RescaleToData();
  void RebuildTimeLabels();
  void ConnectLegendMarkers();

  QChart* chart_;
  QCategoryAxis* bottom_;
  QValueAxis* left_;
  QValueAxis* right_;
  std::array<QLineSeries*, 6> series_{};
  QStringList labels_;
  std::vector<Ranges> zoomStack_;  // the ranges before each zoom step
  std::optional<Ranges> pressRanges_;
  bool rebuildingLabels_ = false;

  bool leftAutomatic_ = false, leftAutoMax_ = false, leftAutoMin_ = true;
  double leftMin_ = 0.0, leftMax_ = 1.0;
  double leftIncrement_ = 0.0;
};

}  // namespace hypsor
