// SPDX-License-Identifier: GPL-3.0-or-later
// The flight chart on the plotting library: curves, axes, legend, zoom steps and clicks.
#include "ui/ChartPlot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QApplication>

#include "ui/ChartLayers.h"
#include "ui/ChartTickers.h"

namespace hypsor {

namespace {

const QColor kBackground(211, 211, 211);
const QColor kGrid(182, 182, 182);
// The unit texts stand over the bottom right of the chart; no seconds label goes under them.
constexpr int kSecondsUnitReserve = 90;
// How close to a curve a click must be to hit it, in pixels.
constexpr double kClickTolerance = 6;

struct CurveStyle {
  QColor colour;
  int width;
  Qt::PenStyle style;
  bool inLegend;
};

// Colours, widths and styles by curve, in the order of Curve.
const std::array<CurveStyle, CurveCount> kStyles = {{
    {Qt::red, 2, Qt::SolidLine, true},
    {Qt::blue, 1, Qt::SolidLine, true},
    {Qt::yellow, 2, Qt::SolidLine, true},
    {Qt::green, 2, Qt::SolidLine, false},
    {QColor(255, 0, 255), 1, Qt::DashLine, false},
    {QColor(255, 255, 128), 1, Qt::DashLine, false},
    {QColor(0, 110, 160), 2, Qt::DashLine, false},
}};

QFont UnitFont(int pixelSize) {
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(pixelSize);
  return f;
}

// The lowest and highest value of a curve; lo > hi for an empty one.
std::pair<double, double> Extent(const std::vector<float>& values) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (float v : values) {
    lo = std::min(lo, static_cast<double>(v));
    hi = std::max(hi, static_cast<double>(v));
  }
  return {lo, hi};
}

}  // namespace

ChartPlot::ChartPlot(Use use, QWidget* parent) : QCustomPlot(parent), use_(use) {
  extents_.fill(Extent({}));
  // Axis numbers in the user's locale, thousands grouped ("1,234" or "1 234").
  setLocale(QLocale());
  setBackground(kBackground);
  // Whatever drew the plot in full, it is up to date.
  connect(this, &QCustomPlot::afterReplot, this, [this] { dirty_ = false; });
  setSelectionTolerance(static_cast<int>(kClickTolerance));
  setNoAntialiasingOnDrag(true);
  setAntialiasedElements(QCP::aePlottables | QCP::aeItems | QCP::aeLegendItems);
  // Solid curves drawn segment by segment: several times faster on screen. Drawings for files
  // stroke them as one line whatever this says.
  setPlottingHint(QCP::phFastPolylines, true);

  secondsTicker_.reset(new SecondsTicker(xAxis));
  secondsTicker_->SetSeconds(&state_.labelSeconds);
  secondsTicker_->SetRightReserve(kSecondsUnitReserve);
  leftTicker_.reset(new StepTicker(yAxis));
  rightTicker_.reset(new StepTicker(yAxis2));
  xAxis->setTicker(secondsTicker_);
  yAxis->setTicker(leftTicker_);
  yAxis2->setTicker(rightTicker_);
  xAxis->setTickLabelRotation(-90);
  xAxis->setBasePen(QPen(Qt::black, 1, Qt::DotLine));
  yAxis2->setVisible(true);
  yAxis2->grid()->setVisible(false);
  for (QCPAxis* a : {xAxis, yAxis, yAxis2}) {
    a->setSubTicks(false);
    a->grid()->setPen(QPen(kGrid, 1, Qt::DotLine));
  }
  axisRect()->setRangeZoomAxes({xAxis}, {yAxis, yAxis2});

  // The legend in a row of its own above the plot, its entries side by side.
  legend->setVisible(true);
  legend->setBrush(Qt::NoBrush);
  legend->setBorderPen(Qt::NoPen);
  legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
  plotLayout()->insertRow(0);
  plotLayout()->addElement(0, 0, legend);
  plotLayout()->setRowStretchFactor(0, 0.001);
  plotLayout()->setRowSpacing(0);

  for (int i = 0; i < CurveCount; ++i) {
    const CurveStyle& s = kStyles[static_cast<std::size_t>(i)];
    QCPGraph* g = addGraph(xAxis, i == static_cast<int>(Curve::Acceleration) ? yAxis2 : yAxis);
    g->setPen(QPen(s.colour, s.width, s.style));
    g->setSelectable(QCP::stNone);
    if (!s.inLegend) g->removeFromLegend();
    graphs_[static_cast<std::size_t>(i)] = g;
  }

  addLayer(QStringLiteral("markers"), layer(QStringLiteral("main")), limAbove);
  markerLayer_ = new MarkerLayer(this, QStringLiteral("markers"));
  if (use_ == Use::Screen) {
    // The cursor, the reference line and the zoom rectangle on top of everything, on a layer
    // with a picture of its own: a move of the mouse redraws that layer alone. The library's
    // own top layer is left empty by that, and goes.
    addLayer(QStringLiteral("cursor"), layer(QStringLiteral("overlay")), limAbove);
    QCPLayer* top = layer(QStringLiteral("cursor"));
    top->setMode(QCPLayer::lmBuffered);
    cursorLayer_ = new CursorLayer(this, QStringLiteral("cursor"));
    selectionRect()->setLayer(top);
    removeLayer(layer(QStringLiteral("overlay")));
    setSelectionRectMode(QCP::srmZoom);
    selectionRect()->setPen(QPen(Qt::black, 1, Qt::DashLine));
    selectionRect()->setBrush(QColor(0, 0, 255, 40));
    setMouseTracking(true);
  }
  ApplyRanges({});
}

