// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include <QProcess>
#include <QString>
#include <QStringList>

#include "tests/support/TestPaths.h"

namespace hypsor::test {

// One run of hypsor-cli (or a test tool): exit status (-1 if it crashed or hung) and both outputs.
struct CliRun {
  int status = -1;
  QString out;
  QString err;
};

// Runs a program with the arguments; prepare may adjust the process before it starts.
inline CliRun RunProgram(const QString& program, const QStringList& args,
                         const std::function<void(QProcess&)>& prepare = {}) {
  QProcess p;
  if (prepare) prepare(p);
  p.start(program, args);
  CliRun r;
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

// Runs hypsor-cli with the arguments, as RunProgram.
inline CliRun RunCli(const QStringList& args, const std::function<void(QProcess&)>& prepare = {}) {
  return RunProgram(CliPath(), args, prepare);
}

}  // namespace hypsor::test
