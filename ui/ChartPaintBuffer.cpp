// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartPaintBuffer.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace hypsor {

namespace {

// Cleared a slice at a time, so that a picture given up stops being cleared soon.
void FillPixels(QRgb* pixels, std::size_t count, QRgb value, const std::atomic<bool>& stop) {
  constexpr std::size_t kSlice = std::size_t{1} << 17;
  for (std::size_t at = 0; at < count && !stop.load(std::memory_order_relaxed); at += kSlice)
    std::fill_n(pixels + at, std::min(kSlice, count - at), value);
}

bool Ended(const std::future<void>& f) {
  return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

}  // namespace

ChartPaintBuffer::ChartPaintBuffer(const QSize& size, double devicePixelRatio, const QColor& ground)
    : QCPAbstractPaintBuffer(size, devicePixelRatio), ground_(qPremultiply(ground.rgba())) {
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
  bare_ = false;
  if (clearing_.done.valid()) {
    clearing_.stop->store(true);
    clearing_.picture = std::move(image_);
    givenUp_.push_back(std::move(clearing_));
    clearing_ = {};
  }
  std::erase_if(givenUp_, [](const Clearing& c) { return Ended(c.done); });
  image_ = QImage();
  const QSize device = (QSizeF(mSize) * mDevicePixelRatio).toSize();
  if (device.isEmpty()) return;
  image_ = QImage(device, QImage::Format_ARGB32_Premultiplied);
  if (image_.isNull()) return;  // out of memory: nothing is drawn, as for an empty plot
  image_.setDevicePixelRatio(mDevicePixelRatio);
  auto* pixels = reinterpret_cast<QRgb*>(image_.bits());
  const auto count = static_cast<std::size_t>(image_.sizeInBytes()) / sizeof(QRgb);
  const QRgb value = ground_;
  auto stop = std::make_shared<std::atomic<bool>>(false);
  try {
    clearing_.done = std::async(std::launch::async, [pixels, count, value, stop] {
      FillPixels(pixels, count, value, *stop);
    });
    clearing_.stop = stop;
  } catch (const std::system_error&) {
    FillPixels(pixels, count, value, *stop);  // no thread to spare: cleared here
  }
  bare_ = true;
}

void ChartPaintBuffer::clear(const QColor& color) {
  WaitForClearing();
  if (color.alpha() == 0) {
    if (!bare_) image_.fill(ground_);
    bare_ = true;
    return;
  }
  image_.fill(color);
  bare_ = false;
}

QCPPainter* ChartPaintBuffer::startPainting() {
  WaitForClearing();
  bare_ = false;
  return new QCPPainter(&image_);
}

void ChartPaintBuffer::draw(QCPPainter* painter) const {
  WaitForClearing();
  if (painter && painter->isActive()) painter->drawImage(QPointF(0, 0), image_);
}

}  // namespace hypsor