ChartPlot::~ChartPlot() = default;

// ---------------------------------------------------------------- content

void ChartPlot::SetCurve(Curve curve, const std::vector<float>& values) {
  const auto i = static_cast<std::size_t>(curve);
  state_.curves[i] = values;
  extents_[i] = Extent(values);  // with the values, so the others need no new look
  QVector<QCPGraphData> points(static_cast<qsizetype>(values.size()));
  for (std::size_t k = 0; k < values.size(); ++k)
    points[static_cast<qsizetype>(k)] = {state_.placement[i].X(static_cast<double>(k)),
                                         static_cast<double>(values[k])};
  graphs_[i]->data()->set(points, true);
  RescaleToData();
}

void ChartPlot::SetPlacement(Curve curve, CurvePlacement placement) {
  const auto i = static_cast<std::size_t>(curve);
  if (state_.placement[i] == placement) return;
  state_.placement[i] = placement;
  const std::vector<float> values = state_.curves[i];
  SetCurve(curve, values);
}

void ChartPlot::SetTitle(Curve curve, const QString& title) {
  state_.titles[static_cast<std::size_t>(curve)] = title;
  GraphOf(curve)->setName(title);
  Invalidate();
}

void ChartPlot::SetTimeLabels(const std::vector<int>& seconds) {
  state_.labelSeconds = seconds;
  Invalidate();
}

void ChartPlot::SetLeftAxis(const LeftAxisRequest& request) {
  state_.axis = request;
  leftTicker_->SetMinimumStep(std::max(0.0, request.increment));
  RescaleToData();
}

void ChartPlot::SetMarkers(const std::vector<ChartMarker>& markers) {
  state_.markers = markers;
  markerLayer_->SetMarkers(markers);
  Invalidate();
}

void ChartPlot::Load(const ChartPrint& print, QSize size) {
  for (int i = 0; i < CurveCount; ++i) {
    const auto c = static_cast<Curve>(i);
    state_.placement[static_cast<std::size_t>(i)] = print.state.placement[static_cast<std::size_t>(i)];
    SetCurve(c, print.state.curves[static_cast<std::size_t>(i)]);
    SetTitle(c, print.state.titles[static_cast<std::size_t>(i)]);
  }
  SetTimeLabels(print.state.labelSeconds);
  SetLeftAxis(print.state.axis);
  SetMarkers(print.state.markers);
  if (print.ranges) ApplyRanges(*print.ranges);
  if (!print.title.isEmpty()) {
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 1.2);
    f.setBold(true);
    plotLayout()->insertRow(0);
    plotLayout()->setRowSpacing(0);
    plotLayout()->addElement(0, 0, new QCPTextElement(this, print.title, f));
  }
  AddUnits(size);
}

