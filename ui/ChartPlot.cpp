// SPDX-License-Identifier: GPL-3.0-or-later
// The flight chart on the plotting library: curves, axes, legend, zoom steps and clicks.
#include "ui/ChartPlot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

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
    {QColor(0, 110, 160), 2, Qt::DashLine, true},
}};
// A legend entry of a curve switched off.
const QColor kHiddenEntry(140, 140, 140);

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

// The same for the points of a curve between x0 and x1 on the time axis.
std::pair<double, double> ExtentBetween(const std::vector<float>& values, CurvePlacement place,
                                        double x0, double x1) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  const double first = std::max(0.0, std::ceil(place.Index(x0)));
  const double last = std::min(static_cast<double>(values.size()) - 1, std::floor(place.Index(x1)));
  for (double k = first; k <= last; ++k) {
    const double v = values[static_cast<std::size_t>(k)];
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  return {lo, hi};
}

// A range with a little room above and below, so a curve's extremes do not touch the frame.
std::pair<double, double> WithRoom(double lo, double hi) {
  if (!(hi > lo)) return {lo - 1, hi + 1};
  const double room = 0.05 * (hi - lo);
  return {lo - room, hi + room};
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
    // The simulation is listed while one is drawn.
    if (!s.inLegend || i == static_cast<int>(Curve::Simulation)) g->removeFromLegend();
    graphs_[static_cast<std::size_t>(i)] = g;
  }

  // Clipped acceleration: triangles at the edge of the right axis, pointing the way it went.
  clippedAbove_ = addGraph(xAxis, yAxis2);
  clippedBelow_ = addGraph(xAxis, yAxis2);
  for (auto [g, shape] : {std::pair{clippedAbove_, QCPScatterStyle::ssTriangle},
                          std::pair{clippedBelow_, QCPScatterStyle::ssTriangleInverted}}) {
    g->setLineStyle(QCPGraph::lsNone);
    g->setScatterStyle(QCPScatterStyle(shape, Qt::blue, Qt::blue, 7));
    g->setSelectable(QCP::stNone);
    g->removeFromLegend();
  }

  addLayer(QStringLiteral("transients"), layer(QStringLiteral("main")), limBelow);
  transientLayer_ = new TransientLayer(this, QStringLiteral("transients"));
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
    setFocusPolicy(Qt::StrongFocus);  // the cursor and the zoom steps from the keyboard
  }
  ShowAxisLabels();
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
  // A page lists only the curves it draws; the window's legend keeps its designed entries and
  // lists a simulation while one is drawn.
  if (kStyles[i].inLegend) {
    if (values.empty() && (use_ == Use::Print || curve == Curve::Simulation))
      graphs_[i]->removeFromLegend();
    else
      graphs_[i]->addToLegend();
  }
  if (curve == Curve::Acceleration) MarkClippedAcceleration();
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

void ChartPlot::SetTransients(const std::vector<ChartTransient>& transients) {
  state_.transients = transients;
  transientLayer_->SetTransients(transients);
  Invalidate();
}

void ChartPlot::SetAccelerationRange(std::optional<ChartRange> range) {
  if (state_.accelerationRange.has_value() == range.has_value() &&
      (!range || (range->min == state_.accelerationRange->min &&
                  range->max == state_.accelerationRange->max &&
                  range->clipped == state_.accelerationRange->clipped)))
    return;
  state_.accelerationRange = range;
  MarkClippedAcceleration();
  RescaleToData();
}

