// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart's axis labels. Each ticker computes its labels when the chart lays itself out, from
// the axis' range and its length in pixels then, so they follow every zoom and resize.
#include <utility>
#include <vector>

#include <qcustomplot.h>

#include "session/FlightWorkspace.h"

namespace hypsor {

// The time axis: whole-second labels standing on end at the points that carry them, the
// finest step of 1, 2, 5, 10, 20, 30 or 60 s that leaves every label room, and none right of
// `rightReserve` pixels from the plot's right edge (the unit text at the bottom right stands there).
class SecondsTicker : public QCPAxisTicker {
 public:
  explicit SecondsTicker(const QCPAxis* axis) : axis_(axis) {}
  void SetSeconds(const std::vector<int>* seconds) { seconds_ = seconds; }
  void SetRightReserve(int pixels) { rightReserve_ = pixels; }
  void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                QVector<double>& ticks, QVector<double>* subTicks,
                QVector<QString>* tickLabels) override;
  // The labels of the last layout with their points.
  const std::vector<std::pair<QString, double>>& Labels() const { return labels_; }
  // The axis length the last labels were made for.
  int LaidOutFor() const { return laidOutFor_; }

 private:
  double SecondsPerPoint() const;
  const QCPAxis* axis_;
  const std::vector<int>* seconds_ = nullptr;
  int rightReserve_ = 0;
  int laidOutFor_ = -1;
  std::vector<std::pair<QString, double>> labels_;
};

// A value axis: labels on multiples of a step of 1, 2 or 5 times a power of ten, about every 40
// pixels, never finer than 0.1 (the labels show at most one decimal) nor than `minimumStep`.
class StepTicker : public QCPAxisTicker {
 public:
  explicit StepTicker(const QCPAxis* axis) : axis_(axis) {}
  void SetMinimumStep(double step) { minimumStep_ = step; }
  double Step() const { return step_; }
  int LaidOutFor() const { return laidOutFor_; }

 protected:
  double getTickStep(const QCPRange& range) override;
  int getSubTickCount(double) override { return 0; }
  QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                       int precision) override;

 private:
  const QCPAxis* axis_;
  double minimumStep_ = 0.0;
  double step_ = 1.0;
  int laidOutFor_ = -1;
};

// A label step of 1, 2 or 5 times a power of ten that gives about `count` labels over `span`.
double NiceStep(double span, double count);

}  // namespace hypsor
