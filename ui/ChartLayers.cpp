// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartLayers.h"

#include <algorithm>
#include <cmath>

#include "ui/ChartPlot.h"

namespace hypsor {

namespace {

constexpr double kSymbolRadius = 4;
// Flagged transients: a light shade, at least a few pixels wide, and names in a darker tone in
// up to five rows along the plot's top.
const QColor kTransientShade(255, 150, 0, 55);
const QColor kTransientName(150, 80, 0);
constexpr double kLeastShadeWidth = 3;
constexpr int kNameRows = 5;

QFont SmallFont(bool bold) {
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(11);
  f.setBold(bold);
  return f;
}

// A marker's dot and the rectangle of its label: beside the dot, on the side with room, above
// it unless the plot's top is in the way.
struct MarkerPlace {
  QPointF dot;
  QRectF label;
};

// How many lines up and down a label looks for a place clear of the curves before it settles
// for one clear of labels and dots alone.
constexpr int kCurveFreeSteps = 8;

// Every marker's place, in the order given; nothing for a marker outside the plot area or on a
// hidden curve. A label never covers another label or another marker's dot and, where the chart
// leaves room, no curve: it tries the places beside its dot (right and left, above and below),
// then the same farther up and down, one line at a time. A marker on the same spot as an earlier
// one with the same text (two flights launched together) shows its dot under that label.
std::vector<std::optional<MarkerPlace>> PlaceMarkers(const ChartPlot& plot,
                                                     const std::vector<ChartMarker>& markers,
                                                     const QFontMetricsF& metrics) {
  const QRectF area = plot.axisRect()->rect();
  std::vector<std::optional<QPointF>> dots;
  for (const ChartMarker& m : markers) {
    const QPointF dot(plot.xAxis->coordToPixel(m.at.x()), plot.yAxis->coordToPixel(m.at.y()));
    const bool shown =
        !plot.Hidden(m.curve) && area.adjusted(-0.5, -0.5, 0.5, 0.5).contains(dot);
    dots.push_back(shown ? std::optional(dot) : std::nullopt);
  }
  // The transients' names along the top are taken too.
  std::vector<QRectF> taken;
  for (const auto& [name, rect] : plot.Transients().VisibleNames()) taken.emplace_back(rect);
  for (const auto& dot : dots)
    if (dot)
      taken.emplace_back(*dot - QPointF(kSymbolRadius, kSymbolRadius),
                         QSizeF(2 * kSymbolRadius, 2 * kSymbolRadius));
  std::vector<std::optional<MarkerPlace>> out;
  for (std::size_t i = 0; i < markers.size(); ++i) {
    if (!dots[i]) {
      out.emplace_back();
      continue;
    }
    const QPointF dot = *dots[i];
    const auto same = std::find_if(out.begin(), out.end(), [&](const auto& earlier) {
      const std::size_t j = static_cast<std::size_t>(&earlier - out.data());
      return earlier && markers[j].label == markers[i].label &&
             QLineF(earlier->dot, dot).length() < 2 * kSymbolRadius;
    });
    if (same != out.end()) {
      out.push_back(MarkerPlace{dot, QRectF()});
      continue;
    }
    const QSizeF text(metrics.horizontalAdvance(markers[i].label) + 2, metrics.height());
    const double right = dot.x() + kSymbolRadius + 2;
    const double left = dot.x() - kSymbolRadius - 2 - text.width();
    const double above = dot.y() - kSymbolRadius - text.height();
    const double below = dot.y() + kSymbolRadius;
    auto fits = [&](const QRectF& r, bool clearOfCurves) {
      if (r.left() < area.left() || r.right() > area.right() || r.top() < area.top() ||
          r.bottom() > area.bottom())
        return false;
      if (std::any_of(taken.begin(), taken.end(),
                      [&r](const QRectF& t) { return t.intersects(r); }))
        return false;
      return !clearOfCurves || !plot.CurveCrosses(r);
    };
    std::optional<QRectF> chosen;
    const int lines = static_cast<int>(area.height() / std::max(1.0, text.height()));
    for (bool clearOfCurves : {true, false})
      for (int step = 0; step <= (clearOfCurves ? std::min(lines, kCurveFreeSteps) : lines) &&
                         !chosen;
           ++step) {
        const double shift = step * (text.height() + 1);
        for (double x : {right, left})
          for (double y : {above - shift, below + shift}) {
            const QRectF r(QPointF(x, y), text);
            if (!chosen && fits(r, clearOfCurves)) chosen = r;
          }
      }
    // No free place at all (a crowded, tiny chart): beside the dot, as room allows.
    if (!chosen)
      chosen = QRectF(QPointF(right + text.width() > area.right() ? left : right,
                              above < area.top() ? below : above),
                      text);
    taken.push_back(*chosen);
    out.push_back(MarkerPlace{dot, *chosen});
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------- markers

MarkerLayer::MarkerLayer(ChartPlot* plot, const QString& layer)
    : QCPLayerable(plot, layer), plot_(plot) {}

void MarkerLayer::applyDefaultAntialiasingHint(QCPPainter* painter) const {
  applyAntialiasingHint(painter, true, QCP::aeItems);
}

QRect MarkerLayer::clipRect() const {
  return plot_->axisRect()->rect();
}

std::vector<std::pair<QString, QPoint>> MarkerLayer::VisiblePositions() const {
  std::vector<std::pair<QString, QPoint>> out;
  const auto places = PlaceMarkers(*plot_, markers_, QFontMetricsF(SmallFont(true)));
  for (std::size_t i = 0; i < markers_.size(); ++i)
    if (places[i]) out.emplace_back(markers_[i].label, places[i]->dot.toPoint());
  return out;
}

std::vector<std::pair<QString, QRect>> MarkerLayer::VisibleLabels() const {
  std::vector<std::pair<QString, QRect>> out;
  const auto places = PlaceMarkers(*plot_, markers_, QFontMetricsF(SmallFont(true)));
  for (std::size_t i = 0; i < markers_.size(); ++i)
    if (places[i] && !places[i]->label.isEmpty())
      out.emplace_back(markers_[i].label, places[i]->label.toAlignedRect());
  return out;
}

void MarkerLayer::draw(QCPPainter* painter) {
  // The transients' names first, on a light ground like the labels.
  painter->setFont(SmallFont(false));
  for (const auto& [name, rect] : plot_->Transients().VisibleNames()) {
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(255, 255, 255, 170));
    painter->drawRect(rect);
    painter->setPen(kTransientName);
    painter->drawText(rect, Qt::AlignCenter, name);
  }
  const QFont font = SmallFont(true);
  const QFontMetricsF metrics(font);
  painter->setFont(font);
  const auto places = PlaceMarkers(*plot_, markers_, metrics);
  for (std::size_t i = 0; i < markers_.size(); ++i) {
    const ChartMarker& m = markers_[i];
    const auto& place = places[i];
    if (!place) continue;
    painter->setPen(QPen(Qt::black, 1));
    painter->setBrush(plot_->GraphOf(m.curve)->pen().color());
    painter->drawEllipse(place->dot, kSymbolRadius, kSymbolRadius);
    if (place->label.isEmpty()) continue;
    // On a light ground, so a curve the label had to cover does not cross its letters.
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(255, 255, 255, 170));
    painter->drawRect(place->label);
    painter->setPen(Qt::black);
    painter->drawText(place->label, Qt::AlignLeft | Qt::AlignVCenter, m.label);
  }
}

// ---------------------------------------------------------------- transients

TransientLayer::TransientLayer(ChartPlot* plot, const QString& layer)
    : QCPLayerable(plot, layer), plot_(plot) {}

void TransientLayer::applyDefaultAntialiasingHint(QCPPainter* painter) const {
  applyAntialiasingHint(painter, false, QCP::aeItems);
}

QRect TransientLayer::clipRect() const {
  return plot_->axisRect()->rect();
}

std::vector<std::optional<TransientLayer::Place>> TransientLayer::Places(
    const QFontMetricsF& metrics) const {
  const QRectF area = plot_->axisRect()->rect();
  std::vector<std::optional<Place>> out;
  // A name covers no marker's dot (the dots stand where the data put them; the markers' labels
  // then keep clear of the names).
  std::vector<QRectF> names;
  for (const ChartMarker& m : plot_->State().markers) {
    const QPointF dot(plot_->xAxis->coordToPixel(m.at.x()), plot_->yAxis->coordToPixel(m.at.y()));
    names.emplace_back(dot - QPointF(kSymbolRadius, kSymbolRadius),
                       QSizeF(2 * kSymbolRadius, 2 * kSymbolRadius));
  }
  for (const ChartTransient& t : transients_) {
    if (plot_->Hidden(t.curve) || plot_->GraphOf(t.curve)->data()->isEmpty()) {
      out.emplace_back();
      continue;
    }
    // Half a sample beyond the samples set aside on each side.
    double left = plot_->xAxis->coordToPixel(t.fromX - 0.5);
    double right = plot_->xAxis->coordToPixel(t.toX + 0.5);
    if (right - left < kLeastShadeWidth) {
      const double middle = (left + right) / 2;
      left = middle - kLeastShadeWidth / 2;
      right = middle + kLeastShadeWidth / 2;
    }
    const QRectF shade = QRectF(QPointF(left, area.top()), QPointF(right, area.bottom())) & area;
    if (shade.isEmpty()) {
      out.emplace_back();
      continue;
    }
    Place place{shade, std::nullopt};
    const QSizeF size(metrics.horizontalAdvance(t.label) + 4, metrics.height());
    for (int row = 0; row < kNameRows && !place.name; ++row) {
      QRectF name(
          QPointF(shade.center().x() - size.width() / 2, area.top() + 2 + row * (size.height() + 2)),
          size);
      name.moveLeft(std::clamp(name.left(), area.left(), area.right() - size.width()));
      if (std::none_of(names.begin(), names.end(), [&](const QRectF& n) { return n.intersects(name); }))
        place.name = name;
    }
    if (place.name) names.push_back(*place.name);
    out.push_back(place);
  }
  return out;
}

std::vector<std::pair<QString, QRect>> TransientLayer::VisibleNames() const {
  std::vector<std::pair<QString, QRect>> out;
  const auto places = Places(QFontMetricsF(SmallFont(false)));
  for (std::size_t i = 0; i < transients_.size(); ++i)
    if (places[i] && places[i]->name)
      out.emplace_back(transients_[i].label, places[i]->name->toRect());
  return out;
}

void TransientLayer::draw(QCPPainter* painter) {
  // The shades alone: the names stand over the curves, drawn with the markers.
  const auto places = Places(QFontMetricsF(SmallFont(false)));
  painter->setPen(Qt::NoPen);
  painter->setBrush(kTransientShade);
  for (const auto& place : places)
    if (place) painter->drawRect(place->shade);
}

// ---------------------------------------------------------------- cursor and reference

CursorLayer::CursorLayer(ChartPlot* plot, const QString& layer)
    : QCPLayerable(plot, layer), plot_(plot) {}

void CursorLayer::applyDefaultAntialiasingHint(QCPPainter* painter) const {
  applyAntialiasingHint(painter, false, QCP::aeItems);
}

QRect CursorLayer::clipRect() const {
  return plot_->axisRect()->rect();
}

void CursorLayer::SetCursor(std::optional<double> x, const QString& text) {
  cursorX_ = x;
  if (text == text_) return;
  text_ = text;
  // Plain text whose lines break where the readout's do.
  readout_.setTextFormat(Qt::PlainText);
  readout_.setText(QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator));
  readout_.prepare(QTransform(), SmallFont(false));
}

void CursorLayer::draw(QCPPainter* painter) {
  const QRect area = plot_->axisRect()->rect();
  if (referenceX_) {
    const double x = plot_->xAxis->coordToPixel(*referenceX_);
    painter->setPen(QPen(QColor(0, 90, 0), 1, Qt::DashLine));
    painter->drawLine(QLineF(x, area.top(), x, area.bottom()));
  }
  if (!cursorX_) return;
  const double x = plot_->xAxis->coordToPixel(*cursorX_);
  if (x < area.left() || x > area.right()) return;
  painter->setPen(QPen(QColor(60, 60, 60), 1));
  painter->drawLine(QLineF(x, area.top(), x, area.bottom()));
  if (text_.isEmpty()) return;
  // The readout beside the line at the top of the plot, on the side with room.
  const QSizeF text = readout_.size();
  double left = x + 8;
  if (left + text.width() + 6 > area.right()) left = x - 8 - text.width() - 6;
  left = std::max(left, static_cast<double>(area.left()));
  const QRectF box(left, area.top() + 2, text.width() + 6, text.height() + 6);
  painter->setPen(QPen(QColor(120, 120, 120), 1));
  painter->setBrush(QColor(255, 255, 255, 225));
  painter->drawRect(box);
  painter->setPen(Qt::black);
  painter->setFont(SmallFont(false));  // the font it was laid out in
  painter->drawStaticText(box.topLeft() + QPointF(3, 3), readout_);
}

}  // namespace hypsor
