// SPDX-License-Identifier: GPL-3.0-or-later
#include "flight/Transients.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace hypsor {

namespace {

using namespace transient;

constexpr double kGravityDm = 98.1;  // dm/s²

// The running median of every k-th sample over hw of them each side, narrowed at the ends: for
// each residue class its own sliding window, kept sorted in a fixed array (at most
// 2 * kMedianHalfPoints + 1 values). In the middle one value leaves as one comes: only the
// values between the two move. Where the window spans less than `calm` the sample itself
// stands in for the median (it is within that of it): quiet stretches cost no sorting.
std::vector<std::int32_t> RunningMedian(const std::int32_t* a, int n, int k, int hw,
                                        std::int32_t calm) {
  std::vector<std::int32_t> m(static_cast<std::size_t>(n));
  hw = std::clamp(hw, 0, kMedianHalfPoints);
  std::array<std::int32_t, 2 * kMedianHalfPoints + 1> window{};
  int size = 0;
  auto insert = [&](std::int32_t v) {
    const auto at = std::upper_bound(window.begin(), window.begin() + size, v);
    std::copy_backward(at, window.begin() + size, window.begin() + size + 1);
    *at = v;
    ++size;
  };
  auto erase = [&](std::int32_t v) {
    const auto at = std::lower_bound(window.begin(), window.begin() + size, v);
    std::copy(at + 1, window.begin() + size, at);
    --size;
  };
  auto replace = [&](std::int32_t out, std::int32_t in) {
    const auto begin = window.begin(), end = window.begin() + size;
    const auto at = std::lower_bound(begin, end, out);
    if (in >= out) {
      const auto to = std::upper_bound(at + 1, end, in);
      std::copy(at + 1, to, at);
      *(to - 1) = in;
    } else {
      const auto to = std::upper_bound(begin, at, in);
      std::copy_backward(to, at, at + 1);
      *to = in;
    }
  };
  // Each window's span, bounded by the lowest and highest value of the samples from its first
  // to its last (every one, not only every k-th): within blocks of a whole window's length the
  // running extremes from each block's start and from its end, so that a window, which meets
  // at most two blocks, takes one of each.
  const int whole = 2 * hw * k + 1;
  std::vector<std::int32_t> fromStart(static_cast<std::size_t>(n) * 2);
  std::vector<std::int32_t> fromEnd(static_cast<std::size_t>(n) * 2);
  for (int start = 0; start < n; start += whole) {
    const int end = std::min(n, start + whole) - 1;
    fromStart[2 * start] = fromStart[2 * start + 1] = a[start];
    for (int i = start + 1; i <= end; ++i) {
      fromStart[2 * i] = std::min(fromStart[2 * i - 2], a[i]);
      fromStart[2 * i + 1] = std::max(fromStart[2 * i - 1], a[i]);
    }
    fromEnd[2 * end] = fromEnd[2 * end + 1] = a[end];
    for (int i = end - 1; i >= start; --i) {
      fromEnd[2 * i] = std::min(fromEnd[2 * i + 2], a[i]);
      fromEnd[2 * i + 1] = std::max(fromEnd[2 * i + 3], a[i]);
    }
  }
  auto span = [&](int from, int to) {
    return std::max(fromEnd[2 * from + 1], fromStart[2 * to + 1]) -
           std::min(fromEnd[2 * from], fromStart[2 * to]);
  };
  for (int c = 0; c < k && c < n; ++c) {
    const int length = (n - 1 - c) / k + 1;  // samples c, c + k, ...
    auto at = [&](int j) { return a[c + j * k]; };
    bool sorted = false;  // window holds at(lo..hi) sorted
    size = 0;
    int lo = 0, hi = -1;
    for (int j = 0; j < length; ++j) {
      const int half = std::min({hw, j, length - 1 - j});
      const int newLo = j - half, newHi = j + half;
      const bool slides = sorted && hi + 1 == newHi && lo + 1 == newLo;
      const std::int32_t leaving = lo < newLo ? at(lo) : 0;
      const std::int32_t range = span(c + newLo * k, c + newHi * k);
      if (range < calm) {
        m[static_cast<std::size_t>(c + j * k)] = at(j);
        sorted = false;
      } else {
        if (slides) {
          replace(leaving, at(newHi));
        } else if (sorted) {
          while (hi < newHi) insert(at(++hi));
          while (lo < newLo) erase(at(lo++));
        } else {
          size = newHi - newLo + 1;
          for (int i = 0; i < size; ++i) window[static_cast<std::size_t>(i)] = at(newLo + i);
          std::sort(window.begin(), window.begin() + size);
          sorted = true;
        }
        m[static_cast<std::size_t>(c + j * k)] = window[static_cast<std::size_t>((size - 1) / 2)];
      }
      lo = newLo;
      hi = newHi;
    }
  }
  return m;
}

// The value at share (0..1) of the sorted values, found without sorting them all.
std::int32_t Quantile(std::vector<std::int32_t>& v, double share) {
  const auto at =
      v.begin() + static_cast<std::ptrdiff_t>(share * static_cast<double>(v.size() - 1));
  std::nth_element(v.begin(), at, v.end());
  return *at;
}

Transient Span(int first, int last, TransientShape shape) {
  Transient tr;
  tr.first = first;
  tr.last = last;
  tr.peak = first;
  tr.shape = shape;
  return tr;
}

class Detector {
 public:
  Detector(const AltitudeTableArray& a, int n, int step)
      : a_(a),
        n_(n),
        r_(step / 10.0),
        h_(std::max(1, static_cast<int>(std::lround(kHalfWindowS * r_)))),
        every_((h_ + kMedianHalfPoints - 1) / kMedianHalfPoints),
        gap_(std::max(1, static_cast<int>(std::lround(kMergeGapS * r_)))) {
    m_ = RunningMedian(a.data(), n, every_, h_ / every_, kFloorDm);
    block_ = std::max(10, static_cast<int>(std::lround(kRoughnessBlockS * r_)));
    reach_ = std::max(block_, static_cast<int>(std::lround(kRoughnessWindowS * r_)));
    roughness_.assign(static_cast<std::size_t>((n + block_ - 1) / block_), -1);
  }

