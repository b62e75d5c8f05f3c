// SPDX-License-Identifier: GPL-3.0-or-later
// The flight chart's own interface; its plotting library side is ChartPlot.
#include "ui/FlightChart.h"

#include <QVBoxLayout>

#include "ui/ChartLayers.h"
#include "ui/ChartPlot.h"
#include "ui/ChartTickers.h"

namespace hypsor {

FlightChart::FlightChart(QWidget* parent)
    : QWidget(parent), plot_(new ChartPlot(ChartPlot::Use::Screen, this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(plot_);
  connect(plot_, &ChartPlot::CurveClicked, this, &FlightChart::CurveClicked);
  connect(plot_, &ChartPlot::LegendClicked, this, &FlightChart::LegendClicked);
  connect(plot_, &ChartPlot::CursorMoved, this, &FlightChart::CursorMoved);
  connect(plot_, &ChartPlot::CursorLeft, this, &FlightChart::CursorLeft);
  connect(plot_, &ChartPlot::EmptyClicked, this, &FlightChart::EmptyClicked);
}

FlightChart::~FlightChart() = default;

void FlightChart::SetCurve(Curve curve, const std::vector<float>& values) {
  // New points are a new curve: shown, whatever was switched off before.
  plot_->SetHidden(curve, false);
  plot_->SetCurve(curve, values);
}

void FlightChart::SetTimeLabels(const std::vector<int>& seconds) {
  plot_->SetTimeLabels(seconds);
}

void FlightChart::SetCurveTitle(Curve curve, const QString& title) {
  plot_->SetTitle(curve, title);
}

void FlightChart::SetLeftAxis(const LeftAxisRequest& request) {
  plot_->SetLeftAxis(request);
}

void FlightChart::UndoZoom() {
  plot_->UndoZoom();
}

void FlightChart::Repaint() {
  plot_->replot();
}

double FlightChart::RequestedLeftMaximum() const {
  return plot_->State().axis.maximum;
}

FlightChart::Range FlightChart::TimeRange() const {
  return {plot_->xAxis->range().lower, plot_->xAxis->range().upper};
}

FlightChart::Range FlightChart::LeftRange() const {
  return {plot_->yAxis->range().lower, plot_->yAxis->range().upper};
}

FlightChart::Range FlightChart::RightRange() const {
  return {plot_->yAxis2->range().lower, plot_->yAxis2->range().upper};
}

int FlightChart::ZoomDepth() const {
  return plot_->ZoomDepth();
}

QList<QPointF> FlightChart::CurvePoints(Curve curve) const {
  const auto i = static_cast<std::size_t>(curve);
  const std::vector<float>& values = plot_->State().curves[i];
  const CurvePlacement& p = plot_->State().placement[i];
  QList<QPointF> out;
  out.reserve(static_cast<qsizetype>(values.size()));
  for (std::size_t k = 0; k < values.size(); ++k)
    out.append(QPointF(p.X(static_cast<double>(k)), static_cast<double>(values[k])));
  return out;
}

QString FlightChart::CurveTitle(Curve curve) const {
  return plot_->GraphOf(curve)->name();
}

QPen FlightChart::CurvePen(Curve curve) const {
  return plot_->GraphOf(curve)->pen();
}

QStringList FlightChart::VisibleTimeLabels() const {
  plot_->EnsureDrawn();
  QStringList out;
  for (const auto& [text, x] : plot_->TimeTicker().Labels()) out << text;
  return out;
}

std::vector<std::pair<QString, int>> FlightChart::TimeLabelPositions() const {
  plot_->EnsureDrawn();
  std::vector<std::pair<QString, int>> out;
  for (const auto& [text, x] : plot_->TimeTicker().Labels())
    out.emplace_back(text, plot_->PixelOf(Curve::Altitude, QPointF(x, 0)).x());
  return out;
}

double FlightChart::LeftAxisStep() const {
  plot_->EnsureDrawn();
  return plot_->LeftTicker().Step();
}

double FlightChart::RightAxisStep() const {
  plot_->EnsureDrawn();
  return plot_->RightTicker().Step();
}

QWidget* FlightChart::PlotWidget() const {
  return plot_;
}

QPoint FlightChart::PlotPosition(Curve curve, QPointF value) const {
  plot_->EnsureDrawn();
  return plot_->PixelOf(curve, value);
}

QRect FlightChart::PlotArea() const {
  plot_->EnsureDrawn();
  return plot_->axisRect()->rect();
}

// ---------------------------------------------------------------- views beyond the curves

void FlightChart::SetCurvePlacement(Curve curve, CurvePlacement placement) {
  plot_->SetPlacement(curve, placement);
}

CurvePlacement FlightChart::Placement(Curve curve) const {
  return plot_->State().placement[static_cast<std::size_t>(curve)];
}

void FlightChart::SetMarkers(const std::vector<ChartMarker>& markers) {
  plot_->SetMarkers(markers);
}

std::vector<ChartMarker> FlightChart::Markers() const {
  return plot_->State().markers;
}

void FlightChart::SetTransients(const std::vector<ChartTransient>& transients) {
  plot_->SetTransients(transients);
}

void FlightChart::SetAccelerationRange(std::optional<ChartRange> range) {
  plot_->SetAccelerationRange(range);
}

std::vector<std::pair<QString, QRect>> FlightChart::VisibleTransientNames() const {
  plot_->EnsureDrawn();
  return plot_->Transients().VisibleNames();
}

bool FlightChart::CurveHidden(Curve curve) const {
  return plot_->Hidden(curve);
}

std::vector<std::pair<QString, QPoint>> FlightChart::VisibleMarkerPositions() const {
  plot_->EnsureDrawn();
  return plot_->Markers().VisiblePositions();
}

std::vector<std::pair<QString, QRect>> FlightChart::VisibleMarkerLabels() const {
  plot_->EnsureDrawn();
  return plot_->Markers().VisibleLabels();
}

void FlightChart::EnableReadout() {
  plot_->EnableReadout();
}

void FlightChart::ShowReadout(double x, const QString& text) {
  plot_->Cursor()->SetCursor(x, text);
  plot_->RedrawCursor();
}

void FlightChart::HideReadout() {
  plot_->Cursor()->SetCursor(std::nullopt, QString());
  plot_->RedrawCursor();
}

void FlightChart::SetReference(std::optional<double> x) {
  plot_->Cursor()->SetReference(x);
  plot_->RedrawCursor();
}

QString FlightChart::ReadoutText() const {
  return plot_->Cursor()->CursorX() ? plot_->Cursor()->Text() : QString();
}

bool FlightChart::ReferenceShown() const {
  return plot_->Cursor()->ReferenceShown();
}

double FlightChart::TimeAt(QPoint plotWidgetPoint) const {
  plot_->EnsureDrawn();
  return plot_->KeyAt(plotWidgetPoint);
}

void FlightChart::PassDropsToWindow() {
  plot_->setAcceptDrops(false);
}

ChartPrint FlightChart::Print(const QString& title) const {
  return ChartPrint{plot_->State(), plot_->Ranges(), title};
}

}  // namespace hypsor
