#include "ui/ChartOverlay.h"

#include <QApplication>
#include <QBrush>
#include <QCategoryAxis>
#include <QChart>
#include <QFont>
#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPen>
#include <QPixmapCache>
#include <QTimer>
#include <QValueAxis>

#include "ui/ChartView.h"
#include "ui/FlightChart.h"

namespace hypsor {

namespace {

// Above the curves, the axes and the legend.
constexpr qreal kOverlayZ = 1000;
constexpr qreal kSymbolRadius = 4;

QFont SmallFont(bool bold) {
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(11);
  f.setBold(bold);
  return f;
}

template <class Item>
Item* Add(QGraphicsScene* scene, Item* item) {
  item->setZValue(kOverlayZ);
  item->setAcceptedMouseButtons(Qt::NoButton);  // clicks reach the curves and the zoom
  item->setAcceptHoverEvents(false);
  scene->addItem(item);
  return item;
}

}  // namespace

ChartOverlay::ChartOverlay(FlightChart* owner, ChartView* view) : owner_(owner), view_(view) {
  QGraphicsScene* scene = view_->scene();
  cursorLine_ = Add(scene, new QGraphicsLineItem);
  cursorLine_->setPen(QPen(QColor(60, 60, 60), 1));
  referenceLine_ = Add(scene, new QGraphicsLineItem);
  referenceLine_->setPen(QPen(QColor(0, 90, 0), 1, Qt::DashLine));
  readoutBox_ = Add(scene, new QGraphicsRectItem);
  readoutBox_->setBrush(QColor(255, 255, 255, 225));
  readoutBox_->setPen(QPen(QColor(120, 120, 120), 1));
  readoutText_ = Add(scene, new QGraphicsSimpleTextItem);
  readoutText_->setFont(SmallFont(false));
  for (QGraphicsItem* i : std::initializer_list<QGraphicsItem*>{cursorLine_, referenceLine_,
                                                                readoutBox_, readoutText_})
    i->hide();

  QChart* chart = view_->Chart();
  connect(chart, &QChart::plotAreaChanged, this, &ChartOverlay::Reposition);
  connect(view_->BottomAxis(), &QValueAxis::rangeChanged, this, &ChartOverlay::Reposition);
  connect(view_->LeftAxis(), &QValueAxis::rangeChanged, this, &ChartOverlay::Reposition);
  connect(owner_, &FlightChart::CurveClicked, this, [this] { curveClickedSincePress_ = true; });
}

ChartOverlay::~ChartOverlay() {
  if (readoutEnabled_) view_->viewport()->removeEventFilter(this);
  ClearMarkerItems();
}

QPointF ChartOverlay::ScenePosition(QPointF value) const {
  QChart* chart = view_->Chart();
  return chart->mapToScene(chart->mapToPosition(value, view_->SeriesOf(Curve::Altitude)));
}

double ChartOverlay::TimeAt(QPoint viewportPoint) const {
  QChart* chart = view_->Chart();
  const QPointF inChart = chart->mapFromScene(view_->mapToScene(viewportPoint));
  return chart->mapToValue(inChart, view_->SeriesOf(Curve::Altitude)).x();
}

// ---------------------------------------------------------------- markers

void ChartOverlay::ClearMarkerItems() {
  for (MarkerItems& m : markerItems_) {
    delete m.symbol;
    delete m.label;
  }
  markerItems_.clear();
}

void ChartOverlay::SetMarkers(const std::vector<ChartMarker>& markers) {
  ClearMarkerItems();
  markers_ = markers;
  QGraphicsScene* scene = view_->scene();
  for (const ChartMarker& m : markers_) {
    MarkerItems items{};
    items.symbol = Add(scene, new QGraphicsEllipseItem(-kSymbolRadius, -kSymbolRadius,
                                                       2 * kSymbolRadius, 2 * kSymbolRadius));
    items.symbol->setBrush(view_->SeriesOf(m.curve)->pen().color());
    items.symbol->setPen(QPen(Qt::black, 1));
    items.label = Add(scene, new QGraphicsSimpleTextItem(m.label));
    items.label->setFont(SmallFont(true));
    markerItems_.push_back(items);
  }
  Reposition();
}

std::vector<std::pair<QString, QPoint>> ChartOverlay::VisibleMarkerPositions() const {
  std::vector<std::pair<QString, QPoint>> out;
  for (std::size_t i = 0; i < markerItems_.size(); ++i) {
    if (!markerItems_[i].symbol->isVisible()) continue;
    out.emplace_back(markers_[i].label, view_->mapFromScene(markerItems_[i].symbol->pos()));
  }
  return out;
}

// ---------------------------------------------------------------- cursor readout

void ChartOverlay::EnableReadout() {
  if (readoutEnabled_) return;
  readoutEnabled_ = true;
  // The cursor line moves over curves of thousands of points: the chart's own items keep a
  // picture of themselves, so a move repaints from it instead of stroking every curve again.
  // Those pictures live in the application's pixmap cache, which must hold them all.
  QPixmapCache::setCacheLimit(std::max(QPixmapCache::cacheLimit(), 64 * 1024));
  for (QGraphicsItem* item : view_->scene()->items())
    if (item->zValue() < kOverlayZ) item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
  view_->viewport()->setMouseTracking(true);
  view_->viewport()->installEventFilter(this);
}

void ChartOverlay::ShowReadout(double x, const QString& text) {
  cursorX_ = x;
  readoutText_->setText(text);
  PlaceReadout();
}

void ChartOverlay::HideReadout() {
  cursorX_.reset();
  cursorLine_->hide();
  readoutBox_->hide();
  readoutText_->hide();
}

void ChartOverlay::SetReference(std::optional<double> x) {
  referenceX_ = x;
  Reposition();
}

QString ChartOverlay::ReadoutText() const {
  return cursorX_ ? readoutText_->text() : QString();
}

void ChartOverlay::PlaceReadout() {
  const QRectF plot = view_->Chart()->mapToScene(view_->Chart()->plotArea()).boundingRect();
  if (!cursorX_) return;
  const qreal x = ScenePosition(QPointF(*cursorX_, 0)).x();
  if (x < plot.left() || x > plot.right()) {
    cursorLine_->hide();
    readoutBox_->hide();
    readoutText_->hide();
    return;
  }
  cursorLine_->setLine(x, plot.top(), x, plot.bottom());
  cursorLine_->show();
  if (readoutText_->text().isEmpty()) {
    readoutBox_->hide();
    readoutText_->hide();
    return;
  }
  // Beside the line at the top of the plot, on the side with room.
  const QRectF text = readoutText_->boundingRect();
  qreal left = x + 8;
  if (left + text.width() + 6 > plot.right()) left = x - 8 - text.width() - 6;
  left = std::max(left, plot.left());
  readoutText_->setPos(left + 3, plot.top() + 5);
  readoutBox_->setRect(left, plot.top() + 2, text.width() + 6, text.height() + 6);
  readoutBox_->show();
  readoutText_->show();
}

void ChartOverlay::Reposition() {
  const QRectF plot = view_->Chart()->mapToScene(view_->Chart()->plotArea()).boundingRect();
  for (std::size_t i = 0; i < markerItems_.size(); ++i) {
    const QPointF at = ScenePosition(markers_[i].at);
    MarkerItems& items = markerItems_[i];
    const bool inside = plot.adjusted(-0.5, -0.5, 0.5, 0.5).contains(at);
    items.symbol->setVisible(inside);
    items.label->setVisible(inside);
    if (!inside) continue;
    items.symbol->setPos(at);
    const QRectF text = items.label->boundingRect();
    qreal left = at.x() + kSymbolRadius + 2;
    if (left + text.width() > plot.right()) left = at.x() - kSymbolRadius - 2 - text.width();
    qreal top = at.y() - kSymbolRadius - text.height();
    if (top < plot.top()) top = at.y() + kSymbolRadius;
    items.label->setPos(left, top);
  }
  if (referenceX_) {
    const qreal x = ScenePosition(QPointF(*referenceX_, 0)).x();
    referenceLine_->setLine(x, plot.top(), x, plot.bottom());
    referenceLine_->setVisible(x >= plot.left() && x <= plot.right());
  } else {
    referenceLine_->hide();
  }
  PlaceReadout();
}

bool ChartOverlay::eventFilter(QObject* watched, QEvent* event) {
  if (watched != view_->viewport()) return false;
  const QRectF plot = view_->Chart()->mapToScene(view_->Chart()->plotArea()).boundingRect();
  switch (event->type()) {
    case QEvent::MouseMove: {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (plot.contains(view_->mapToScene(at))) {
        emit owner_->CursorMoved(TimeAt(at));
      } else if (cursorX_) {
        emit owner_->CursorLeft();
      }
      break;
    }
    case QEvent::Leave:
      if (cursorX_) emit owner_->CursorLeft();
      break;
    case QEvent::MouseButtonPress: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() == Qt::LeftButton) {
        pressAt_ = e->position().toPoint();
        curveClickedSincePress_ = false;
      }
      break;
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() != Qt::LeftButton || !pressAt_) break;
      const QPoint at = e->position().toPoint();
      const bool click = (at - *pressAt_).manhattanLength() < QApplication::startDragDistance();
      pressAt_.reset();
      if (!click || !plot.contains(view_->mapToScene(at))) break;
      // The chart handles the release after this filter: a curve hit reports itself then.
      const double x = TimeAt(at);
      QTimer::singleShot(0, this, [this, x] {
        if (!curveClickedSincePress_) emit owner_->EmptyClicked(x);
      });
      break;
    }
    default:
      break;
  }
  return false;
}

}  // namespace hypsor