void ChartPlot::MarkClippedAcceleration() {
  const std::vector<float>& values = state_.curves[static_cast<std::size_t>(Curve::Acceleration)];
  const CurvePlacement place = state_.placement[static_cast<std::size_t>(Curve::Acceleration)];
  QVector<QCPGraphData> above, below;
  if (const auto& r = state_.accelerationRange) {
    for (std::size_t k = 0; k < values.size(); ++k) {
      const double x = place.X(static_cast<double>(k));
      if (values[k] > r->max) above.push_back({x, r->max});
      if (values[k] < r->min) below.push_back({x, r->min});
    }
  }
  clippedAbove_->data()->set(above, true);
  clippedBelow_->data()->set(below, true);
  const bool shown = !state_.hidden.test(static_cast<std::size_t>(Curve::Acceleration));
  clippedAbove_->setVisible(shown);
  clippedBelow_->setVisible(shown);
}

void ChartPlot::SetHidden(Curve curve, bool hidden) {
  const auto i = static_cast<std::size_t>(curve);
  if (state_.hidden.test(i) == hidden) return;
  state_.hidden.set(i, hidden);
  graphs_[i]->setVisible(!hidden);
  if (auto* entry = legend->itemWithPlottable(graphs_[i]))
    entry->setTextColor(hidden ? kHiddenEntry : Qt::black);
  if (curve == Curve::Acceleration) MarkClippedAcceleration();
  Invalidate();
}

void ChartPlot::Load(const ChartPrint& print, QSize size) {
  for (int i = 0; i < CurveCount; ++i) {
    const auto c = static_cast<Curve>(i);
    state_.placement[static_cast<std::size_t>(i)] = print.state.placement[static_cast<std::size_t>(i)];
    SetCurve(c, print.state.curves[static_cast<std::size_t>(i)]);
    SetTitle(c, print.state.titles[static_cast<std::size_t>(i)]);
    SetHidden(c, print.state.hidden.test(static_cast<std::size_t>(i)));
  }
  SetTimeLabels(print.state.labelSeconds);
  SetLeftAxis(print.state.axis);
  SetMarkers(print.state.markers);
  SetAccelerationRange(print.state.accelerationRange);
  SetTransients(print.state.transients);
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

  // Without an acceleration curve the right axis keeps the scale it had (unlabelled, below).
  // With one, the scale of the flight: a transient the quality flags set aside would squash
  // the real acceleration to a flat line, so its values are clipped and marked instead.
  const ChartRanges now = zoomStack_.empty() ? Ranges() : zoomStack_.front();
  auto [r0, r1] = extents_[static_cast<std::size_t>(Curve::Acceleration)];
  if (r0 <= r1 && state_.accelerationRange) {
    r0 = state_.accelerationRange->min;
    r1 = state_.accelerationRange->max;
    if (state_.accelerationRange->clipped) std::tie(r0, r1) = WithRoom(r0, r1);
  }
  if (!(r0 <= r1)) r0 = now.r0, r1 = now.r1;
  if (!(r1 > r0)) r0 -= 1, r1 += 1;
  ShowAxisLabels();

  const ChartRanges home{0, std::max(1.0, lastX), y0, y1, r0, r1};
  if (!zoomStack_.empty()) {
    zoomStack_.front() = home;  // keep the user's zoom; the new data is there when undone
    Invalidate();
  } else {
    ApplyRanges(home);
  }
}

void ChartPlot::ShowAxisLabels() {
  // An axis with no curve on it keeps its place and line, but no numbers suggest one.
  bool left = false;
  for (int i = 0; i < CurveCount; ++i)
    if (i != static_cast<int>(Curve::Acceleration) && !state_.curves[static_cast<std::size_t>(i)].empty())
      left = true;
  const bool right = !state_.curves[static_cast<std::size_t>(Curve::Acceleration)].empty();
  yAxis->setTickLabels(left);
  yAxis2->setTicks(right);
  yAxis2->setTickLabels(right);
}

void ChartPlot::UndoZoom() {
  if (zoomStack_.empty()) return;
  const ChartRanges home = zoomStack_.front();
  zoomStack_.clear();
  ApplyRanges(home);
}

void ChartPlot::UndoZoomStep() {
  if (zoomStack_.empty()) return;
  const ChartRanges back = zoomStack_.back();
  zoomStack_.pop_back();
  ApplyRanges(back);
  DropCursor();
}

