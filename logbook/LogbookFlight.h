// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "platform/Failure.h"

namespace hypsor {

struct FilterTables;

// What the logbook derives from one flight file. Every value comes from the file's bytes (the
// date from its contest name or else its modification time), so it can always be rebuilt.
struct LogbookFlight {
  QString sha256;  // of the whole file: the flight's key, which a move does not change
  QString path;    // absolute
  QDateTime date;  // local time
  unsigned competitor = 0;
  unsigned serial = 0;
  double samplingHz = 0.0;  // samples a second
  int temperatureC = 20;    // the header's
  std::optional<double> apogeeM;          // the maximum as the flight's panel shows it
  std::optional<double> filteredApogeeM;  // after the default filter (32+ samples)
  std::optional<double> supportedApogeeM;  // what the data support (FlightQuality)
  std::optional<double> timeToApogeeS;     // from the launch; none without one
  QStringList flags;                       // data-quality codes with the default filter
};

// Reads a flight file as a contest folder's record does (contest/FlightRecord.h: one reading of
// a flight for both) and adds what the logbook keeps besides. False with *error when the file
// cannot be read or is not a flight: shorter than a header, without a sample, or with a sampling
// code no altimeter writes. work holds the filter's tables (large; reuse one per thread).
bool ReadLogbookFlight(const QString& path, LogbookFlight& flight, FilterTables& work,
                       Failure* error);

}  // namespace hypsor