void ChartPlot::AddUnits(QSize size) {
  // Where the window shows them over its chart: metres at the bottom left, seconds at the
  // bottom right, acceleration at the top right.
  struct Unit {
    const char* text;
    QPointF at;
    int pixelSize;
  };
  const int w = size.width(), h = size.height();
  for (const Unit& u : {Unit{"[m]", QPointF(8, h - 20), 13},
                        Unit{"[sek]", QPointF(w - 85, h - 20), 11},
                        Unit{"dh/dt", QPointF(w - 60, 8), 13}}) {
    auto* item = new QCPItemText(this);
    item->setLayer(QStringLiteral("legend"));
    item->setClipToAxisRect(false);
    item->position->setType(QCPItemPosition::ptAbsolute);
    item->position->setCoords(u.at);
    item->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    item->setFont(UnitFont(u.pixelSize));
    item->setText(QString::fromLatin1(u.text));
  }
}

// ---------------------------------------------------------------- ranges and zoom

ChartRanges ChartPlot::Ranges() const {
  return {xAxis->range().lower,  xAxis->range().upper,  yAxis->range().lower,
          yAxis->range().upper,  yAxis2->range().lower, yAxis2->range().upper};
}

void ChartPlot::ApplyRanges(const ChartRanges& r) {
  xAxis->setRange(r.x0, r.x1);
  yAxis->setRange(r.y0, r.y1);
  yAxis2->setRange(r.r0, r.r1);
  Invalidate();
}

void ChartPlot::RescaleToData() {
  // The time axis reaches the last point of any curve (a comparison on real time may stand
  // elsewhere than at its sample numbers).
  double lastX = 0;
  for (std::size_t i = 0; i < state_.curves.size(); ++i)
    if (!state_.curves[i].empty())
      lastX = std::max(lastX, state_.placement[i].X(static_cast<double>(state_.curves[i].size() - 1)));

  constexpr double inf = std::numeric_limits<double>::infinity();
  double lo = inf, hi = -inf;
  for (int i = 0; i < CurveCount; ++i)
    if (i != static_cast<int>(Curve::Acceleration)) {
      lo = std::min(lo, extents_[static_cast<std::size_t>(i)].first);
      hi = std::max(hi, extents_[static_cast<std::size_t>(i)].second);
    }
  const bool hasData = lo <= hi;
  const LeftAxisRequest& a = state_.axis;
  double y0 = a.minimum, y1 = a.maximum;
  if (hasData && (a.automatic || a.automaticMinimum)) y0 = lo;
  if (hasData && (a.automatic || a.automaticMaximum)) y1 = hi;
  // Whatever the drawing code asked for, every curve stays on the chart.
  if (hasData) y0 = std::min(y0, lo), y1 = std::max(y1, hi);
  if (!(y1 > y0)) y1 = y0 + 1;

  // Without an acceleration curve the right axis keeps the scale it had.
  const ChartRanges now = zoomStack_.empty() ? Ranges() : zoomStack_.front();
  auto [r0, r1] = extents_[static_cast<std::size_t>(Curve::Acceleration)];
  if (!(r0 <= r1)) r0 = now.r0, r1 = now.r1;
  if (!(r1 > r0)) r0 -= 1, r1 += 1;

  const ChartRanges home{0, std::max(1.0, lastX), y0, y1, r0, r1};
  if (!zoomStack_.empty()) {
    zoomStack_.front() = home;  // keep the user's zoom; the new data is there when undone
    Invalidate();
  } else {
    ApplyRanges(home);
  }
}

void ChartPlot::UndoZoom() {
  if (zoomStack_.empty()) return;
  const ChartRanges home = zoomStack_.front();
  zoomStack_.clear();
  ApplyRanges(home);
}

void ChartPlot::processRectZoom(QRect rect, QMouseEvent*) {
  // Only a dragged rectangle is a zoom step; a shorter drag counts as a click.
  const int least = QApplication::startDragDistance();
  if (rect.width() + rect.height() < least || rect.width() < 2 || rect.height() < 2) return;
  zoomStack_.push_back(Ranges());
  axisRect()->zoom(QRectF(rect), {xAxis, yAxis, yAxis2});
  Invalidate();
  DropCursor();
}

void ChartPlot::DropCursor() {
  // The readout named the samples under the mouse before the step; the next move names them anew.
  if (readoutEnabled_ && cursorLayer_ && cursorLayer_->CursorX()) emit CursorLeft();
}

// ---------------------------------------------------------------- drawing

void ChartPlot::Invalidate() {
  dirty_ = true;
  if (use_ == Use::Screen) replot(rpQueuedReplot);
}

