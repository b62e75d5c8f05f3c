// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <optional>
#include <span>

#include <QStringList>
#include <QTextStream>

#include "cli/CommandOptions.h"
#include "flight/Filters.h"
#include "flight/FlightData.h"
#include "platform/Failure.h"

class QCoreApplication;

namespace hypsor {
struct DecodedFlight;
class Clock;
class ContestSession;
class SerialLine;
}

// The subcommands of hypsor-cli. RunCommandLine (CommandLine.cpp) only dispatches: it looks the
// first argument up in its command table and calls the function with the remaining arguments.
// Add a subcommand by declaring its function here, defining it in the *Commands.cpp of its group
// and adding one row to the table in CommandLine.cpp.
namespace hypsor::cli {

enum ExitCode : int {
  ExitOk = 0,
  ExitUsage = 1,       // wrong arguments: one line on stderr
  ExitFile = 2,        // a file that cannot be read, or is refused
  ExitPort = 3,        // the serial port cannot be opened
  ExitDevice = 4,      // the altimeter did not answer properly, or refused
  ExitIncomplete = 5,  // a flight saved without its end marker: it may be incomplete
  ExitUnrecorded = 6,  // a flight kept in a contest folder whose log or table it is not in yet
  ExitVerifyWarnings = 7,  // verify: no flight invalid, some with warnings
  ExitVerifyInvalid = 8,   // verify: something invalid
  ExitInterrupted = 130,   // Ctrl+C cancelled an exchange with the altimeter
};

// Every subcommand: args are the arguments after the subcommand's name; results go to out,
// the one-line error (if any) to err.
using CommandFunction = int (*)(const QStringList& args, QTextStream& out, QTextStream& err);

// CommandLine.cpp: the whole command line after the program's name (COMMAND and its arguments,
// or the tool's own options): dispatches through the command table and returns the exit status.
int RunCommandLine(const QStringList& args, QTextStream& out, QTextStream& err);

// FileCommands.cpp
int RunInfo(const QStringList& args, QTextStream& out, QTextStream& err);  // info FILE
int RunExport(const QStringList& args, QTextStream& out,
              QTextStream& err);  // export FILE [--temperature T]

// The options shared by the commands that read one flight file.
struct FileOptions {
  QString path;
  std::optional<int> temperature;
  std::optional<FilterParams> filter;
};
// Declares FILE and the filter options (--filter with its four values), and --temperature when
// withTemperature.
void AddFileOptions(CommandOptions& options, bool withTemperature);
// Reads what AddFileOptions declared (withTemperature as given there) from parsed options.
// Returns the exit status of a usage error (one line on err), or ExitOk.
int ReadFileOptions(const CommandOptions& options, bool withTemperature, FileOptions& o,
                    QTextStream& err);
// Loads a flight file; on failure writes one line to err and returns the exit status.
int LoadForCli(const QString& path, Flight& flight, QTextStream& err);
// The filter as the window's button runs it: nothing for fewer than 32 samples.
std::optional<FilterOutput> Smooth(const Flight& flight, const DecodedFlight& d,
                                   const FilterParams& params, FilterTables& work);

// The `key: value` lines of `info` for a flight whose header has been applied (a file just
// loaded, or a download): decodes it with its own GroundTemperature and SampleCount.
// With filter, max and min are those of the smoothed curve (when the flight is long enough).
void PrintFlightInfo(const Flight& flight, QTextStream& out, const FilterParams* filter = nullptr);
// The CSV of `export`: header line and one row per point of the altitude curve; with filter a
// last column `filtered_dm`.
// Returns false when a filter was asked for and the flight is too short for it: the filtered
// column is then empty.
bool PrintFlightCsv(const Flight& flight, QTextStream& out, const FilterParams* filter = nullptr);

// StatsCommands.cpp: stats FILE [--json] [--temperature T] [--filter ...]
int RunStats(const QStringList& args, QTextStream& out, QTextStream& err);

// SimulationCommands.cpp: compare FILE SIMULATION.csv [--json] [--time-column C
// --altitude-column C [--feet]] [--temperature T] [--filter ...]
int RunCompare(const QStringList& args, QTextStream& out, QTextStream& err);

// ui/PlotCommand.cpp: plot FILE [--compare FILE2] [--filter] [--align] [--size WxH] --out CHART
// (needs a QApplication). It runs in the drawing module, reached through DrawPlot.
int RunPlot(const QStringList& args, QTextStream& out, QTextStream& err);

// DeviceCommands.cpp: the altimeter's exchanges (PORT as the window names it, or a path).
int RunDeviceDownload(const QStringList& args, QTextStream& out, QTextStream& err);
int RunDeviceReset(const QStringList& args, QTextStream& out, QTextStream& err);
int RunDeviceSettings(const QStringList& args, QTextStream& out, QTextStream& err);
// The line (and its clock) the three run on instead of the serial port, until called again;
// nullptr: the port PORT names, on the system clock. Both must outlive the commands run on them.
void UseLine(SerialLine* line, Clock* clock);

// ContestCommands.cpp: results DIR [--csv] [--flights] [--all] [--html OUT], verify DIR and the
// session part of download.
int RunResults(const QStringList& args, QTextStream& out, QTextStream& err);
int RunVerify(const QStringList& args, QTextStream& out, QTextStream& err);
// Opens a contest folder for a keep and checks it takes one (writable, its lock free), before the
// altimeter is asked: ExitOk, or the status after one line on err.
int OpenSessionForKeep(const QString& folder, ContestSession& session, QTextStream& err);
// Keeps downloaded bytes in the session's folder and prints the kept file's path: ExitOk,
// ExitUnrecorded when the file is kept but its record is not, ExitFile when nothing is kept.
int KeepIntoSession(ContestSession& session, std::span<const std::uint8_t> bytes,
                    QTextStream& out, QTextStream& err);

// RulebookCommands.cpp: rules [--json]; contest init|import|enter|assign|decide; and the
// rulebook's part of results (--event, --xlsx): format csv, json, html (to target) or xlsx.
int RunRules(const QStringList& args, QTextStream& out, QTextStream& err);
int RunContest(const QStringList& args, QTextStream& out, QTextStream& err);
int RulebookResults(const QString& folder, const QString& event, const QString& format,
                    const QString& target, bool official, QTextStream& out, QTextStream& err);
// LogbookCommands.cpp: logbook add|tag|list|stats|rebuild|export, each with --logbook FILE.
int RunLogbook(const QStringList& args, QTextStream& out, QTextStream& err);

// ui/ReportCommand.cpp: report FILE [--compare FILE2] --out PDF [--contest NAME] [--language L].
// Needs a QApplication; runs in the drawing module, reached through DrawReport.
int RunReport(const QStringList& args, QTextStream& out, QTextStream& err);

// DrawLoader.cpp: the drawing module (hypsor-draw, cli/DrawModule.h), loaded for plot and report
// only. MakeDrawingApplication loads it and makes its QApplication instead of the tool's
// QCoreApplication (nullptr and *error when the module cannot be loaded); DrawPlot and DrawReport
// then run RunPlot and RunReport in it.
std::unique_ptr<QCoreApplication> MakeDrawingApplication(int& argc, char** argv, Failure* error);
int DrawPlot(const QStringList& args, QTextStream& out, QTextStream& err);
int DrawReport(const QStringList& args, QTextStream& out, QTextStream& err);
// results --pdf through the module: false with *error without it.
bool DrawEventPdf(const QString& path, const QString& title, const QByteArray& html,
                  Failure* error);

}  // namespace hypsor::cli
