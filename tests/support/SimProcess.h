// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace hypsor::test {

// The simulated altimeter in a process of its own, on a pseudo-terminal. Starts it with the
// given options (plus --log into a private folder), reads the port name it prints and kills it
// when destroyed.
class SimProcess {
 public:
  explicit SimProcess(const QStringList& options = {});
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Started() const { return !portName_.isEmpty(); }
  QString Error() const { return error_; }
  // The name as the program's settings hold it, relative to /dev (e.g. "pts/3").
  QString PortName() const { return portName_; }
  // The frames the altimeter received so far, in order, 8 bytes each.
  QList<QByteArray> ReceivedFrames() const;
  // Ends the simulator now, as if the cable were pulled.
  void Kill();

 private:
  QTemporaryDir dir_;
  std::unique_ptr<QProcess> process_;
  QString portName_;
  QString error_;
};

// A flight file of the given bytes in a private folder, for --flight.
class TempFlightFile {
 public:
  explicit TempFlightFile(const QByteArray& bytes);
  QString Path() const { return path_; }

 private:
  QTemporaryDir dir_;
  QString path_;
};

}  // namespace hypsor::test
