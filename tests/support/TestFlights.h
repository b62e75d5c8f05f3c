// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <initializer_list>

#include <QByteArray>

#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace hypsor::test {

// A flight file: a header (competitor 7, serial 0x1234, calibration 10000, the given sampling
// code and temperature), the samples as 16-bit words, then the end marker.
inline QByteArray MakeFlight(std::initializer_list<int> samples, int code = 3,
                             int temperature = 20) {
  QByteArray b(32, '\0');
  b[2] = 7;
  b[3] = char(0x34), b[4] = char(0x12);
  b[5] = char(temperature), b[6] = 0;
  b[7] = char(code);
  b[8] = char(10000 & 0xff), b[9] = char(10000 >> 8);
  for (int s : samples) b.append(char(s & 0xff)).append(char(s >> 8));
  b.append(char(0xff)).append(char(0xff));
  return b;
}

// A flight of n samples counting up from 1000 under MakeFlight's header, with or without the end
// marker after them.
inline QByteArray Samples(int n, bool endMarker = true) {
  QByteArray f = MakeFlight({}).left(32);
  for (int k = 0; k < n; ++k) f.append(char((1000 + k) & 0xFF)).append(char((1000 + k) >> 8));
  if (endMarker) f.append("\xFF\xFF", 2);
  return f;
}

// The example flight as the simulated altimeter sends it: first byte cleared, the given
// calibration word in the header.
inline QByteArray SampleFlightAsSent(int calibration) {
  QByteArray flight = ReadFile(ExamplePath(QStringLiteral("sample-flight.hyp")));
  flight[0] = 0;
  flight[8] = char(calibration & 0xff);
  flight[9] = char(calibration >> 8);
  return flight;
}

}  // namespace hypsor::test