void ChartPlot::FitRightAxis() {
  // The acceleration in view, within the scale of the whole flight: a zoom never widens the
  // axis to values it clipped, nor to a range where the curve has no point.
  const auto i = static_cast<std::size_t>(Curve::Acceleration);
  if (state_.curves[i].empty() || zoomStack_.empty()) return;
  const ChartRanges& home = zoomStack_.front();
  auto [lo, hi] = ExtentBetween(state_.curves[i], state_.placement[i], xAxis->range().lower,
                                xAxis->range().upper);
  if (!(lo <= hi)) return;  // no point in view: the axis stays as it was
  lo = std::max(lo, home.r0);
  hi = std::min(hi, home.r1);
  const auto [r0, r1] = WithRoom(lo, hi);
  yAxis2->setRange(r0, r1);
}

void ChartPlot::ZoomTo(double x0, double x1) {
  if (!(x1 > x0)) return;
  zoomStack_.push_back(Ranges());
  xAxis->setRange(x0, x1);
  // The altitude axis fitted to the curves in view, never beyond what the whole view showed.
  constexpr double inf = std::numeric_limits<double>::infinity();
  double lo = inf, hi = -inf;
  for (int c = 0; c < CurveCount; ++c) {
    const auto k = static_cast<std::size_t>(c);
    if (c == static_cast<int>(Curve::Acceleration) || state_.hidden.test(k)) continue;
    const auto [a, b] = ExtentBetween(state_.curves[k], state_.placement[k], x0, x1);
    lo = std::min(lo, a);
    hi = std::max(hi, b);
  }
  if (lo <= hi) {
    const auto [y0, y1] = WithRoom(lo, hi);
    yAxis->setRange(y0, y1);
  }
  FitRightAxis();
  Invalidate();
}

