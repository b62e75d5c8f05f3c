// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include <QSize>
#include <QString>

class QIODevice;
class QPaintDevice;

namespace hypsor {

// Whether this build writes SVG drawings: Qt's SVG module is not built for Windows, where SVG
// export is left out.
bool SvgDrawingAvailable();

// Writes what draw paints on a size-pixel page at dotsPerInch to out as an SVG document. False,
// writing nothing, when SVG is not available.
bool DrawSvg(QIODevice& out, QSize size, int dotsPerInch, const QString& title,
             const std::function<void(QPaintDevice&)>& draw);

}  // namespace hypsor
