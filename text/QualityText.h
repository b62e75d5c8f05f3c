// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QChar>
#include <QString>
#include <QStringList>

#include "flight/FlightQuality.h"

namespace hypsor {

// A flag as a sentence in the given language; times with the flight's TimeLabelStep.
QString QualityFlagText(const QualityFlag& flag, int timeLabelStep, int language, QChar point);
// Every flag of a flight, one sentence each, in the order of the flags.
QStringList QualityTexts(const FlightQuality& quality, int timeLabelStep, int language,
                         QChar point);
// "305.2 m at 30.40 s (sample 152)".
QString ApogeeAtText(float metres, double seconds, int sample, int language, QChar point);
// Which apogee the data support, and why; empty without an apogee.
QString ApogeeExplanation(const FlightQuality& quality, int language, QChar point);

}  // namespace hypsor