void ChartPlot::EnsureDrawn() {
  if (dirty_) replot();
}

void ChartPlot::RedrawCursor() {
  if (!dirty_) cursorLayer_->layer()->replot();
}

void ChartPlot::updateLayout() {
  // The labels are made for the axis lengths of the layout before; lay out again when the
  // lengths changed, so they fit the lengths they are drawn at.
  for (int pass = 0; pass < 3; ++pass) {
    QCustomPlot::updateLayout();
    const QRect r = axisRect()->rect();
    if (secondsTicker_->LaidOutFor() == r.width() && leftTicker_->LaidOutFor() == r.height() &&
        rightTicker_->LaidOutFor() == r.height())
      break;
  }
}

QPoint ChartPlot::PixelOf(Curve curve, QPointF value) const {
  return QPoint(static_cast<int>(std::lround(xAxis->coordToPixel(value.x()))),
                static_cast<int>(std::lround(AxisOf(curve)->coordToPixel(value.y()))));
}

// ---------------------------------------------------------------- mouse

std::optional<Curve> ChartPlot::CurveAt(QPoint at) const {
  if (!axisRect()->rect().contains(at)) return std::nullopt;
  // The nearest drawn curve within the tolerance; on a tie the one listed first.
  std::optional<Curve> best;
  double bestDistance = kClickTolerance;
  for (Curve c : {Curve::Altitude, Curve::Comparison, Curve::Acceleration, Curve::Spare,
                  Curve::UnfilteredAltitude, Curve::UnfilteredComparison}) {
    if (state_.curves[static_cast<std::size_t>(c)].empty()) continue;
    const double d = GraphOf(c)->selectTest(QPointF(at), false);
    if (d >= 0 && d <= bestDistance && (!best || d < bestDistance)) {
      best = c;
      bestDistance = d;
    }
  }
  return best;
}

void ChartPlot::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    event->accept();  // undone on release
    return;
  }
  if (event->button() == Qt::LeftButton) leftPressAt_ = event->position().toPoint();
  QCustomPlot::mousePressEvent(event);
}

void ChartPlot::mouseMoveEvent(QMouseEvent* event) {
  QCustomPlot::mouseMoveEvent(event);
  if (!readoutEnabled_ || !cursorLayer_) return;
  const QPoint at = event->position().toPoint();
  if (axisRect()->rect().contains(at))
    emit CursorMoved(KeyAt(at));
  else if (cursorLayer_->CursorX())
    emit CursorLeft();
}

void ChartPlot::leaveEvent(QEvent* event) {
  QCustomPlot::leaveEvent(event);
  if (readoutEnabled_ && cursorLayer_ && cursorLayer_->CursorX()) emit CursorLeft();
}

void ChartPlot::wheelEvent(QWheelEvent* event) {
  event->ignore();  // no wheel zoom: zoom steps are rectangles, undone one by one
}

void ChartPlot::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    // Undo one zoom step.
    if (!zoomStack_.empty()) {
      const ChartRanges back = zoomStack_.back();
      zoomStack_.pop_back();
      ApplyRanges(back);
      DropCursor();
    }
    event->accept();
    return;
  }
  const QPoint at = event->position().toPoint();
  const bool click = event->button() == Qt::LeftButton && leftPressAt_ &&
                     (at - *leftPressAt_).manhattanLength() < QApplication::startDragDistance();
  if (event->button() == Qt::LeftButton) leftPressAt_.reset();
  QCustomPlot::mouseReleaseEvent(event);  // ends the zoom rectangle, or drops it for a click
  if (!click || use_ != Use::Screen) return;
  for (int i = 0; i < legend->itemCount(); ++i) {
    if (legend->item(i)->outerRect().contains(at)) {
      emit LegendClicked();
      return;
    }
  }
  if (const std::optional<Curve> curve = CurveAt(at)) {
    emit CurveClicked(*curve);
  } else if (axisRect()->rect().contains(at)) {
    emit EmptyClicked(KeyAt(at));
  }
}

// ---------------------------------------------------------------- prints

void DrawChart(QCPPainter& painter, QSize size, const ChartPrint& print) {
  ChartPlot plot(ChartPlot::Use::Print);
  plot.Load(print, size);
  plot.toPainter(&painter, size.width(), size.height());
}

}  // namespace hypsor
