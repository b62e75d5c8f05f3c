// The plotting library's side of the flight chart: series, axes, label thinning, zoom steps.
#include "ui/ChartView.h"

#include "ui/FlightChart.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QValueAxis>

namespace hypsor {
namespace {

QLineSeries* MakeSeries(const QString& title, const QColor& colour, int width, Qt::PenStyle style) {
  auto* s = new QLineSeries;
  s->setName(title);
  QPen pen(colour);
  pen.setWidth(width);
  pen.setStyle(style);
  s->setPen(pen);
  s->setPointsVisible(false);
  s->setPointLabelsVisible(false);
  return s;
}

// A label step of 1, 2 or 5 times a power of ten that gives about `count` labels over `span`.
double NiceStep(double span, double count) {
  const double raw = span / std::max(1.0, count);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (raw <= m * power) return m * power;
  return 10.0 * power;
}

void DataExtent(const QLineSeries* s, double& lo, double& hi) {
  const QList<QPointF> pts = s->points();
  for (const QPointF& p : pts) {
    lo = std::min(lo, p.y());
    hi = std::max(hi, p.y());
  }
}

}  // namespace

ChartView::ChartView(FlightChart* owner) : QChartView(owner), owner_(owner), chart_(new QChart) {
  setChart(chart_);
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::RubberBands(QChartView::RectangleRubberBand) |
                QChartView::ClickThroughRubberBand);

  chart_->setTitle(QStringLiteral("Wysokosc / Altitude"));
  chart_->setTitleBrush(Qt::transparent);
  chart_->setBackgroundBrush(QColor(211, 211, 211));
  chart_->setBackgroundRoundness(0);
  chart_->setMargins(QMargins(4, 4, 0, 6));
  chart_->setAnimationOptions(QChart::NoAnimation);
  // Axis numbers in the user's locale, thousands grouped ("1,234" or "1 234").
  chart_->setLocalizeNumbers(true);
  chart_->legend()->setAlignment(Qt::AlignTop);

  // Colours, widths and styles by curve, in the order of Curve.
  series_ = {MakeSeries(QStringLiteral("Wys."), Qt::red, 2, Qt::SolidLine),
             MakeSeries(QStringLiteral("Przysp."), Qt::blue, 1, Qt::SolidLine),
             MakeSeries(QStringLiteral("Porown"), Qt::yellow, 2, Qt::SolidLine),
             MakeSeries(QStringLiteral("Filtr"), Qt::green, 2, Qt::SolidLine),
             MakeSeries(QStringLiteral("Filtr2"), QColor(255, 0, 255), 1, Qt::DashLine),
             MakeSeries(QStringLiteral("Filtr3"), QColor(255, 255, 128), 1, Qt::DashLine)};

  bottom_ = new QCategoryAxis;
  bottom_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  bottom_->setLabelsAngle(-90);
  bottom_->setGridLineColor(QColor(182, 182, 182));
  bottom_->setGridLinePen(QPen(QColor(182, 182, 182), 1, Qt::DotLine));
  bottom_->setLinePen(QPen(Qt::black, 1, Qt::DotLine));
  bottom_->setMinorGridLineVisible(false);
  left_ = new QValueAxis;
  left_->setLabelFormat(QStringLiteral("%.0f"));
  left_->setTickType(QValueAxis::TicksDynamic);
  left_->setTickAnchor(0);
  left_->setGridLinePen(QPen(QColor(182, 182, 182), 1, Qt::DotLine));
  right_ = new QValueAxis;
  right_->setLabelFormat(QStringLiteral("%.1f"));
  right_->setGridLineVisible(false);
  right_->setMinorTickCount(0);
  right_->setTickType(QValueAxis::TicksDynamic);
  right_->setTickAnchor(0);

  chart_->addAxis(bottom_, Qt::AlignBottom);
  chart_->addAxis(left_, Qt::AlignLeft);
  chart_->addAxis(right_, Qt::AlignRight);
  for (QLineSeries* s : series_) {
    chart_->addSeries(s);
    s->attachAxis(bottom_);
    s->attachAxis(s == SeriesOf(Curve::Acceleration) ? right_ : left_);
    connect(s, &QLineSeries::clicked, this, [this, s] { emit owner_->CurveClicked(CurveOf(s)); });
  }
  // Only the three flight curves have legend entries.
  for (Curve c : {Curve::Spare, Curve::UnfilteredAltitude, Curve::UnfilteredComparison})
    for (QLegendMarker* m : chart_->legend()->markers(SeriesOf(c))) m->setVisible(false);
  ConnectLegendMarkers();

