#pragma once
// What FlightChart draws over the plotting library's chart: markers on the curves, the cursor
// line with its readout and the reference line. Only the chart's own units include this.
#include <optional>
#include <vector>

#include <QObject>
#include <QPoint>

#include "session/FlightWorkspace.h"

class QGraphicsEllipseItem;
class QGraphicsLineItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;

namespace hypsor {

class ChartView;
class FlightChart;

class ChartOverlay : public QObject {
  Q_OBJECT
 public:
  ChartOverlay(FlightChart* owner, ChartView* view);
  ~ChartOverlay() override;

  void SetMarkers(const std::vector<ChartMarker>& markers);
  const std::vector<ChartMarker>& Markers() const { return markers_; }
  std::vector<std::pair<QString, QPoint>> VisibleMarkerPositions() const;
  void EnableReadout();
  void ShowReadout(double x, const QString& text);
  void HideReadout();
  void SetReference(std::optional<double> x);
  QString ReadoutText() const;
  bool ReferenceShown() const { return referenceX_.has_value(); }
  double TimeAt(QPoint viewportPoint) const;
  // Puts everything where the axes and the plot area now say.
  void Reposition();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct MarkerItems {
    QGraphicsEllipseItem* symbol;
    QGraphicsSimpleTextItem* label;
  };
  QPointF ScenePosition(QPointF value) const;
  void ClearMarkerItems();
  void PlaceReadout();

  FlightChart* owner_;
  ChartView* view_;
  std::vector<ChartMarker> markers_;
  std::vector<MarkerItems> markerItems_;
  QGraphicsLineItem* cursorLine_;
  QGraphicsRectItem* readoutBox_;
  QGraphicsSimpleTextItem* readoutText_;
  QGraphicsLineItem* referenceLine_;
  std::optional<double> cursorX_;
  std::optional<double> referenceX_;
  bool readoutEnabled_ = false;
  // A left press that may become a click on the empty chart.
  std::optional<QPoint> pressAt_;
  bool curveClickedSincePress_ = false;
};

}  // namespace hypsor
