// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FlightStateText.h"

#include <iterator>

#include "contest/FolderCheck.h"
#include "flight/FlightQuality.h"
#include "text/Texts.h"

namespace hypsor {

namespace {

struct FlagName {
  QualityCode code;
  Txt name;
};
constexpr FlagName kFlagNames[] = {
    {QualityCode::Spike, Txt::StateSpike},           {QualityCode::PadDrift, Txt::StatePadDrift},
    {QualityCode::Stuck, Txt::StateStuck},           {QualityCode::Incomplete, Txt::StatusIncomplete},
    {QualityCode::NoLaunch, Txt::StateNoLaunch},     {QualityCode::NoLanding, Txt::StateNoLanding},
    {QualityCode::LateLaunch, Txt::StateLateLaunch}, {QualityCode::Short, Txt::StateShort},
    {QualityCode::Transient, Txt::StateTransient},   {QualityCode::EndOfRecord, Txt::StateEndOfRecord},
    {QualityCode::ApogeeDisputed, Txt::StateApogeeDisputed},
    {QualityCode::NearSonic, Txt::StateNearSonic},
};
// Every flag has words of its own.
static_assert(std::size(kFlagNames) == static_cast<std::size_t>(QualityCode::NearSonic) + 1);

QString FlagWords(const QString& code, int language) {
  for (const FlagName& f : kFlagNames)
    if (code == QLatin1String(QualityCodeName(f.code))) return Text(f.name, language);
  return code;  // a flag without words of its own yet is named by its code
}

}  // namespace

QString LevelWord(FlightLevel level, int language) {
  switch (level) {
    case FlightLevel::Valid: return Text(Txt::StatusValid, language);
    case FlightLevel::Warning: return Text(Txt::StateWarning, language);
    case FlightLevel::Invalid: break;
  }
  return Text(Txt::StateInvalid, language);
}

QString FlightStateWhy(unsigned reasons, const QStringList& flags, int language) {
  QStringList parts;
  for (int k = 0; k < FlightReasonCount; ++k)
    if (reasons & (1u << k))
      parts << Text(static_cast<Txt>(static_cast<int>(Txt::StatusChanged) + k), language);
  for (const QString& flag : flags) parts << FlagWords(flag, language);
  return parts.join(QStringLiteral(", "));
}

QString FlightStateText(unsigned reasons, const QStringList& flags, int language) {
  const QString level = LevelWord(StateLevel(reasons, flags), language);
  const QString why = FlightStateWhy(reasons, flags, language);
  return why.isEmpty() ? level : level + QStringLiteral(": ") + why;
}

}  // namespace hypsor