  connect(bottom_, &QValueAxis::rangeChanged, this, [this] { RebuildTimeLabels(); });
  ApplyRanges({0, 1, 0, 1, -1, 1});
}

void ChartView::ConnectLegendMarkers() {
  for (QLegendMarker* m : chart_->legend()->markers())
    connect(m, &QLegendMarker::clicked, owner_, &FlightChart::LegendClicked, Qt::UniqueConnection);
}

Curve ChartView::CurveOf(const QLineSeries* s) const {
  for (int i = 0; i < CurveCount; ++i)
    if (series_[i] == s) return static_cast<Curve>(i);
  return Curve::Spare;
}

void ChartView::SetPoints(Curve curve, const std::vector<float>& values) {
  QList<QPointF> pts;
  pts.reserve(static_cast<qsizetype>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i)
    pts.append(
        QPointF(owner_->placement_[static_cast<std::size_t>(curve)].X(static_cast<double>(i)),
                static_cast<double>(values[i])));
  SeriesOf(curve)->replace(pts);
  RescaleToData();
}

void ChartView::SetTimeLabels(const QStringList& labels) {
  labels_ = labels;
  RebuildTimeLabels();
}

void ChartView::SetSeriesTitle(Curve curve, const QString& title) {
  SeriesOf(curve)->setName(title);
  // Qt 6.4 does not redraw a marker whose label changed.
  chart_->legend()->update();
}

void ChartView::SetLeftAxis(const LeftAxisRequest& request) {
  axis_ = request;
  if (axis_.increment < 0) axis_.increment = 0;  // 0: the axis spaces its labels itself
  RescaleToData();
}

void ChartView::UndoZoom() {
  if (zoomStack_.empty()) return;
  const Ranges home = zoomStack_.front();
  zoomStack_.clear();
  ApplyRanges(home);
}

ChartView::Ranges ChartView::CurrentRanges() const {
  return {bottom_->min(), bottom_->max(), left_->min(), left_->max(), right_->min(), right_->max()};
}

void ChartView::ApplyRanges(const Ranges& r) {
  // Labels about every 40 pixels, on round values.
  const double rows = std::max(2.0, chart_->plotArea().height() / 40.0);
  const double nice = NiceStep(r.y1 - r.y0, rows);
  // A fixed increment is kept unless it would crowd the labels. The left axis shows at most one
  // decimal (thousands grouped by the locale), so its step is never finer than 0.1.
  const double step = std::max(0.1, axis_.increment > 0 ? std::max(axis_.increment, nice) : nice);
  left_->setTickInterval(step);
  left_->setLabelFormat(step < 1.0 ? QStringLiteral("%.1f") : QStringLiteral("%.0f"));
  left_->setRange(r.y0, r.y1);
  // The right axis has one decimal too: a finer step would repeat labels ("0.1 0.1 0.0").
  const double rightStep = std::max(0.1, NiceStep(r.r1 - r.r0, rows));
  right_->setTickInterval(rightStep);
  right_->setLabelFormat(rightStep < 1.0 ? QStringLiteral("%.1f") : QStringLiteral("%.0f"));
  right_->setRange(r.r0, r.r1);
  bottom_->setRange(r.x0, r.x1);
  RebuildTimeLabels();
}

void ChartView::RescaleToData() {
  // The time axis reaches the last point of any curve (a comparison on real time may stand
  // elsewhere than at its sample numbers).
  double lastX = 0;
  for (QLineSeries* s : series_)
    if (s->count() > 0) lastX = std::max(lastX, s->at(s->count() - 1).x());

  constexpr double inf = std::numeric_limits<double>::infinity();
  double lo = inf, hi = -inf;
  for (QLineSeries* s : series_)
    if (s != SeriesOf(Curve::Acceleration)) DataExtent(s, lo, hi);
  const bool hasData = lo <= hi;
  double y0 = axis_.minimum, y1 = axis_.maximum;
  if (hasData && (axis_.automatic || axis_.automaticMinimum)) y0 = lo;
  if (hasData && (axis_.automatic || axis_.automaticMaximum)) y1 = hi;
  // Whatever the drawing code asked for, every curve stays on the chart.
  if (hasData) y0 = std::min(y0, lo), y1 = std::max(y1, hi);
  if (!(y1 > y0)) y1 = y0 + 1;

  // Without an acceleration curve the right axis keeps the scale it had.
  const Ranges now = zoomStack_.empty() ? CurrentRanges() : zoomStack_.front();
  double r0 = inf, r1 = -inf;
  DataExtent(SeriesOf(Curve::Acceleration), r0, r1);
  if (!(r0 <= r1)) r0 = now.r0, r1 = now.r1;
  if (!(r1 > r0)) r0 -= 1, r1 += 1;

  const Ranges home{0, std::max(1.0, lastX), y0, y1, r0, r1};
  if (!zoomStack_.empty()) {
    zoomStack_.front() = home;  // keep the user's zoom; the new data is there when undone
    RebuildTimeLabels();
  } else {
    ApplyRanges(home);
  }
}

