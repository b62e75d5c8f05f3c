// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QDateTime>
#include <QString>
#include <QStringView>

namespace hypsor {

// The names of a contest folder's files.
inline constexpr char ResultsFileName[] = "results.csv";
inline constexpr char ContestSettingsFileName[] = "contest.ini";
inline constexpr char ContestLogFileName[] = "contest.log";
inline constexpr char ContestLockFileName[] = "contest.lock";

// The name a download is kept under: C<competitor>_S<serial>_<YYYYMMDD-HHMMSS>.hyp for the
// first attempt, with -2, -3, ... before the extension for later attempts (the name was taken).
QString ContestFileName(unsigned competitor, unsigned serial, const QDateTime& local, int attempt);

// The download time a contest file name carries (local time), or nothing for another name.
std::optional<QDateTime> ContestFileTime(QStringView fileName);

// The competitor and serial number a contest file name carries, or nothing for another name.
struct NamedNumbers {
  unsigned competitor = 0;
  unsigned serial = 0;
};
std::optional<NamedNumbers> ContestFileNumbers(QStringView fileName);

// Orders the files of one download time as they were kept: a contest name's attempts by number
// (C.._140309.hyp before C.._140309-2.hyp before ...-10.hyp), other names as they are.
QString DownloadOrderKey(const QString& fileName);

// Whether a folder entry is a flight file of the folder: it ends in ".hyp" (any case) and is not
// a temporary file left by an interrupted save.
bool IsFlightFileName(QStringView fileName);

}  // namespace hypsor
