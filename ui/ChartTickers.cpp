// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartTickers.h"

#include <algorithm>
#include <cmath>

namespace hypsor {

namespace {
// Room between two labels standing on end, beyond the text's own line height.
constexpr double kLabelGap = 6;
// About one value label every this many pixels.
constexpr double kValueLabelSpacing = 40;
}  // namespace

double NiceStep(double span, double count) {
  const double raw = std::max(span, 1e-12) / std::max(1.0, count);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (raw <= m * power) return m * power;
  return 10.0 * power;
}

double SecondsTicker::SecondsPerPoint() const {
  // From the first two labelled points: labels stand on whole seconds.
  int firstIndex = -1, firstSecond = 0;
  const std::vector<int>& s = *seconds_;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] < 0) continue;
    if (firstIndex < 0) {
      firstIndex = static_cast<int>(i);
      firstSecond = s[i];
    } else if (s[i] > firstSecond) {
      return static_cast<double>(s[i] - firstSecond) / static_cast<double>(i - firstIndex);
    }
  }
  return 1.0;
}

void SecondsTicker::generate(const QCPRange& range, const QLocale&, QChar, int,
                             QVector<double>& ticks, QVector<double>* subTicks,
                             QVector<QString>* tickLabels) {
  ticks.clear();
  if (subTicks) subTicks->clear();
  if (tickLabels) tickLabels->clear();
  labels_.clear();
  const QRect rect = axis_->axisRect()->rect();
  laidOutFor_ = rect.width();
  if (!seconds_ || seconds_->empty() || rect.width() <= 0 || range.size() <= 0) return;

  const double pixelsPerPoint = rect.width() / range.size();
  const double pixelsPerSecond = pixelsPerPoint / SecondsPerPoint();
  const double needed = QFontMetrics(axis_->tickLabelFont()).height() + kLabelGap;
  int stepSeconds = 0;
  for (int s : {1, 2, 5, 10, 20, 30, 60, 120, 300, 600, 1200, 1800, 3600}) {
    stepSeconds = s;
    if (s * pixelsPerSecond >= needed) break;
  }
  const int rightmost = axis_->parentPlot()->viewport().right() - rightReserve_;
  const double lastX =
      std::min(range.upper, range.lower + (rightmost - rect.left()) / pixelsPerPoint);
  const std::vector<int>& s = *seconds_;
  const auto first = static_cast<std::size_t>(std::max(0.0, std::ceil(range.lower)));
  const double last = std::min(static_cast<double>(s.size()) - 1, std::floor(lastX));
  double previous = -1e18;
  for (std::size_t i = first; static_cast<double>(i) <= last; ++i) {
    if (s[i] < 0 || s[i] % stepSeconds != 0) continue;
    const double x = static_cast<double>(i);
    if ((x - previous) * pixelsPerPoint < needed) continue;
    labels_.emplace_back(QString::number(s[i]), x);
    previous = x;
  }
  // A comparison may reach past the main flight's last point: its seconds go on there.
  const auto firstLabelled = std::find_if(s.begin(), s.end(), [](int v) { return v >= 0; });
  if (firstLabelled != s.end() && lastX > static_cast<double>(s.size() - 1)) {
    const double i0 = static_cast<double>(firstLabelled - s.begin());
    const double perPoint = SecondsPerPoint();
    const int lastSecond = *std::max_element(s.begin(), s.end());
    for (int k = (lastSecond / stepSeconds + 1) * stepSeconds;; k += stepSeconds) {
      const double x = i0 + (k - *firstLabelled) / perPoint;
      if (x > lastX) break;
      if (x < range.lower || x <= static_cast<double>(s.size() - 1)) continue;
      if ((x - previous) * pixelsPerPoint < needed) continue;
      labels_.emplace_back(QString::number(k), x);
      previous = x;
    }
  }
  for (const auto& [text, x] : labels_) {
    ticks.append(x);
    if (tickLabels) tickLabels->append(text);
  }
}

double StepTicker::getTickStep(const QCPRange& range) {
  const int height = axis_->axisRect()->rect().height();
  laidOutFor_ = height;
  const double rows = std::max(2.0, height / kValueLabelSpacing);
  step_ = std::max({0.1, minimumStep_, NiceStep(range.size(), rows)});
  return step_;
}

QString StepTicker::getTickLabel(double tick, const QLocale& locale, QChar, int) {
  // Thousands grouped as the locale groups them; one decimal only for steps below 1.
  if (std::abs(tick) < step_ * 1e-6) tick = 0;  // no "-0"
  return locale.toString(tick, 'f', step_ < 1.0 ? 1 : 0);
}

}  // namespace hypsor
