// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>

#include <QByteArray>
#include <QList>

#include "platform/ScriptedLine.h"

namespace hypsor::test {

// The altimeter's answers as a script for ScriptedLine: queries, writes, zeroing and the flight,
// with the ways a real one misbehaves. Replies come a few ms after the frame; the flight comes
// in pieces of `chunk` bytes, one every `chunkMs`.
struct ScriptedAltimeter {
  // Competitor, serial lo/hi, temperature calibration lo/hi, trigger lo/hi, sampling code.
  std::array<std::uint8_t, 8> report{7, 0x39, 0x30, 33, 0, 100, 0, 2};
  std::uint8_t manualZero = 0;
  std::uint16_t calibration = 10000;
  QByteArray flight;
  int chunk = 16;
  int chunkMs = 2;
  bool silent = false;
  bool shortReplies = false;  // queries answer 5 bytes, zeroing 2
  bool refuseWrites = false;  // "5" and "C" answer xx 5A; zeroing '2' AA 55
  int hangUpInFlightMs = -1;  // hangs up this long after the flight request
  bool keepsWrites = false;   // accepted writes change what the queries report, as on the device

  // The report's fields by name.
  void Report(int competitor, int serial, int temperatureCalibration, int trigger, int sampling) {
    report = {std::uint8_t(competitor),
              std::uint8_t(serial & 0xFF),
              std::uint8_t(serial >> 8),
              std::uint8_t(temperatureCalibration & 0xFF),
              std::uint8_t(temperatureCalibration >> 8),
              std::uint8_t(trigger & 0xFF),
              std::uint8_t(trigger >> 8),
              std::uint8_t(sampling)};
  }

  ScriptedReply operator()(const ScriptedLine::Frame& f) {
    if (silent || f[0] != 'e') return {};
    auto bytes = [](std::initializer_list<int> list) {
      QByteArray out;
      for (int b : list) out.append(static_cast<char>(b));
      return out;
    };
    auto query = [&](const QByteArray& reply) {
      return ScriptedReply::Whole(shortReplies ? reply.left(5) : reply, 3);
    };
    switch (f[1]) {
      case '4':
        return query(QByteArray(reinterpret_cast<const char*>(report.data()), 8));
      case 'B':
        return query(bytes({manualZero, 0, 0, 0, 0, 0, 0, 0}));
      case 'D':
        return query(bytes({0, 0, calibration & 0xFF, calibration >> 8, 0, 0, 0, 0}));
      case '5':
      case 'C':
        if (keepsWrites && !refuseWrites) {
          if (f[1] == '5') {
            report[0] = f[2];
            std::copy(f.begin() + 3, f.begin() + 7, report.begin() + 3);
            report[7] = f[7];
          } else {
            manualZero = f[2];
          }
        }
        return ScriptedReply::Whole(bytes({f[1], refuseWrites ? 0x5A : 0xA5}), 6);
      case '2':
        if (f[2] != '2' || f[3] != '3') return {};
        if (shortReplies) return ScriptedReply::Whole(bytes({'2', 0xAA}), 20);
        return ScriptedReply::Whole(bytes({'2', 0xAA, refuseWrites ? 0x55 : 0xAA, 0, 0, 0, 0, 0}),
                                    20);
      case '1': {
        ScriptedReply r;
        for (int at = 0, k = 0; at < flight.size(); at += chunk, ++k)
          r.Then(5 + k * chunkMs, flight.mid(at, chunk));
        if (hangUpInFlightMs >= 0) r.HangUp(hangUpInFlightMs);
        return r;
      }
      default:
        return {};
    }
  }
};

inline QByteArray Bytes(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out.append(static_cast<char>(b));
  return out;
}

// n bytes of line noise, the same on every run; never 0xFF, so never an end marker.
inline QByteArray Noise(int n) {
  QByteArray out(n, '\0');
  for (int k = 0; k < n; ++k) out[k] = static_cast<char>((k * 37 + 11) % 255);
  return out;
}

// The frames a scripted line received, in order, 8 bytes each.
inline QList<QByteArray> ReceivedFrames(const ScriptedLine& line) {
  QList<QByteArray> out;
  for (const ScriptedLine::Frame& f : line.Frames())
    out.append(QByteArray(reinterpret_cast<const char*>(f.data()), 8));
  return out;
}

}  // namespace hypsor::test
