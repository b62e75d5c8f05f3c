// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "contest/FlightRecord.h"

namespace hypsor {

struct FilterTables;

// Every flight file of a folder (not its subfolders; temporary files skipped), read into records
// numbered in the order of download (time, then name) and listed by file name. Files that cannot
// be read are named in problems, one readable line each, and left out.
struct FolderScan {
  std::vector<FlightRecord> flights;
  QStringList problems;
};
FolderScan ScanContestFolder(const QString& folder);

// Writes results.csv of a folder from records (in flight-number order) through a temporary file
// and a rename, so the table is whole at every moment. False with *error.
bool WriteResultsTable(const QString& folder, std::vector<FlightRecord> flights, QString* error);

// The contest name stored in a folder, empty when there is none.
QString StoredContestName(const QString& folder);

// A contest session: a folder that keeps every download as a flight file named after competitor,
// serial and time, and results.csv derived from those files. No widgets; the window and
// hypsor-cli both drive it.
class ContestSession {
 public:
  ContestSession();
  ~ContestSession();
  ContestSession(const ContestSession&) = delete;
  ContestSession& operator=(const ContestSession&) = delete;

  // Opens folder (created when missing) as a contest folder: a folder already used resumes,
  // keeping its flights. An empty name takes the stored one. The name is stored in the folder;
  // results.csv is rebuilt when it is missing or unreadable. False with *error, and no session.
  bool Start(const QString& folder, const QString& name, QString* error);
  void End();
  bool Active() const { return active_; }
  const QString& Folder() const { return folder_; }
  const QString& Name() const { return name_; }
  int FlightCount() const { return flightCount_; }

  // Keeps the bytes of a download made at local time `when`: a new file
  // C<competitor>_S<serial>_<time>.hyp (-2, -3, ... when the name is taken; an existing file is
  // never replaced), written atomically, then its row added to results.csv (the table is rebuilt
  // instead when it is missing or does not list the folder's files). On success *kept holds the
  // record (file name, values, completeness). False with *error; the flight file may then exist
  // while the table lacks it, which the next keep or rebuild mends.
  bool KeepDownload(std::span<const std::uint8_t> bytes, const QDateTime& when, FlightRecord* kept,
                    QString* error);

  // Rebuilds results.csv from the folder's flight files; the unreadable ones go to *problems.
  bool RebuildResults(QString* error, QStringList* problems = nullptr);

  // The flights as results.csv lists them (rebuilt first when it is missing or unreadable).
  std::vector<FlightRecord> Flights(QString* error = nullptr);

 private:
  bool LoadTable(std::vector<FlightRecord>& rows) const;
  // Whether rows (and the file extra) name exactly the folder's flight files.
  bool ListsFolder(const std::vector<FlightRecord>& rows, const QString& extra) const;
  bool active_ = false;
  QString folder_;
  QString name_;
  int flightCount_ = 0;
  std::unique_ptr<FilterTables> work_;
};

}  // namespace hypsor
