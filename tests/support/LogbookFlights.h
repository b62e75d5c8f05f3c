// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QString>

#include "contest/ContestNames.h"
#include "tests/support/MadeFlights.h"
#include "tests/support/TestFiles.h"

namespace hypsor::test {

// A flight file at 10 samples a second that climbs from the ground to about apogeeM and comes
// back: a second on the ground, a two-second climb, a four-second descent, a second on the
// ground, the end marker. Competitor and serial make flights of one apogee distinct.
inline QByteArray SeasonFlight(double apogeeM, unsigned competitor, unsigned serial = 1) {
  QByteArray b(32, '\0');
  b[2] = char(competitor);
  b[3] = char(serial & 0xFF), b[4] = char(serial >> 8);
  b[5] = 20;
  b[7] = 3;
  b[8] = char(10000 & 0xFF), b[9] = char(10000 >> 8);
  std::vector<double> metres(10, 0.0);
  for (int k = 1; k <= 20; ++k) metres.push_back(apogeeM * k / 20);
  for (int k = 39; k >= 0; --k) metres.push_back(apogeeM * k / 40);
  metres.insert(metres.end(), 10, 0.0);
  for (double m : metres) {
    const unsigned w = m <= 0 ? kGroundRaw : RawFor(m);
    b.append(char(w & 0xFF)).append(char(w >> 8));
  }
  b.append(char(0xFF)).append(char(0xFF));
  return b;
}

// Writes the flight into folder under the name a contest keeps a download by, which dates it.
inline QString WriteSeasonFlight(const QString& folder, const QByteArray& bytes,
                                 const QDateTime& when) {
  const unsigned competitor = static_cast<unsigned char>(bytes[2]);
  const unsigned serial =
      static_cast<unsigned char>(bytes[3]) | (static_cast<unsigned char>(bytes[4]) << 8);
  QDir().mkpath(folder);
  const QString path = QDir(folder).filePath(ContestFileName(competitor, serial, when, 1));
  EXPECT_TRUE(WriteFile(path, bytes));
  return path;
}

}  // namespace hypsor::test
