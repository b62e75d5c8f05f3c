// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <future>
#include <memory>
#include <vector>

#include <qcustomplot.h>
#include <QImage>

namespace hypsor {

// The picture the chart's layers are drawn into on screen. A new picture the size of the plot is
// several megabytes that the system hands out page by page as they are first written, which
// costs milliseconds. Each new picture is therefore cleared on a thread of its own as soon as the
// plot's size is known (the plot is usually resized well before it is next drawn), and
// everything that uses the picture first waits for that clearing to end. A picture replaced
// before its clearing ended (a window passing through sizes) is given up at once: its clearing
// stops where it is and the memory goes back when it has.
// The picture at the bottom of the plot is cleared to the plot's opaque background colour (its
// ground) rather than to transparent: the layers are drawn straight onto the background, without
// filling the whole picture twice.
class ChartPaintBuffer : public QCPAbstractPaintBuffer {
 public:
  ChartPaintBuffer(const QSize& size, double devicePixelRatio,
                   const QColor& ground = Qt::transparent);
  ~ChartPaintBuffer() override;

  // Whether a clear makes the picture opaque (its ground is).
  bool Opaque() const { return qAlpha(ground_) == 255; }

  QCPPainter* startPainting() override;
  void draw(QCPPainter* painter) const override;
  // Clears to the ground: a transparent colour is the ground's, any other fills as asked.
  void clear(const QColor& color) override;

 protected:
  void reallocateBuffer() override;

 private:
  struct Clearing {
    std::future<void> done;
    std::shared_ptr<std::atomic<bool>> stop;
    QImage picture;  // kept alive until done, for a picture given up
  };
  void WaitForClearing() const;

  const QRgb ground_;  // premultiplied, as the picture holds it
  QImage image_;
  mutable Clearing clearing_;
  std::vector<Clearing> givenUp_;
  bool bare_ = false;  // every pixel is the ground: nothing drawn since the last clear
};

}  // namespace hypsor
