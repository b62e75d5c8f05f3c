// The flight chart's own interface; its Qt Charts side is ChartView.
#include "ui/FlightChart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include "ui/ChartView.h"

namespace hypsor {

FlightChart::FlightChart(QWidget* parent) : QWidget(parent), view_(new ChartView(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
}

FlightChart::~FlightChart() = default;

void FlightChart::SetCurve(Curve curve, const std::vector<float>& values) {
  view_->SetPoints(curve, values);
}

void FlightChart::SetTimeLabels(const std::vector<int>& seconds) {
  QStringList labels;
  labels.reserve(static_cast<qsizetype>(seconds.size()));
  for (int s : seconds) labels.append(s >= 0 ? QString::number(s) : QString());
  view_->SetTimeLabels(labels);
}

void FlightChart::SetCurveTitle(Curve curve, const QString& title) {
  view_->SetSeriesTitle(curve, title);
}

void FlightChart::SetLeftAxis(const LeftAxisRequest& request) {
  request_ = request;
  view_->SetLeftAxis(request);
}

void FlightChart::UndoZoom() {
  view_->UndoZoom();
}

void FlightChart::Repaint() {
  view_->Chart()->update();
}

FlightChart::Range FlightChart::TimeRange() const {
  return {view_->BottomAxis()->min(), view_->BottomAxis()->max()};
}

FlightChart::Range FlightChart::LeftRange() const {
  return {view_->LeftAxis()->min(), view_->LeftAxis()->max()};
}

FlightChart::Range FlightChart::RightRange() const {
  return {view_->RightAxis()->min(), view_->RightAxis()->max()};
}

int FlightChart::ZoomDepth() const {
  return view_->ZoomDepth();
}

QList<QPointF> FlightChart::CurvePoints(Curve curve) const {
  return view_->SeriesOf(curve)->points();
}

QString FlightChart::CurveTitle(Curve curve) const {
  return view_->SeriesOf(curve)->name();
}

QPen FlightChart::CurvePen(Curve curve) const {
  return view_->SeriesOf(curve)->pen();
}

QStringList FlightChart::VisibleTimeLabels() const {
  return view_->VisibleTimeLabels();
}

std::vector<std::pair<QString, int>> FlightChart::TimeLabelPositions() const {
  std::vector<std::pair<QString, int>> out;
  QCategoryAxis* axis = view_->BottomAxis();
  for (const QString& label : axis->categoriesLabels()) {
    const QPointF at(axis->endValue(label), view_->LeftAxis()->min());
    out.emplace_back(label, PlotPosition(Curve::Altitude, at).x());
  }
  return out;
}

double FlightChart::LeftAxisStep() const {
  return view_->LeftAxis()->tickInterval();
}

double FlightChart::RightAxisStep() const {
  return view_->RightAxis()->tickInterval();
}

QWidget* FlightChart::PlotWidget() const {
  return view_->viewport();
}

QPoint FlightChart::PlotPosition(Curve curve, QPointF value) const {
  const QPointF scene = view_->Chart()->mapToPosition(value, view_->SeriesOf(curve));
  return view_->mapFromScene(scene);
}

QRect FlightChart::PlotArea() const {
  return view_->mapFromScene(view_->Chart()->plotArea()).boundingRect();
}

}  // namespace hypsor