  TransientFinding Find() {
    std::vector<Transient> found = Groups();
    if (!found.empty()) {
      // Once more on a curve drawn without them: in a steep climb a pulse moves the median by
      // as many samples as it holds, which would stretch it over its neighbours.
      std::vector<std::int32_t> b(a_.begin(), a_.begin() + n_);
      for (const Transient& tr : found) {
        const std::int64_t from = a_[static_cast<std::size_t>(std::max(0, tr.first - 1))];
        const std::int64_t to = a_[static_cast<std::size_t>(std::min(n_ - 1, tr.last + 1))];
        const int span = tr.last - tr.first + 2;
        for (int i = tr.first; i <= tr.last; ++i)
          b[static_cast<std::size_t>(i)] =
              static_cast<std::int32_t>(from + (to - from) * (i - tr.first + 1) / span);
      }
      m_ = RunningMedian(b.data(), n_, every_, h_ / every_, kFloorDm);
      std::fill(roughness_.begin(), roughness_.end(), -1);
      found = Groups();
    }
    AddEnds(found);
    // Overlapping groups (an extension reaching the next one) are one transient.
    std::vector<Transient> merged;
    for (Transient& tr : found) {
      if (!merged.empty() && tr.first <= merged.back().last + 1) {
        Transient& into = merged.back();
        into.last = std::max(into.last, tr.last);
        for (int i : tr.samples)
          if (into.samples.empty() || i > into.samples.back()) into.samples.push_back(i);
      } else {
        merged.push_back(std::move(tr));
      }
    }
    for (Transient& tr : merged) Describe(tr);
    TransientFinding out;
    out.supportedApogee = SupportedApogee(merged);
    for (Transient& tr : merged) tr.kind = KindOf(tr, out.supportedApogee);
    out.transients = std::move(merged);
    return out;
  }

