// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/SimProcess.h"

#include <QDeadlineTimer>
#include <QFile>

#include "tests/support/TestPaths.h"

namespace hypsor::test {

SimProcess::SimProcess(const QStringList& options) {
  const QString program = SimulatorPath();
  if (program.isEmpty()) {
    error_ = QStringLiteral("HYPSOR_SIM is not set");
    return;
  }
  process_ = std::make_unique<QProcess>();
  process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QStringList args = options;
  args << QStringLiteral("--log") << dir_.filePath(QStringLiteral("frames.log"));
  process_->start(program, args);
  if (!process_->waitForStarted(5000)) {
    error_ = QStringLiteral("cannot start %1: %2").arg(program, process_->errorString());
    return;
  }
  QDeadlineTimer deadline(10000);
  while (!process_->canReadLine() && !deadline.hasExpired()) {
    if (!process_->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
  }
  if (!process_->canReadLine()) {
    error_ = QStringLiteral("the simulator printed no port name");
    return;
  }
  portName_ = QString::fromLocal8Bit(process_->readLine()).trimmed();
  if (portName_.startsWith(QStringLiteral("/dev/"))) portName_ = portName_.mid(5);
}

SimProcess::~SimProcess() {
  Kill();
}

void SimProcess::Kill() {
  if (!process_ || process_->state() == QProcess::NotRunning) return;
  process_->kill();
  process_->waitForFinished(5000);
}

QList<QByteArray> SimProcess::ReceivedFrames() const {
  QList<QByteArray> frames;
  QFile log(dir_.filePath(QStringLiteral("frames.log")));
  if (!log.open(QIODevice::ReadOnly)) return frames;
  for (const QByteArray& line : log.readAll().split('\n')) {
    const QByteArray hex = line.trimmed();
    if (!hex.isEmpty()) frames.append(QByteArray::fromHex(hex));
  }
  return frames;
}

TempFlightFile::TempFlightFile(const QByteArray& bytes) {
  path_ = dir_.filePath(QStringLiteral("flight.hyp"));
  QFile file(path_);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

}  // namespace hypsor::test
