// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QBuffer>
#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QStringList>
#include <QTextStream>

#include "cli/Commands.h"
#include "platform/ScriptedLine.h"
#include "tests/support/CliProcess.h"
#include "tests/support/GateClock.h"
#include "tests/support/ScriptedAltimeter.h"

namespace hypsor::test {

// hypsor-cli's device commands run in this process against a scripted altimeter on virtual time:
// the same exit status, texts, files and frames as the tool over a port, without its waits.
struct ScriptedCli {
  ScriptedAltimeter altimeter;
  GateClock clock;
  ScriptedLine line{clock, [this](const ScriptedLine::Frame& f) { return altimeter(f); }};

  ScriptedCli() { cli::UseLine(&line, &clock); }
  ~ScriptedCli() { cli::UseLine(nullptr, nullptr); }
  ScriptedCli(const ScriptedCli&) = delete;
  ScriptedCli& operator=(const ScriptedCli&) = delete;

  // Runs `hypsor-cli COMMAND ARGUMENTS...` for download, reset or settings; standard output goes
  // to stdoutDevice when given (then CliRun::out stays empty).
  CliRun Run(QStringList args, QIODevice* stdoutDevice = nullptr) {
    const QString command = args.takeFirst();
    const auto run = command == QLatin1String("download") ? cli::RunDeviceDownload
                     : command == QLatin1String("reset")  ? cli::RunDeviceReset
                                                          : cli::RunDeviceSettings;
    QBuffer outBuffer;
    QIODevice* outDevice = stdoutDevice ? stdoutDevice : &outBuffer;
    if (!outDevice->isOpen()) outDevice->open(QIODevice::WriteOnly);
    QBuffer errBuffer;
    errBuffer.open(QIODevice::WriteOnly);
    CliRun r;
    {
      QTextStream out(outDevice);
      QTextStream err(&errBuffer);
      r.status = run(args, out, err);
    }
    r.out = QString::fromUtf8(outBuffer.data());
    r.err = QString::fromUtf8(errBuffer.data());
    return r;
  }

  // The frames the altimeter received so far, in order, 8 bytes each.
  QList<QByteArray> Frames() const { return ReceivedFrames(line); }
};

}  // namespace hypsor::test