 private:
  // Samples off the curve, grouped: one within `gap_` of the group's last joins it; the group
  // extends to neighbours standing half as far off.
  std::vector<Transient> Groups() {
    std::vector<Transient> found;
    for (int i = 1; i + 1 < n_; ++i) {
      if (std::llabs(Off(i)) < kFloorDm) continue;  // most samples: no threshold to work out
      const std::int64_t t = Threshold(i);
      if (std::llabs(Off(i)) < t) continue;
      Transient tr = Span(i, i, TransientShape::Spike);
      for (int j = i + 1; j + 1 < n_ && j <= tr.last + gap_; ++j)
        if (std::llabs(Off(j)) >= Threshold(j)) tr.last = j;
      while (tr.first > 1 && 2 * std::llabs(Off(tr.first - 1)) >= t) --tr.first;
      while (tr.last + 2 < n_ && 2 * std::llabs(Off(tr.last + 1)) >= t) ++tr.last;
      for (int j = tr.first; j <= tr.last; ++j)
        if (2 * std::llabs(Off(j)) >= t) tr.samples.push_back(j);
      found.push_back(std::move(tr));
      i = found.back().last;
    }
    return found;
  }

  std::int64_t Off(int i) const {
    return std::int64_t{a_[static_cast<std::size_t>(i)]} - m_[static_cast<std::size_t>(i)];
  }
  std::int64_t M(int i) const { return m_[static_cast<std::size_t>(std::clamp(i, 0, n_ - 1))]; }
  // The curve where its window is whole: near the ends a narrowed window would follow a
  // transient there.
  std::int64_t Whole(int i) const {
    const int lo = std::min(h_, (n_ - 1) / 2), hi = std::max(n_ - 1 - h_, (n_ - 1) / 2);
    return M(std::clamp(i, lo, hi));
  }

  // What the median cuts off a smooth turn at i: the curve's bend (at least gravity's) over
  // half the window; and, for the curve carried on `over` samples, what it bends away meanwhile.
  std::int64_t Turn(int i, int over) const {
    const double bend =
        std::abs(static_cast<double>(Whole(i + h_) - 2 * Whole(i) + Whole(i - h_))) /
        (static_cast<double>(h_) * h_);
    const double dt = (h_ + 1) / 2;
    return static_cast<std::int64_t>(0.5 * std::max(kGravityDm / (r_ * r_), bend) *
                                     (dt * dt + static_cast<double>(over) * over));
  }

  // The larger of the sensor's scatter and the roughness of the flight around block b.
  std::int64_t Roughness(int b) {
    std::int32_t& cached = roughness_[static_cast<std::size_t>(b)];
    if (cached >= 0) return cached;
    const int centre = b * block_ + block_ / 2;
    const int lo = std::max(0, centre - reach_), hi = std::min(n_, centre + reach_);
    std::vector<std::int32_t> v;
    v.reserve(static_cast<std::size_t>(hi - lo));
    for (int i = std::max(1, lo); i < hi; ++i) {
      const std::int32_t d = a_[static_cast<std::size_t>(i)] - a_[static_cast<std::size_t>(i - 1)];
      if (d != 0) v.push_back(d);
    }
    double scatter = 0.0;
    if (v.size() >= 3) {
      const std::int32_t mid = Quantile(v, 0.5);
      for (std::int32_t& d : v) d = std::abs(d - mid);
      // The spread of the changes is sqrt(2) times the sensor's: 1.4826 / sqrt(2) = 1.048.
      scatter = kChangeSpreads * 1.048 * Quantile(v, 0.5);
    }
    v.clear();
    for (int i = lo; i < hi; ++i) v.push_back(static_cast<std::int32_t>(std::llabs(Off(i))));
    const double rough = v.empty() ? 0.0 : kRoughnessTimes * static_cast<double>(Quantile(v, 0.8));
    cached = static_cast<std::int32_t>(std::min(1e9, std::max(scatter, rough)));
    return cached;
  }

