// FlightChart's views beyond the curves: placement on real time, markers, the cursor readout
// and drawing into any painter.
#include <QChart>
#include <QCoreApplication>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPainter>
#include <QResizeEvent>

#include "ui/ChartOverlay.h"
#include "ui/ChartView.h"
#include "ui/FlightChart.h"

namespace hypsor {

void ChartView::ApplyPlacement(Curve curve) {
  QLineSeries* s = SeriesOf(curve);
  QList<QPointF> pts = s->points();
  const CurvePlacement& p = owner_->placement_[static_cast<std::size_t>(curve)];
  for (qsizetype i = 0; i < pts.size(); ++i) pts[i].setX(p.X(static_cast<double>(i)));
  s->replace(pts);
  RescaleToData();
}

void FlightChart::OverlayDeleter::operator()(ChartOverlay* overlay) const {
  delete overlay;
}

ChartOverlay* FlightChart::Overlay() {
  if (!overlay_) overlay_.reset(new ChartOverlay(this, view_));
  return overlay_.get();
}

void FlightChart::SetCurvePlacement(Curve curve, CurvePlacement placement) {
  CurvePlacement& p = placement_[static_cast<std::size_t>(curve)];
  if (p == placement) return;
  p = placement;
  view_->ApplyPlacement(curve);
}

CurvePlacement FlightChart::Placement(Curve curve) const {
  return placement_[static_cast<std::size_t>(curve)];
}

void FlightChart::SetMarkers(const std::vector<ChartMarker>& markers) {
  Overlay()->SetMarkers(markers);
}

std::vector<ChartMarker> FlightChart::Markers() const {
  return overlay_ ? overlay_->Markers() : std::vector<ChartMarker>{};
}

std::vector<std::pair<QString, QPoint>> FlightChart::VisibleMarkerPositions() const {
  return overlay_ ? overlay_->VisibleMarkerPositions() : std::vector<std::pair<QString, QPoint>>{};
}

void FlightChart::EnableReadout() {
  Overlay()->EnableReadout();
}

void FlightChart::ShowReadout(double x, const QString& text) {
  Overlay()->ShowReadout(x, text);
}

void FlightChart::HideReadout() {
  if (overlay_) overlay_->HideReadout();
}

void FlightChart::SetReference(std::optional<double> x) {
  Overlay()->SetReference(x);
}

QString FlightChart::ReadoutText() const {
  return overlay_ ? overlay_->ReadoutText() : QString();
}

bool FlightChart::ReferenceShown() const {
  return overlay_ && overlay_->ReferenceShown();
}

double FlightChart::TimeAt(QPoint plotWidgetPoint) const {
  return const_cast<FlightChart*>(this)->Overlay()->TimeAt(plotWidgetPoint);
}

void FlightChart::PassDropsToWindow() {
  view_->setAcceptDrops(false);
  view_->viewport()->setAcceptDrops(false);
}

void FlightChart::Render(QPainter& painter, QSize size) {
  // Lay the chart out for the size asked (axis labels, legend and markers placed for it), draw,
  // and give the window its own size back before anything is painted on screen.
  const QSize shown = view_->size();
  auto layOut = [this](QSize at) {
    if (view_->size() != at) view_->resize(at);
    QCoreApplication::sendPostedEvents();  // the chart's pending layout
    QResizeEvent resized(at, at);          // the labels that fit this size
    QCoreApplication::sendEvent(view_, &resized);
    QCoreApplication::sendPostedEvents();
    if (overlay_) overlay_->Reposition();
  };
  layOut(size);
  // Drawn afresh, never from the pictures the items keep for the screen: a drawing or a
  // document keeps its lines and text.
  std::vector<QGraphicsItem*> cached;
  for (QGraphicsItem* item : view_->scene()->items()) {
    if (item->cacheMode() == QGraphicsItem::NoCache) continue;
    cached.push_back(item);
    item->setCacheMode(QGraphicsItem::NoCache);
  }
  painter.setRenderHint(QPainter::Antialiasing);
  view_->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), QRect(QPoint(0, 0), size));
  for (QGraphicsItem* item : cached) item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
  if (size != shown) layOut(shown);
}

}  // namespace hypsor
