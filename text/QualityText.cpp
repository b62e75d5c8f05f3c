// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/QualityText.h"

#include <algorithm>
#include <cmath>

#include "flight/Decode.h"
#include "text/Texts.h"

namespace hypsor {

namespace {

// The filtered apogee agrees with another when they are within max(5 m, 0.5 %): the filter
// rounds a clean top off by a few metres.
constexpr int kFilterAgreesDm = 50;
constexpr int kFilterAgreesShare = 200;

// The first few times of a list of samples; the rest only counted.
QString Times(const std::vector<int>& samples, int step, QChar point) {
  constexpr std::size_t kShown = 5;
  QStringList list;
  for (std::size_t k = 0; k < samples.size() && k < kShown; ++k)
    list << FormatFixed(SampleTime(samples[k], step), 2, point);
  QString text = list.join(QStringLiteral(", "));
  if (samples.size() > kShown) text += QStringLiteral(", … (%1)").arg(samples.size());
  return text;
}

// " (ejection)" after a transient's code, or nothing.
QString KindText(TransientKind kind, int language) {
  switch (kind) {
    case TransientKind::None: return {};
    case TransientKind::Ejection:
      return QStringLiteral(" (%1)").arg(Text(Txt::TransientEjection, language));
    case TransientKind::Deploy:
      return QStringLiteral(" (%1)").arg(Text(Txt::TransientDeploy, language));
    case TransientKind::Transonic:
      return QStringLiteral(" (%1)").arg(Text(Txt::TransientTransonic, language));
  }
  return {};
}

}  // namespace

QString QualityFlagText(const QualityFlag& f, int step, int language, QChar point) {
  auto T = [language](Txt id) { return Text(id, language); };
  auto at = [&](std::size_t k) {
    return k < f.samples.size() ? FormatFixed(SampleTime(f.samples[k], step), 2, point)
                                : QString();
  };
  auto sample = [&](std::size_t k) {
    return k < f.samples.size() ? QString::number(f.samples[k]) : QString();
  };
  switch (f.code) {
    case QualityCode::Spike: {
      QString text =
          T(Txt::FlagSpike).arg(Times(f.samples, step, point), FormatFixed(f.value, 1, point));
      if (f.apogeeReplaced) text += QStringLiteral("; ") + T(Txt::FlagSpikeApogee);
      return text;
    }
    case QualityCode::PadDrift:
      return T(Txt::FlagPadDrift).arg(FormatFixed(f.value, 1, point), at(1));
    case QualityCode::Stuck:
      return T(Txt::FlagStuck).arg(FormatFixed(f.value, 2, point), at(0), at(1));
    case QualityCode::Incomplete:
      return T(f.value == 1 ? Txt::FlagIncompleteMarker : Txt::FlagIncompleteFull);
    case QualityCode::NoLaunch: return T(Txt::FlagNoLaunch);
    case QualityCode::NoLanding: return T(Txt::FlagNoLanding);
    case QualityCode::LateLaunch:
      return T(Txt::FlagLateLaunch).arg(FormatFixed(f.value, 0, point), at(0));
    case QualityCode::Short:
      return T(Txt::FlagShort)
          .arg(static_cast<int>(f.value))
          .arg(quality::kShortSamples);
    case QualityCode::Transient:
      return T(Txt::FlagTransient)
          .arg(KindText(f.kind, language), at(0), at(1), sample(0), sample(1),
               FormatFixed(f.value, 1, point));
    case QualityCode::EndOfRecord:
      return T(Txt::FlagEndOfRecord)
          .arg(KindText(f.kind, language), FormatFixed(f.value, 1, point), at(0), at(1), sample(0),
               sample(1));
    case QualityCode::ApogeeDisputed:
      // The apogees as the panel shows them.
      return T(Txt::FlagApogeeDisputed)
          .arg(FormatAltitude(static_cast<float>(f.supportedM + f.value), point), at(0),
               FormatFixed(f.value, 1, point),
               FormatAltitude(static_cast<float>(f.supportedM), point), at(1));
    case QualityCode::NearSonic:
      return T(Txt::FlagNearSonic)
          .arg(T(f.value < 0 ? Txt::NearSonicSink : Txt::NearSonicClimb),
               FormatFixed(std::abs(f.value), 2, point), at(0));
  }
  return {};
}

QStringList QualityTexts(const FlightQuality& q, int step, int language, QChar point) {
  QStringList list;
  for (const QualityFlag& f : q.flags) list << QualityFlagText(f, step, language, point);
  return list;
}

QString ApogeeAtText(float metres, double seconds, int sample, int language, QChar point) {
  return Text(Txt::ApogeeAt, language)
      .arg(FormatAltitude(metres, point), FormatFixed(seconds, 2, point))
      .arg(sample);
}

QString ApogeeExplanation(const FlightQuality& q, int language, QChar point) {
  const ExplainedApogee& a = q.apogee;
  if (!a.valid) return {};
  const QString raw = FormatAltitude(a.rawM, point);
  if (!a.filtered) return Text(Txt::ApogeeNotFiltered, language).arg(raw);
  const QString filtered = FormatAltitude(a.filteredM, point);
  const QString supported = FormatAltitude(a.supportedM, point);
  const QString when = FormatFixed(a.supportedS, 2, point);
  // The filter rounds a clean top off by a few metres: within that it agrees with the data.
  auto agrees = [](float top, float other) {
    return std::abs(top - other) * 10.0f <=
           std::max<float>(kFilterAgreesDm, top * 10.0f / kFilterAgreesShare);
  };
  if (!a.rawSetAside) {
    if (a.filteredSetAside)
      return Text(Txt::ApogeeSupportsRawFilterTransient, language).arg(raw, filtered);
    if (agrees(a.rawM, a.filteredM))
      return Text(Txt::ApogeeSupportsRaw, language).arg(raw, filtered);
    return Text(Txt::ApogeeSupportsRawFilterLower, language)
        .arg(raw, filtered, FormatAltitude(a.rawM - a.filteredM, point));
  }
  if (a.filteredSetAside)
    return Text(Txt::ApogeeSupportsNeither, language).arg(raw, filtered, supported, when);
  if (agrees(a.supportedM, a.filteredM))
    return Text(Txt::ApogeeSupportsFiltered, language).arg(raw, filtered, supported);
  return Text(Txt::ApogeeSupportsSupported, language)
      .arg(raw, filtered, supported, when, FormatAltitude(a.supportedM - a.filteredM, point));
}

}  // namespace hypsor