  std::int64_t Floor(std::int64_t level) const {
    return std::max<std::int64_t>(kFloorDm, std::llabs(level) / kHeightShare);
  }

  std::int64_t Threshold(int i) {
    const std::int64_t base = Turn(i, 0) + Floor(M(i));
    // The roughness only where the sample is off the curve at all: most never are.
    if (std::llabs(Off(i)) < base) return base;
    return Turn(i, 0) + std::max(Floor(M(i)), Roughness(i / block_));
  }

  // The ends: the last samples against the curve carried on from 1.5 s before the end; the
  // first ones, when the recording starts on the pad, against the pad's level.
  void AddEnds(std::vector<Transient>& found) {
    const int last = n_ - 1;
    if (last - 2 * h_ >= 0) {
      endFrom_ = last - h_;
      endSlope_ = static_cast<double>(M(endFrom_) - M(endFrom_ - h_)) / h_;
      auto threshold = [&](int i) {
        return Turn(endFrom_ - h_, i - endFrom_) +
               std::max(Floor(M(endFrom_)), Roughness(endFrom_ / block_));
      };
      if (std::llabs(EndOff(last)) >= threshold(last)) {
        Transient tr = Span(last, last, TransientShape::EndOfRecord);
        while (tr.first - 1 > endFrom_ &&
               2 * std::llabs(EndOff(tr.first - 1)) >= threshold(tr.first - 1))
          --tr.first;
        // A transient found just before joins it.
        while (!found.empty() && found.back().last + gap_ >= tr.first) {
          tr.first = std::min(tr.first, found.back().first);
          found.pop_back();
        }
        for (int i = tr.first; i <= tr.last; ++i) tr.samples.push_back(i);
        found.push_back(std::move(tr));
        endFound_ = true;
      }
    }
    // On the pad for the first two windows: the level is the median there.
    if (n_ > 2 * h_ + 1) {
      for (int i = 1; i <= 2 * h_; ++i)
        if (std::llabs(M(i) - M(h_)) >= kFloorDm / 2) return;
      const std::int64_t level = M(h_);
      const std::int64_t t = std::max(Floor(level), Roughness(0));
      if (std::llabs(a_[0] - level) < t) return;
      Transient tr = Span(0, 0, TransientShape::Spike);
      while (tr.last + 1 < h_ &&
             2 * std::llabs(a_[static_cast<std::size_t>(tr.last + 1)] - level) >= t)
        ++tr.last;
      for (int i = 0; i <= tr.last; ++i) tr.samples.push_back(i);
      found.insert(found.begin(), std::move(tr));
      padLevel_ = level;
    }
  }

  // The last samples against the curve carried on from endFrom_.
  std::int64_t EndOff(int i) const {
    return std::llround(a_[static_cast<std::size_t>(i)] -
                        (M(endFrom_) + endSlope_ * (i - endFrom_)));
  }

  // Peak, depth and shape.
  void Describe(Transient& tr) const {
    const bool atEnd = tr.last == n_ - 1 && endFound_;
    std::int64_t deepest = 0;
    for (int i = tr.first; i <= tr.last; ++i) {
      std::int64_t off = Off(i);
      if (atEnd && i > endFrom_) off = EndOff(i);
      if (tr.first == 0 && i < h_ && padLevel_) off = a_[static_cast<std::size_t>(i)] - *padLevel_;
      if (std::llabs(off) > std::llabs(deepest)) deepest = off, tr.peak = i;
    }
    tr.depthM = deepest / 10.0;
    if (atEnd)
      tr.shape = TransientShape::EndOfRecord;
    else
      tr.shape = tr.last - tr.first + 1 <= kSpikeLongestRun ? TransientShape::Spike
                                                            : TransientShape::Transient;
  }

