// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "contest/ContestBook.h"
#include "contest/ContestLog.h"
#include "contest/FlightRecord.h"

namespace hypsor {

struct FilterTables;

// Something wrong with the folder rather than one flight: a damaged log line, a file that is not
// a flight, a results.csv row that names nothing. what is the file it is about; problem says more.
struct FolderNote {
  QString what;
  unsigned reasons = 0;
  Failure problem;
};

// A contest folder as its files and its log say: every flight file and every recorded flight
// whose file is gone, numbered in the order of download, each with its reasons. The flight
// files and the log are the record; results.csv is derived from them.
struct ContestCheck {
  bool readable = false;  // false: not a folder, or its log cannot be read (failure says why)
  Failure failure;
  ContestLog log;
  std::vector<FlightRecord> flights;  // in flight-number order
  std::vector<FolderNote> notes;
  std::vector<Failure> unreadable;  // flight files that cannot be read
  // The rulebook's record: the contest as the log says and where each entry value stands
  // against its flights (a value recorded after a flight is also a note).
  ContestBook book;
  std::vector<EntryOrder> entryOrders;
  // What results.csv is when it is derived from the files and the log.
  QByteArray Table() const;
};

// Reads the folder. With compareResults, results.csv is held against what it should be and the
// flights it disagrees about get ReasonResults (a note when it is about no flight). work holds
// the filter's tables.
ContestCheck CheckContestFolder(const QString& folder, FilterTables& work, bool compareResults);

// The flight files of a folder (not its subfolders; temporary files skipped), sorted by name.
QStringList FlightFileNames(const QString& folder);
// Numbers flights from 1 in the order of download (time, then name); their order stays.
void NumberByDownload(std::vector<FlightRecord>& flights);
void SortByFlight(std::vector<FlightRecord>& flights);

// What verify says of a flight: its level (the reasons', or a warning for data-quality flags)
// and the flags it names.
FlightLevel VerifyLevel(const FlightRecord& f);
QStringList VerifyFlags(const FlightRecord& f);
// The level of a flight with these reasons and these flags (as VerifyFlags gives them).
FlightLevel StateLevel(unsigned reasons, const QStringList& flags);

// The worst level of the check's flights and notes (text/VerifyReport.h words the check).
FlightLevel VerifyWorst(const ContestCheck& check);

}  // namespace hypsor
