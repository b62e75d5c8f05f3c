// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartPaintBuffer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>

namespace hypsor {

namespace {

// Zero bits are transparent in the picture's format. Cleared a slice at a time, so that a
// picture given up stops being cleared soon.
void ClearBits(uchar* bits, std::size_t bytes, const std::atomic<bool>& stop) {
  constexpr std::size_t kSlice = std::size_t{1} << 19;
  for (std::size_t at = 0; at < bytes && !stop.load(std::memory_order_relaxed); at += kSlice)
    std::memset(bits + at, 0, std::min(kSlice, bytes - at));
}

bool Ended(const std::future<void>& f) {
  return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

}  // namespace

ChartPaintBuffer::ChartPaintBuffer(const QSize& size, double devicePixelRatio)
    : QCPAbstractPaintBuffer(size, devicePixelRatio) {
  reallocateBuffer();
}

ChartPaintBuffer::~ChartPaintBuffer() {
  if (clearing_.stop) clearing_.stop->store(true);
  for (Clearing& c : givenUp_) c.stop->store(true);
  WaitForClearing();
  for (Clearing& c : givenUp_) c.done.wait();
}

void ChartPaintBuffer::WaitForClearing() const {
  if (clearing_.done.valid()) clearing_.done.get();
}

void ChartPaintBuffer::reallocateBuffer() {
  setInvalidated();
  transparent_ = false;
  if (clearing_.done.valid()) {
    clearing_.stop->store(true);
    clearing_.picture = std::move(image_);
    givenUp_.push_back(std::move(clearing_));
    clearing_ = {};
  }
  std::erase_if(givenUp_, [](const Clearing& c) { return Ended(c.done); });
  image_ = QImage();
  const QSize pixels = (QSizeF(mSize) * mDevicePixelRatio).toSize();
  if (pixels.isEmpty()) return;
  image_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
  if (image_.isNull()) return;  // out of memory: nothing is drawn, as for an empty plot
  image_.setDevicePixelRatio(mDevicePixelRatio);
  uchar* bits = image_.bits();
  const auto bytes = static_cast<std::size_t>(image_.sizeInBytes());
  auto stop = std::make_shared<std::atomic<bool>>(false);
  try {
    clearing_.done =
        std::async(std::launch::async, [bits, bytes, stop] { ClearBits(bits, bytes, *stop); });
    clearing_.stop = stop;
  } catch (const std::system_error&) {
    ClearBits(bits, bytes, *stop);  // no thread to spare: cleared here
  }
  transparent_ = true;
}

void ChartPaintBuffer::clear(const QColor& color) {
  WaitForClearing();
  if (transparent_ && color.alpha() == 0) return;
  image_.fill(color);
  transparent_ = color.alpha() == 0;
}

QCPPainter* ChartPaintBuffer::startPainting() {
  WaitForClearing();
  transparent_ = false;
  return new QCPPainter(&image_);
}

void ChartPaintBuffer::draw(QCPPainter* painter) const {
  WaitForClearing();
  if (painter && painter->isActive()) painter->drawImage(QPointF(0, 0), image_);
}

}  // namespace hypsor
