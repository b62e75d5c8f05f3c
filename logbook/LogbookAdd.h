// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

#include "logbook/Logbook.h"
#include "platform/Failure.h"

namespace hypsor {

// The flight files under paths: a file as named, a folder's flight files (*.hyp, not a save's
// temporary file) at any depth, in name order.
QStringList CollectFlightFiles(const QStringList& paths);

// Told how far a long run has come (files read of total); returns false to stop it. What was
// written before stays written.
using LogbookProgress = std::function<bool(int done, int total)>;

struct LogbookAddOutcome {
  int added = 0;
  int known = 0;
  std::vector<Failure> refused;  // files that are no flight or cannot be read, with why
  bool cancelled = false;
};

// Adds the flight files under paths to the logbook with the tags. The files are read on every
// core; the logbook is written on the calling thread, one transaction per batch of files, so
// that another program writing it waits for a batch, never for the whole run. False with *error
// when the logbook refused a change (what was written before stays).
bool AddToLogbook(Logbook& logbook, const QStringList& paths, const LogbookTags& tags,
                  const LogbookProgress& progress, LogbookAddOutcome& outcome, Failure* error);

struct LogbookRebuildOutcome {
  int reread = 0;          // flights read again from their files
  QStringList missing;     // paths of flights whose files are gone (marked, kept)
  QStringList changed;     // paths that hold other bytes than their flight's (marked, kept)
  std::vector<Failure> unreadable;  // files there but not read: left as they were
  bool cancelled = false;
};

// Reads every flight's file again and writes what it finds: the values anew, or the flight
// marked missing or changed. Nothing is ever dropped.
bool RebuildLogbook(Logbook& logbook, const LogbookProgress& progress,
                    LogbookRebuildOutcome& outcome, Failure* error);

}  // namespace hypsor
