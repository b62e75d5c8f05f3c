#pragma once
#include <memory>
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

class ChartView;

// The flight chart: six curves against the point index, altitude on the left axis,
// acceleration on the right, whole-second labels on the bottom axis. Zoom by dragging a
// rectangle; a right click undoes one zoom step. The rest of the program reaches the plotting
// library only through this interface, so the library can be replaced here alone.
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
  void Repaint();

  struct Range {
    double min, max;
  };
  Range TimeRange() const;
  Range LeftRange() const;
  Range RightRange() const;
  double RequestedLeftMaximum() const { return request_.maximum; }
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

 signals:
  void CurveClicked(Curve curve);
  void LegendClicked();

 private:
  friend class ChartView;
  ChartView* view_;
  LeftAxisRequest request_;
};

}  // namespace hypsor
