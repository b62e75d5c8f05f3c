// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartLayers.h"

#include <algorithm>
#include <cmath>

#include <QTextLayout>

#include "ui/ChartPlot.h"

namespace hypsor {

namespace {

constexpr double kSymbolRadius = 4;

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

// Every marker's place, in the order given; nothing for a marker outside the plot area. A label
// never covers another label or another marker's dot: it tries the places beside its dot (right
// and left, above and below), then the same farther up and down, one line at a time.
std::vector<std::optional<MarkerPlace>> PlaceMarkers(const ChartPlot& plot,
                                                     const std::vector<ChartMarker>& markers,
                                                     const QFontMetricsF& metrics) {
  const QRectF area = plot.axisRect()->rect();
  std::vector<std::optional<QPointF>> dots;
  for (const ChartMarker& m : markers) {
    const QPointF dot(plot.xAxis->coordToPixel(m.at.x()), plot.yAxis->coordToPixel(m.at.y()));
    dots.push_back(area.adjusted(-0.5, -0.5, 0.5, 0.5).contains(dot) ? std::optional(dot)
                                                                      : std::nullopt);
  }
  std::vector<QRectF> taken;
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
    const QSizeF text(metrics.horizontalAdvance(markers[i].label) + 2, metrics.height());
    const double right = dot.x() + kSymbolRadius + 2;
    const double left = dot.x() - kSymbolRadius - 2 - text.width();
    const double above = dot.y() - kSymbolRadius - text.height();
    const double below = dot.y() + kSymbolRadius;
    auto fits = [&](const QRectF& r) {
      if (r.left() < area.left() || r.right() > area.right() || r.top() < area.top() ||
          r.bottom() > area.bottom())
        return false;
      return std::none_of(taken.begin(), taken.end(),
                          [&r](const QRectF& t) { return t.intersects(r); });
    };
    std::optional<QRectF> chosen;
    const int lines = static_cast<int>(area.height() / std::max(1.0, text.height()));
    for (int step = 0; step <= lines && !chosen; ++step) {
      const double shift = step * (text.height() + 1);
      for (double x : {right, left})
        for (double y : {above - shift, below + shift}) {
          const QRectF r(QPointF(x, y), text);
          if (!chosen && fits(r)) chosen = r;
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
    if (places[i]) out.emplace_back(markers_[i].label, places[i]->label.toAlignedRect());
  return out;
}

void MarkerLayer::draw(QCPPainter* painter) {
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
    painter->setPen(Qt::black);
    painter->drawText(place->label, Qt::AlignLeft | Qt::AlignVCenter, m.label);
  }
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

CursorPaintLayer::CursorPaintLayer(ChartPlot* plot, const QString& name) : QCPLayer(plot, name) {}

bool CursorPaintLayer::RedrawPart(const QRegion& dirty, CursorLayer& cursor) {
  const QSharedPointer<QCPAbstractPaintBuffer> buffer = mPaintBuffer.toStrongRef();
  if (mode() != lmBuffered || !buffer || buffer->invalidated()) return false;
  QCPPainter* painter = buffer->startPainting();
  if (!painter) return false;
  if (painter->isActive()) cursor.DrawPart(painter, dirty);
  delete painter;
  buffer->donePainting();
  return true;
}

const QCPAbstractPaintBuffer* CursorPaintLayer::Picture() const {
  // Without a picture of its own the layer draws into the one under it.
  if (mode() != lmBuffered) return nullptr;
  const QSharedPointer<QCPAbstractPaintBuffer> buffer = mPaintBuffer.toStrongRef();
  return buffer && !buffer->invalidated() ? buffer.data() : nullptr;
}

namespace {

// Text whose characters stand one glyph each, side by side, as the font's own table gives them:
// the letters of the languages the program speaks, digits and signs. Anything else (joined or
// combining scripts, right to left) is shaped by the full text layout.
bool PlainGlyphs(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) {
    const QChar::Script s = c.script();
    return !c.isSurrogate() && c.direction() != QChar::DirR && c.direction() != QChar::DirAL &&
           (s == QChar::Script_Common || s == QChar::Script_Latin || s == QChar::Script_Greek);
  });
}

}  // namespace

void CursorLayer::SetCursor(std::optional<double> x, const QString& text) {
  cursorX_ = x;
  if (text == text_) return;
  text_ = text;
  glyphs_.clear();
  textSize_ = QSizeF();
  if (text_.isEmpty()) return;
  // The readout changes at nearly every move: its lines are placed straight from the font's
  // glyph and kerning tables where that is all they need, a general text layout otherwise.
  const QFont font = SmallFont(false);
  const QFontMetricsF metrics(font);
  const QStringList lines = text_.split(QLatin1Char('\n'));
  const double ascent = metrics.ascent();
  // Loaded at the first readout: the window's first picture has none.
  if (!rawFont_) rawFont_ = QRawFont::fromFont(font);
  const QRawFont& rawFont = *rawFont_;
  double top = 0;
  for (const QString& line : lines) {
    QList<quint32> indexes;
    if (rawFont.isValid() && PlainGlyphs(line)) indexes = rawFont.glyphIndexesForString(line);
    double width = 0;
    if (!indexes.isEmpty() && !indexes.contains(0u)) {
      const QList<QPointF> advances =
          rawFont.advancesForGlyphIndexes(indexes, QRawFont::KernedAdvances);
      QList<QPointF> positions(indexes.size());
      for (qsizetype i = 0; i < indexes.size(); ++i) {
        positions[i] = QPointF(width, top + ascent);
        width += advances[i].x();
      }
      QGlyphRun& run = glyphs_.emplace_back();
      run.setRawFont(rawFont);
      run.setGlyphIndexes(indexes);
      run.setPositions(positions);
    } else if (!line.isEmpty()) {
      QTextLayout layout(line, font);
      layout.beginLayout();
      QTextLine l = layout.createLine();
      l.setPosition(QPointF(0, top));
      layout.endLayout();
      width = l.naturalTextWidth();
      for (const QGlyphRun& run : layout.glyphRuns()) glyphs_.push_back(run);
    }
    textSize_.setWidth(std::max(textSize_.width(), width));
    top += metrics.lineSpacing();
  }
  textSize_.setHeight(top);
}

namespace {

QRect LineExtent(const QLineF& line) {
  return QRectF(line.p1(), line.p2()).normalized().adjusted(-2, -2, 2, 2).toAlignedRect();
}

QRect BoxExtent(const QRectF& box) {
  return box.adjusted(-2, -2, 2, 2).toAlignedRect();
}

}  // namespace

QRegion CursorLayer::Shapes::Extent() const {
  QRegion r;
  for (const std::optional<QLineF>& line : {reference, cursor})
    if (line) r |= LineExtent(*line);
  if (box) r |= BoxExtent(*box);
  return r;
}

CursorLayer::Shapes CursorLayer::Place() const {
  Shapes s;
  const QRect area = plot_->axisRect()->rect();
  auto pixel = [this](double x) { return plot_->xAxis->coordToPixel(x); };
  if (referenceX_) {
    const double x = pixel(*referenceX_);
    s.reference = QLineF(x, area.top(), x, area.bottom());
  }
  if (!cursorX_) return s;
  const double x = pixel(*cursorX_);
  if (x < area.left() || x > area.right()) return s;
  s.cursor = QLineF(x, area.top(), x, area.bottom());
  if (text_.isEmpty()) return s;
  // Beside the line at the top of the plot, on the side with room.
  const QSizeF text = textSize_;
  double left = x + 8;
  if (left + text.width() + 6 > area.right()) left = x - 8 - text.width() - 6;
  left = std::max(left, static_cast<double>(area.left()));
  s.box = QRectF(left, area.top() + 2, text.width() + 6, text.height() + 6);
  s.text = text_;
  return s;
}

QRegion CursorLayer::Damage() const {
  const Shapes now = Place();
  const Shapes& was = drawn_;
  QRegion r;
  std::vector<QRect> kept;  // the shapes that stand as they were drawn
  for (auto line : {&Shapes::reference, &Shapes::cursor}) {
    if (now.*line == was.*line) {
      if (now.*line) kept.push_back(LineExtent(*(now.*line)));
      continue;
    }
    if (was.*line) r |= LineExtent(*(was.*line));
    if (now.*line) r |= LineExtent(*(now.*line));
  }
  if (now.box != was.box || now.text != was.text) {
    if (was.box) r |= BoxExtent(*was.box);
    if (now.box) r |= BoxExtent(*now.box);
  } else if (now.box) {
    kept.push_back(BoxExtent(*now.box));
  }
  // A shape that stays but reaches into the part cleared is cleared and drawn whole again:
  // every shape is then drawn whole or not at all, without a clip (the costly kind for a
  // region of several rectangles) and never twice over itself (the box is translucent).
  for (bool grew = !r.isEmpty(); grew;) {
    grew = false;
    for (QRect& k : kept)
      if (!k.isNull() && r.intersects(k)) {
        r |= k;
        k = QRect();
        grew = true;
      }
  }
  return r;
}

void CursorLayer::draw(QCPPainter* painter) {
  const Shapes s = Place();
  Draw(painter, s, nullptr);
  drawn_ = s;
}

void CursorLayer::DrawPart(QCPPainter* painter, const QRegion& damage) {
  painter->setCompositionMode(QPainter::CompositionMode_Source);
  for (const QRect& r : damage) painter->fillRect(r, Qt::transparent);
  painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter->setClipRect(clipRect().translated(0, -1));  // as the layer clips a full drawing
  applyDefaultAntialiasingHint(painter);
  const Shapes s = Place();
  Draw(painter, s, &damage);
  drawn_ = s;
}

void CursorLayer::Draw(QCPPainter* painter, const Shapes& s, const QRegion* damage) {
  // Inside a partial redraw only the shapes in the cleared part are drawn (Damage() leaves
  // each shape wholly inside it or wholly outside).
  auto needed = [damage](const QRect& extent) { return !damage || damage->intersects(extent); };
  if (s.reference && needed(LineExtent(*s.reference))) {
    painter->setPen(QPen(QColor(0, 90, 0), 1, Qt::DashLine));
    painter->drawLine(*s.reference);
  }
  if (s.cursor && needed(LineExtent(*s.cursor))) {
    painter->setPen(QPen(QColor(60, 60, 60), 1));
    painter->drawLine(*s.cursor);
  }
  if (s.box && needed(BoxExtent(*s.box))) {
    painter->setPen(QPen(QColor(120, 120, 120), 1));
    painter->setBrush(QColor(255, 255, 255, 225));
    painter->drawRect(*s.box);
    painter->setPen(Qt::black);
    for (const QGlyphRun& run : glyphs_) painter->drawGlyphRun(s.box->topLeft() + QPointF(3, 3), run);
  }
}

}  // namespace hypsor
