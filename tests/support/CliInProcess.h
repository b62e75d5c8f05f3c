// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QBuffer>
#include <QStringList>
#include <QTextStream>

#include "cli/Commands.h"
#include "tests/support/CliProcess.h"

namespace hypsor::test {

// run(out, err) in this process: its exit status and both outputs.
template <class Run>
CliRun RunCapturing(Run&& run) {
  QBuffer outBuffer, errBuffer;
  outBuffer.open(QIODevice::WriteOnly);
  errBuffer.open(QIODevice::WriteOnly);
  CliRun r;
  {
    QTextStream out(&outBuffer);
    QTextStream err(&errBuffer);
    r.status = run(out, err);
  }
  r.out = QString::fromUtf8(outBuffer.data());
  r.err = QString::fromUtf8(errBuffer.data());
  return r;
}

// `hypsor-cli ARGUMENTS...` run in this process through the tool's own dispatch: the same exit
// status and texts as the program for every command that draws nothing (plot and report need the
// drawing module the program loads).
inline CliRun RunCliInProcess(const QStringList& args) {
  return RunCapturing(
      [&args](QTextStream& out, QTextStream& err) { return cli::RunCommandLine(args, out, err); });
}

// hypsor-cli with these arguments: in this process, but as the program for plot and report.
inline CliRun RunCliHere(const QStringList& args) {
  const bool draws = args.contains(QStringLiteral("plot")) || args.contains(QStringLiteral("report"));
  return draws ? RunCli(args) : RunCliInProcess(args);
}

}  // namespace hypsor::test
