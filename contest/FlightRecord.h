// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include <QDateTime>
#include <QString>

namespace hypsor {

struct FilterTables;

// What the results table says about one flight file of a contest folder. Every value is derived
// from the file's bytes (and, for `downloaded`, its name), so the table can always be rebuilt.
struct FlightRecord {
  int flight = 0;  // the flight's number in the folder, in the order of download
  unsigned competitor = 0;
  unsigned serial = 0;
  QDateTime downloaded;                  // local time
  std::optional<float> apogeeM;          // the maximum as the flight's panel shows it
  std::optional<float> filteredApogeeM;  // the maximum after the default filter (32+ samples)
  std::optional<double> timeToApogeeS;   // from the launch; none when the flight never launched
  bool complete = false;                 // the bytes end in the end marker
  QString file;                          // the name in the folder
  QString sha256;                        // of the whole file as stored
};

// The record of a flight from its stored bytes: head is what a flight file read takes (at most
// the first 9000 bytes), tailHasEndMarker says whether the whole file ends in the end marker.
// Returns false when head is shorter than a header. work holds the filter's tables (large; one
// is reused across many records).
bool RecordFromBytes(std::span<const std::uint8_t> head, bool tailHasEndMarker,
                     FlightRecord& record, FilterTables& work);

// Reads a flight file into a record (file, sha256, the values); `downloaded` comes from a
// contest file name (see ContestFileTime) or else the file's modification time. flight stays 0.
// False with *error naming the file when it cannot be read or is too short.
bool ReadFlightRecord(const QString& path, FlightRecord& record, FilterTables& work,
                      QString* error);

}  // namespace hypsor
