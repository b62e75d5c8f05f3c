// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/SvgDrawing.h"

#if HYPSOR_SVG
#include <QSvgGenerator>
#endif

namespace hypsor {

bool SvgDrawingAvailable() {
  return HYPSOR_SVG != 0;
}

bool DrawSvg([[maybe_unused]] QIODevice& out, [[maybe_unused]] QSize size,
             [[maybe_unused]] int dotsPerInch, [[maybe_unused]] const QString& title,
             [[maybe_unused]] const std::function<void(QPaintDevice&)>& draw) {
#if HYPSOR_SVG
  QSvgGenerator svg;
  svg.setOutputDevice(&out);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setResolution(dotsPerInch);
  svg.setTitle(title);
  draw(svg);
  return true;
#else
  return false;
#endif
}

}  // namespace hypsor