void ChartPlot::processRectZoom(QRect rect, QMouseEvent*) {
  // Only a dragged rectangle is a zoom step; a shorter drag counts as a click.
  const int least = QApplication::startDragDistance();
  if (rect.width() + rect.height() < least || rect.width() < 2 || rect.height() < 2) return;
  zoomStack_.push_back(Ranges());
  axisRect()->zoom(QRectF(rect), {xAxis, yAxis});
  FitRightAxis();
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

bool ChartPlot::CurveCrosses(const QRectF& r) const {
  const double x0 = xAxis->pixelToCoord(r.left()), x1 = xAxis->pixelToCoord(r.right());
  for (int c = 0; c < CurveCount; ++c) {
    const auto k = static_cast<std::size_t>(c);
    const std::vector<float>& values = state_.curves[k];
    if (values.empty() || state_.hidden.test(k)) continue;
    const QCPAxis* axis = AxisOf(static_cast<Curve>(c));
    const CurvePlacement place = state_.placement[k];
    const long last = static_cast<long>(values.size()) - 1;
    // The segments that reach into the rectangle's columns: one point beyond each side.
    const long from = std::clamp(static_cast<long>(std::floor(place.Index(x0))), 0L, last);
    const long to = std::clamp(static_cast<long>(std::ceil(place.Index(x1))), 0L, last);
    for (long i = from; i < to; ++i) {
      const double ya = axis->coordToPixel(values[static_cast<std::size_t>(i)]);
      const double yb = axis->coordToPixel(values[static_cast<std::size_t>(i + 1)]);
      if (std::max(ya, yb) >= r.top() && std::min(ya, yb) <= r.bottom()) return true;
    }
    if (from == to) {
      const double y = axis->coordToPixel(values[static_cast<std::size_t>(from)]);
      const double x = xAxis->coordToPixel(place.X(static_cast<double>(from)));
      if (r.contains(QPointF(x, y))) return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- mouse

std::optional<Curve> ChartPlot::CurveAt(QPoint at) const {
  if (!axisRect()->rect().contains(at)) return std::nullopt;
  // The nearest drawn curve within the tolerance; on a tie the one listed first.
  std::optional<Curve> best;
  double bestDistance = kClickTolerance;
  for (Curve c : {Curve::Altitude, Curve::Comparison, Curve::Acceleration, Curve::Spare,
                  Curve::UnfilteredAltitude, Curve::UnfilteredComparison}) {
    if (state_.curves[static_cast<std::size_t>(c)].empty() ||
        state_.hidden.test(static_cast<std::size_t>(c)))
      continue;
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
  // While a zoom rectangle is dragged, the rectangle alone is drawn over the curves.
  if (selectionRect()->isActive()) {
    if (cursorLayer_->CursorX()) emit CursorLeft();
    return;
  }
  if (axisRect()->rect().contains(at))
    emit CursorMoved(KeyAt(at));
  else if (cursorLayer_->CursorX())
    emit CursorLeft();
}

void ChartPlot::leaveEvent(QEvent* event) {
  QCustomPlot::leaveEvent(event);
  if (readoutEnabled_ && cursorLayer_ && cursorLayer_->CursorX()) emit CursorLeft();
}

void ChartPlot::keyPressEvent(QKeyEvent* event) {
  // The mouse's cursor, reference point and zoom steps from the keyboard: the arrows move the
  // cursor a sample at a time (ten with Shift), + zooms in around it, - or Backspace undoes a
  // step, Home shows the whole flight, Space or Enter sets the reference point.
  if (use_ != Use::Screen || !readoutEnabled_) return QCustomPlot::keyPressEvent(event);
  const QCPRange view = xAxis->range();
  const std::optional<double> cursor = cursorLayer_->CursorX();
  const double at = cursor.value_or(std::round(view.center()));
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const double step = event->modifiers().testFlag(Qt::ShiftModifier) ? 10 : 1;
      double x = std::round(at);
      if (cursor) x += event->key() == Qt::Key_Left ? -step : step;
      emit CursorMoved(std::clamp(x, std::ceil(view.lower), std::floor(view.upper)));
      break;
    }
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      ZoomTo(at - view.size() / 4, at + view.size() / 4);
      emit CursorMoved(at);
      break;
    case Qt::Key_Minus:
    case Qt::Key_Backspace:
      UndoZoomStep();
      if (cursor) emit CursorMoved(at);
      break;
    case Qt::Key_Home:
      UndoZoom();
      if (cursor) emit CursorMoved(at);
      break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit EmptyClicked(at);
      emit CursorMoved(at);
      break;
    default:
      QCustomPlot::keyPressEvent(event);
      return;
  }
  event->accept();
}

void ChartPlot::wheelEvent(QWheelEvent* event) {
  event->ignore();  // no wheel zoom: zoom steps are rectangles, undone one by one
}

void ChartPlot::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    UndoZoomStep();
    event->accept();
    return;
  }
  const QPoint at = event->position().toPoint();
  const bool click = event->button() == Qt::LeftButton && leftPressAt_ &&
                     (at - *leftPressAt_).manhattanLength() < QApplication::startDragDistance();
  if (event->button() == Qt::LeftButton) leftPressAt_.reset();
  QCustomPlot::mouseReleaseEvent(event);  // ends the zoom rectangle, or drops it for a click
  if (!click || use_ != Use::Screen) return;
  // A legend entry switches its curve off and on again; the curve's data stay.
  for (int i = 0; i < legend->itemCount(); ++i) {
    if (!legend->item(i)->outerRect().contains(at)) continue;
    if (auto* entry = qobject_cast<QCPPlottableLegendItem*>(legend->item(i)))
      for (int c = 0; c < CurveCount; ++c)
        if (entry->plottable() == graphs_[static_cast<std::size_t>(c)])
          SetHidden(static_cast<Curve>(c), !state_.hidden.test(static_cast<std::size_t>(c)));
    emit LegendClicked();
    return;
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