  int SupportedApogee(const std::vector<Transient>& list) const {
    const int margin = std::max(1, static_cast<int>(std::lround(kNextToS * r_)));
    int best = -1;
    auto k = list.begin();
    for (int i = 0; i < n_; ++i) {
      while (k != list.end() && k->last + margin < i) ++k;
      if (k != list.end() && k->Covers(i, margin)) continue;
      if (best < 0 || a_[static_cast<std::size_t>(i)] > a_[static_cast<std::size_t>(best)])
        best = i;
    }
    return best;
  }

  TransientKind KindOf(const Transient& tr, int apogee) const {
    if (apogee < 0) return TransientKind::None;
    const std::int64_t top = a_[static_cast<std::size_t>(apogee)];
    const std::int64_t level = Whole(tr.first);
    if (tr.last < apogee) {
      const int before = std::max(0, tr.first - h_), after = std::min(n_ - 1, tr.last + h_);
      const double mps = static_cast<double>(Whole(after) - Whole(before)) / 10.0 * r_ /
                         std::max(1, after - before);
      if (mps >= kTransonicMps) return TransientKind::Transonic;
    }
    if (level >= top - std::max<std::int64_t>(kEjectionBandDm, top / kEjectionBandShare))
      return TransientKind::Ejection;
    if (tr.first > apogee) return TransientKind::Deploy;
    return TransientKind::None;
  }

  const AltitudeTableArray& a_;
  const int n_;
  const double r_;
  const int h_;
  const int every_;  // the median takes every every_-th sample
  const int gap_;
  std::vector<std::int32_t> m_;
  int block_ = 10;
  int reach_ = 10;
  std::vector<std::int32_t> roughness_;
  int endFrom_ = 0;
  double endSlope_ = 0.0;
  bool endFound_ = false;
  std::optional<std::int64_t> padLevel_;
};

}  // namespace

const char* TransientKindName(TransientKind kind) {
  switch (kind) {
    case TransientKind::None: return "";
    case TransientKind::Ejection: return "ejection";
    case TransientKind::Deploy: return "deploy";
    case TransientKind::Transonic: return "transonic";
  }
  return "";
}

int NextToSamples(int timeLabelStep) {
  return std::max(
      1, static_cast<int>(std::lround(transient::kNextToS * std::max(1, timeLabelStep) / 10.0)));
}

TransientFinding FindTransients(const AltitudeTableArray& table, int count, int timeLabelStep) {
  const int n = std::clamp(count, 0, AltitudeTableSize - 1);
  TransientFinding out;
  if (n < 2) return out;
  if (n < 3) {
    out.supportedApogee = table[1] > table[0] ? 1 : 0;
    return out;
  }
  return Detector(table, n, std::max(1, timeLabelStep)).Find();
}

void SetTransientsAside(const AltitudeTableArray& table, int count,
                        const std::vector<Transient>& transients, AltitudeTableArray& out) {
  const int n = std::clamp(count, 0, AltitudeTableSize - 1);
  std::copy_n(table.begin(), n, out.begin());
  for (const Transient& tr : transients) {
    const int first = std::clamp(tr.first, 0, n - 1), last = std::clamp(tr.last, first, n - 1);
    const bool before = first > 0, after = last + 1 < n;
    if (!before && !after) continue;
    const std::int64_t from = table[static_cast<std::size_t>(before ? first - 1 : last + 1)];
    const std::int64_t to = table[static_cast<std::size_t>(after ? last + 1 : first - 1)];
    const int span = last - first + 2;
    for (int i = first; i <= last; ++i)
      out[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(
          before && after ? from + (to - from) * (i - first + 1) / span : from);
  }
}

}  // namespace hypsor
