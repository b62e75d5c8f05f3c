// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/QualityText.h"

#include "flight/Decode.h"
#include "text/Texts.h"

namespace hypsor {

namespace {

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

}  // namespace

QString QualityFlagText(const QualityFlag& f, int step, int language, QChar point) {
  auto T = [language](Txt id) { return Text(id, language); };
  auto at = [&](std::size_t k) {
    return k < f.samples.size() ? FormatFixed(SampleTime(f.samples[k], step), 2, point)
                                : QString();
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
  const QualityFlag* spike = q.Find(QualityCode::Spike);
  const QString filtered = FormatAltitude(a.filteredM, point);
  return Text(spike && spike->apogeeReplaced ? Txt::ApogeeSupportsFiltered
                                             : Txt::ApogeeSupportsRaw,
              language)
      .arg(raw, filtered);
}

}  // namespace hypsor
