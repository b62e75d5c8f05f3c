// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <utility>

#include <QString>
#include <QStringList>

namespace hypsor {

// What failed, as a value. Every layer fills one in; the window and the command-line tool word it
// in the language in use (text/FailureText.h), which is the one place a failure gets its words.
// The layers below build no sentences for the user. A new kind goes before Count and gets its
// words in text/FailureText.cpp (the build refuses a kind without them).
enum class FailureKind {
  None,
  OpenFile,          // a file cannot be opened for reading
  ReadFile,          // a file opened, but reading it failed
  WriteFile,         // a file cannot be written
  CreateFile,        // a new file cannot be made
  NameTaken,         // a new file's name is in use already
  CreateFolder,      // a folder cannot be made
  WriteIntoFolder,   // a folder takes no new files
  NotAFolder,        // a folder was asked for and the name is something else
  FlightTooShort,    // a stored file too short for a flight's header; `number` is its size
  DownloadTooShort,  // a download too short for a flight's header
  NoContestSession,  // a contest action with no session on
  FolderLocked,      // another station holds the contest folder; `detail` and `number` (process)
  CreateLockFile,    // the contest folder's lock file cannot be made
  NotAFlight,        // a flight file opened in the window that is shorter than a header
  NoData,            // nothing to save or export yet
  NoSettingsFile,    // the settings file could not be read and there is no other to write
  NotAChartFormat,   // a chart export's name ends in none of the formats in `detail`
  // A serial port that did not open; `path` is the port as the user named it.
  PortNotFound,     // no such device node; `detail` the node, `names` the serial devices present
  PortBusy,         // another program holds the port; `detail` the device node
  PortPermission,   // `detail` the group that grants the port; empty where access is not by group
  PortNotSerial,    // `detail` the device node, which is no serial port
  PortNameRefused,  // a name that would lead out of /dev (on Windows: no COM port's name)
  PortNameTooLong,  // a name longer than the settings file keeps
  PortOpen,         // anything else, in the system's words (`systemText`, may be empty)
  // What went wrong during an exchange that its own length checks would not notice.
  DeviceGone,       // the system reported the device gone; the port has been closed
  ReceiveOverflow,  // more bytes came than the receive buffer holds; the excess was discarded
  EndlessReply,     // a reply kept growing past the settle limit or the buffer's room
  Cancelled,        // the user cancelled the exchange
  FrameNotSent,     // a frame could not be sent: nothing is waited for after it
  // An exchange with the altimeter, as its box reports it, and the values typed for it.
  CommunicationError,  // the altimeter did not answer as the exchange expects
  ZeroingRefused,      // the altimeter answered the zeroing without its acknowledgement
  SettingsRefused,     // the altimeter refused the settings
  ValueTooLarge,       // a value above its field's limit
  FieldEmpty,          // a settings field left empty
  NotAnInteger,        // `found` is not a whole number
  // The settings file, a simulation file and the altimeter's settings named on the command line.
  SettingsUnreadable,  // `path` cannot be opened (why: `reason` and the system's words); the
                       // settings now go to `detail` (empty: nowhere)
  SimulationOpen,      // `path` cannot be opened: the system's words
  SimulationEmpty,     // the simulation file `path` (its name) has no line at all
  SimulationNoHeader,  // data before any column names on `line`
  SimulationFields,    // `line` has `number` fields where `limit` are needed
  SimulationNumber,    // `line` holds `found` in the column `detail`, which takes a number
  SimulationTime,      // `line`'s time `found` is not after the line before
  SimulationRows,      // fewer than two rows of data
  SimulationUnit,      // `line` names the altitude unit `found`, neither m nor ft
  SimulationColumns,   // `line`, the header, has no column `detail`
  SettingUnknown,      // `path` names no setting; `names` are the settings' names
  SettingNoValue,      // no value given for the setting `path`
  SettingNotANumber,   // `found`, given for `path`, is not a whole number
  SettingBelowZero,    // `number`, given for `path`, is below 0
  SettingAboveLimit,   // `number`, given for `path`, is above its `limit`
  // The command-line tool's drawing module (plot, report).
  DrawModuleNotFound,  // found at none of the `names`
  DrawModuleLoad,      // the system's loader refused it: its words
  DrawModuleMissing,   // a command that draws ran without the module
  FlightToOutput,      // the downloaded flight could not be written to standard output
  // What a contest folder's check notes of its results table (`path`) and its log's lines.
  ResultsUnreadable,   // missing or unreadable
  ResultsNotATable,    // not a results table
  ResultsListsUnknown,  // a row names `detail`, which is no flight of the folder
  ResultsNotAsWritten,  // every row as it should be, yet not the bytes written
  ResultsOutOfOrder,    // rows in another order than their flights'
  LogLineNotChained,    // `line` of the log does not follow the line before
  LogLineNotARecord,    // `line` is no record
  LogLineNoBreak,       // `line`, the last, has no line break
  // The window's and the command-line tool's own.
  WrongTemperature,        // a temperature typed that is not a whole number
  ChartFormatUnknown,      // a chart export's name ends in none of .png, .svg, .pdf
  ChartFormatUnknownNoSvg,  // the same where charts cannot be drawn as SVG
  GuideMissing,            // the user guide `path` (its file name) is not installed
  GuideNotOpened,          // the system has no program to show the guide `path`
  NoCommunicationLog,      // nothing to save: there has been no exchange yet
  SimulationNoLaunch,      // the simulation or the flight has no launch: nothing to compare
  NoFlightInFolder,        // no flight file of the folder `path` could be read
  TooFewToFilter,          // the flight has `number` samples, fewer than the filter's `limit`
  DownloadCancelled,       // the user cancelled a download: nothing written
  ZeroingCancelled,        // the user cancelled a zeroing: it is not confirmed
  SettingsCancelled,       // the user cancelled a settings exchange: nothing more sent
  WriteStandardOutput,     // standard output could not be written: the system's words
  // The contest's rulebook: rule packs, events, competitors, entries and the jury's decisions.
  // Their words name the fields in braces ({path}, {line}, {detail}, {found}, {number}, {limit},
  // {names}).
  RulePackUnreadable,   // `path` is no JSON object: `found` the parser's words, `number` the offset
  RulePackField,        // `path`'s field `detail` is missing or wrong; `found` what it holds
  RulePackUnknown,      // no pack `found`; `names` the packs there are
  EventUnknown,         // no event `found` in the contest; `names` its events
  EventPackDiffers,     // event `found` exists with the pack `detail`
  EventParameter,       // `found` is no parameter `detail` of the pack; `names` its parameters
  BadEventSpec,         // `found` is not ID=PACK[:key=value,...]
  CsvHeader,            // `path`'s header lacks the column `detail`
  CsvEncoding,          // `path` `line` is not UTF-8
  CsvField,             // `path` `line`, column `detail`: `found` is not allowed there
  CsvDuplicate,         // `path` `line`: number `number` is on line `limit` already
  CsvEvent,             // `path` `line`, column events: no event `found`; `names` the events
  CompetitorUnknown,    // competitor `number` is not registered
  CompetitorNotEntered,  // competitor `number` is not entered in event `detail`
  EntryValueMissing,    // event `detail` needs `found` from competitor `number` before the flight
  EntryAfterFlight,     // `found` for competitor `number` in `detail` after their first flight
  RoundOutOfRange,      // round `number` of event `detail`, which has `limit` rounds
  FlightNotInLog,       // `path` is no flight the contest log records
  FlightNotAssigned,    // `path` has no event and round yet
  DecisionNoJudge,      // a decision without the name of who made it
  DecisionNoReason,     // the status `found` needs a reason
  StatusNotAllowed,     // `found` is not a status of event `detail`; `names` the statuses
  LogLineReference,     // log `line` (a `detail` line) names `found`, which the log does not hold
  WorkbookWrite,        // the spreadsheet `path` could not be written: `found` the library's words
  // The logbook.
  LogbookUnreadable,  // the logbook `path` is no database or is damaged: the driver's words in
                      // `systemText`; it is left as it is
  LogbookNewer,       // the logbook `path` has schema version `number`, newer than this program's
                      // `limit`: left as it is
  LogbookFailed,      // the logbook `path` refused a read or a change: the driver's words
  LogbookNoSamples,   // the file `path` has a header but not one altitude sample
  LogbookSampling,    // the file `path` names sampling code `number`, which no altimeter uses
  LogbookUnknown,     // `detail` (a file or a SHA-256) is no flight of the logbook `path`
  LogbookExport,      // the spreadsheet `path` could not be made: the library's words
  Count              // not a kind: the number of kinds
};

// Why, where the kind needs one.
enum class FailureReason {
  System,               // the system's own words in `systemText` (may be empty: none given)
  NotRegularFile,       // the name leads to a FIFO, device, socket or folder
  NotRegularLeftAlone,  // as NotRegularFile, for a write target that was left untouched
  LinkLoop,             // a loop or an endless chain of symbolic links
};

// The fields a kind does not name stay as they are made; each kind's comment says which it uses.
struct Failure {
  FailureKind kind = FailureKind::None;
  QString path;  // where: the file, folder or port, as the user named it
  FailureReason reason = FailureReason::System;
  QString systemText;  // the system's reason, as it gave it
  int systemCode = 0;  // errno, when known: lets the text give a common reason in the language
  int line = 0;        // the line of a file it was found on, from 1
  qint64 number = -1;  // the number the kind names: a size, a process, a value, a count found
  qint64 limit = -1;   // what the number was held against: a limit, a count expected
  QString detail;      // a name the kind needs besides the path: a station, formats, a column
  QString found;       // what the input held where it failed
  QStringList names;   // a list the kind names
  // Set when a downloaded flight was kept under this name but could not be entered in the contest
  // log: the rest of the value says why.
  QString keptAs;

  bool Failed() const { return kind != FailureKind::None; }

  static Failure Of(FailureKind kind, const QString& path, FailureReason reason = FailureReason::System,
                    const QString& systemText = {}, int systemCode = 0) {
    Failure f;
    f.kind = kind;
    f.path = path;
    f.reason = reason;
    f.systemText = systemText;
    f.systemCode = systemCode;
    return f;
  }
  static Failure System(FailureKind kind, const QString& path, const QString& systemText,
                        int systemCode = 0) {
    return Of(kind, path, FailureReason::System, systemText, systemCode);
  }
};

// Copies the failure into *out when out is given; returns false, for `return Fail(...)`.
inline bool Fail(Failure* out, Failure failure) {
  if (out) *out = std::move(failure);
  return false;
}

}  // namespace hypsor