double ChartView::SecondsPerPoint() const {
  // From the first two labelled points: labels stand on whole seconds.
  int firstIndex = -1;
  int firstSecond = 0;
  for (qsizetype i = 0; i < labels_.size(); ++i) {
    if (labels_[i].isEmpty()) continue;
    const int second = labels_[i].toInt();
    if (firstIndex < 0) {
      firstIndex = static_cast<int>(i);
      firstSecond = second;
    } else if (second > firstSecond) {
      return static_cast<double>(second - firstSecond) / static_cast<double>(i - firstIndex);
    }
  }
  return 1.0;
}

void ChartView::RebuildTimeLabels() {
  if (rebuildingLabels_) return;
  rebuildingLabels_ = true;
  const double x0 = bottom_->min(), x1 = bottom_->max();
  for (const QString& l : bottom_->categoriesLabels()) bottom_->remove(l);

  // The labels stand on end, so each needs a text line of width; the chart library also keeps a
  // padding on both sides of each and draws none at all when they do not fit. Show every 1, 2, 5,
  // 10, 20, 30 or 60 s, the finest step that leaves that much room between neighbours.
  const QRectF plot = chart_->plotArea();
  const double pixelsPerPoint = std::max(1e-9, plot.width()) / std::max(1e-9, x1 - x0);
  const double pixelsPerSecond = pixelsPerPoint / SecondsPerPoint();
  const double needed = QFontMetrics(bottom_->labelsFont()).height() + 2 * kLabelPadding + 6;
  int stepSeconds = 0;
  for (int s : {1, 2, 5, 10, 20, 30, 60, 120, 300, 600, 1200, 1800, 3600}) {
    stepSeconds = s;
    if (s * pixelsPerSecond >= needed) break;
  }
  // Nothing under the "[sek]" text at the bottom right.
  const double rightmost = mapFromScene(QPointF(width() - reservedRight_, 0)).x();
  const double lastX = std::min(x1, x0 + (rightmost - plot.left()) / pixelsPerPoint);
  double previous = -1e18;
  const qsizetype first = std::max<qsizetype>(0, static_cast<qsizetype>(std::ceil(x0)));
  const qsizetype last = std::min<qsizetype>(labels_.size() - 1, static_cast<qsizetype>(lastX));
  for (qsizetype i = first; i <= last; ++i) {
    if (labels_[i].isEmpty() || labels_[i].toInt() % stepSeconds != 0) continue;
    if ((static_cast<double>(i) - previous) * pixelsPerPoint < needed) continue;
    bottom_->append(labels_[i], static_cast<double>(i));
    previous = static_cast<double>(i);
  }
  bottom_->setStartValue(x0);
  bottom_->setRange(x0, x1);
  rebuildingLabels_ = false;
}

QStringList ChartView::VisibleTimeLabels() const {
  return bottom_->categoriesLabels();
}

void ChartView::mousePressEvent(QMouseEvent* event) {
  // Qt 6.4 dereferences the item under the cursor without checking it exists.
  if (!itemAt(event->position().toPoint())) {
    event->accept();
    return;
  }
  if (event->button() == Qt::LeftButton) {
    pressRanges_ = CurrentRanges();
    pressPosition_ = event->position().toPoint();
  }
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QChartView::mousePressEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    // Undo one zoom step instead of the library's zoom-out by two.
    if (!zoomStack_.empty()) {
      const Ranges back = zoomStack_.back();
      zoomStack_.pop_back();
      ApplyRanges(back);
    }
    event->accept();
    return;
  }
  QChartView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && pressRanges_) {
    // Only a dragged rectangle is a zoom step; a click (on a curve, say) is not, even when what
    // it does changes the axes.
    const Ranges now = CurrentRanges();
    const Ranges& before = *pressRanges_;
    const bool dragged = (event->position().toPoint() - pressPosition_).manhattanLength() >=
                         QApplication::startDragDistance();
    if (dragged &&
        (now.x0 != before.x0 || now.x1 != before.x1 || now.y0 != before.y0 || now.y1 != before.y1))
      zoomStack_.push_back(before);
    pressRanges_.reset();
    RebuildTimeLabels();
  }
}

void ChartView::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  // Label steps depend on the room there is: compute them again for the new size.
  ApplyRanges(CurrentRanges());
}

}  // namespace hypsor
