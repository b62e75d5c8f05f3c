#pragma once
// The plotting library's side of FlightChart; only FlightChart.cpp includes this.
#include <array>
#include <optional>
#include <vector>

#include <QChartView>
#include <QStringList>

#include "session/FlightWorkspace.h"

class QCategoryAxis;
class QChart;
class QLineSeries;
class QValueAxis;

namespace hypsor {

class FlightChart;

class ChartView : public QChartView {
  Q_OBJECT
 public:
  explicit ChartView(FlightChart* owner);

  QLineSeries* SeriesOf(Curve c) const { return series_[static_cast<int>(c)]; }
  Curve CurveOf(const QLineSeries* s) const;
  void SetPoints(Curve curve, const std::vector<float>& values);
  void SetTimeLabels(const QStringList& labels);
  void SetSeriesTitle(Curve curve, const QString& title);
  void SetLeftAxis(const LeftAxisRequest& request);
  void UndoZoom();
  // Moves a curve's points to the owner's placement for it (FlightChartViews.cpp).
  void ApplyPlacement(Curve curve);

  int ZoomDepth() const { return static_cast<int>(zoomStack_.size()); }
  QChart* Chart() const { return chart_; }
  QValueAxis* LeftAxis() const { return left_; }
  QValueAxis* RightAxis() const { return right_; }
  QCategoryAxis* BottomAxis() const { return bottom_; }
  QStringList VisibleTimeLabels() const;

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
  double SecondsPerPoint() const;
  // The chart library keeps this much room on each side of a bottom-axis label.
  static constexpr double kLabelPadding = 5;
  void ConnectLegendMarkers();

  FlightChart* owner_;
  QChart* chart_;
  QCategoryAxis* bottom_;
  QValueAxis* left_;
  QValueAxis* right_;
  std::array<QLineSeries*, CurveCount> series_{};
  QStringList labels_;
  std::vector<Ranges> zoomStack_;  // the ranges before each zoom step
  std::optional<Ranges> pressRanges_;
  QPoint pressPosition_;
  int reservedRight_ = 90;  // the "[sek]" text stands over the bottom right of the chart
  bool rebuildingLabels_ = false;
  LeftAxisRequest axis_;
};

}  // namespace hypsor
