// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SplitLines.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <system_error>
#include <thread>

#include <QImage>
#include <QPainter>

namespace hypsor {

namespace {

// Fewer lines than this are drawn faster than a second thread starts.
constexpr qsizetype kLeastToSplit = 2000;
// How wide a line crossing the split may be and still be drawn in two (in pixels): a dense curve's
// lines are a pixel wide or less.
constexpr double kLongestCut = 2;

// The lines that reach the band [from, to) of x, widened by how far a line's pixels spread
// beyond its geometry (pen, caps and antialiasing).
QList<QLineF> Reaching(const QList<QLineF>& lines, double from, double to, double spread) {
  QList<QLineF> out;
  out.reserve(lines.size() / 2 + 16);
  for (const QLineF& l : lines) {
    const double lo = std::min(l.x1(), l.x2()), hi = std::max(l.x1(), l.x2());
    if (hi >= from - spread && lo < to + spread) out.append(l);
  }
  return out;
}

}  // namespace

void DrawLinesSplit(QPainter& painter, const QList<QLineF>& lines) {
  auto* image = painter.device() && painter.device()->devType() == QInternal::Image
                    ? static_cast<QImage*>(painter.device())
                    : nullptr;
  // An antialiasing painter may stand half a pixel off; nothing else is split.
  const QTransform t = painter.worldTransform();
  static const bool twoCores = std::thread::hardware_concurrency() >= 2;
  const bool splittable = image && lines.size() >= kLeastToSplit && twoCores &&
                          t.type() <= QTransform::TxTranslate &&
                          painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
                          (!painter.hasClipping() || painter.clipRegion().rectCount() == 1);
  if (!splittable) {
    painter.drawLines(lines);
    return;
  }
  // The two halves of what may be drawn, split on a whole pixel of the image.
  const QRectF whole(QPointF(0, 0), image->deviceIndependentSize());
  const QRectF area = painter.hasClipping() ? t.mapRect(painter.clipBoundingRect()) & whole : whole;
  if (area.isEmpty()) return;
  const double mid = std::floor(area.center().x());
  // A line that crosses the split over more than a pixel or two would be cut there and drawn
  // from its cut ends, which may shift its edge by a shade: such lines are drawn whole.
  const double cut = mid - t.dx();
  const bool longCrossing = std::any_of(lines.begin(), lines.end(), [cut](const QLineF& l) {
    return std::min(l.x1(), l.x2()) < cut && std::max(l.x1(), l.x2()) > cut &&
           std::abs(l.dx()) > kLongestCut;
  });
  if (longCrossing) {
    painter.drawLines(lines);
    return;
  }
  const QRectF left(area.left(), area.top(), mid - area.left(), area.height());
  const QRectF right(mid, area.top(), area.right() - mid, area.height());
  // The lines are given before the painter's shift; the halves are on the image.
  const double shift = t.dx();
  const double spread = std::max(1.0, painter.pen().widthF()) + 3;
  const QTransform back = t.inverted();

  // The right half is drawn by a painter of its own on another image over the same pixels (the
  // constant bits: the image is not copied).
  QImage alias(const_cast<uchar*>(image->constBits()), image->width(), image->height(),
               image->bytesPerLine(), image->format());
  alias.setDevicePixelRatio(image->devicePixelRatio());
  const QList<QLineF> rightLines =
      Reaching(lines, right.left() - shift, right.right() - shift, spread);
  // The painter's state is read here: this thread goes on changing it while the other draws.
  const QPainter::RenderHints hints = painter.renderHints();
  const QPen pen = painter.pen();
  const qreal opacity = painter.opacity();
  auto drawRight = [&alias, &rightLines, &t, &back, &right, hints, pen, opacity] {
    QPainter p(&alias);
    p.setRenderHints(hints);
    p.setPen(pen);
    p.setOpacity(opacity);
    p.setWorldTransform(t);
    p.setClipRect(back.mapRect(right));
    p.drawLines(rightLines);
  };
  std::future<void> rightDrawn;
  try {
    rightDrawn = std::async(std::launch::async, drawRight);
  } catch (const std::system_error&) {
    painter.drawLines(lines);  // no thread to spare
    return;
  }
  painter.save();
  painter.setClipRect(back.mapRect(left), Qt::IntersectClip);
  painter.drawLines(Reaching(lines, left.left() - shift, left.right() - shift, spread));
  painter.restore();
  rightDrawn.get();
}

}  // namespace hypsor
