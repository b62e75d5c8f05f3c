// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "device/Sessions.h"
#include "platform/Failure.h"

class QThread;

namespace hypsor {

class Clock;
class CommunicationLog;
class ContestState;
class FlightWorkspace;
class SerialLine;
enum class KeepOutcome;

// What the controller is doing with the altimeter.
enum class Exchange { None, Zeroing, Download, SettingsRead, SettingsUpload };

// A settings read: the port (re)opened, or why not, and what the altimeter answered.
struct SettingsReadReport {
  bool opened = false;
  Failure openFailure;  // when not opened
  SettingsReadResult result;
  int manualZeroingMode = 0;  // the mode last read successfully, also after a failed read
};

// What became of a finished download the controller applied.
struct DownloadReport {
  DownloadResult result;
  bool taken = false;               // the workspace's main flight is now the download
  std::optional<KeepOutcome> kept;  // with a contest session on: what its folder kept
  Failure keepFailure;              // for a keep that failed or was kept unrecorded
};

// The program's link to the altimeter, without widgets: it owns the line, the channel and the
// communication log, and runs every exchange on a thread of its own, so whoever shows them (the
// windows, hypsor-cli) only asks and listens. That thread lives as long as the controller: a
// port the settings exchanges keep open between them stays with the thread that opened it. One
// exchange at a time; Cancel ends a running one within a wait step with the port closed.
// Receivers on the controller's thread get every signal there, queued from the exchange's.
class DeviceController : public QObject {
  Q_OBJECT
 public:
  // The real serial port and the system clock.
  explicit DeviceController(QObject* parent = nullptr);
  // The given line and clock (a scripted altimeter on a virtual clock); both must outlive the
  // controller.
  DeviceController(SerialLine& line, Clock& clock, QObject* parent = nullptr);
  ~DeviceController() override;  // cancels a running exchange and waits for its end

  // The channel, for a look at its port and for sessions a benchmark runs directly; only while
  // no exchange runs, as every exchange owns it on the altimeter's thread.
  DeviceChannel& Channel() { return *channel_; }
  CommunicationLog& Log() { return *log_; }
  // Names absolute paths accepted as ports (the command line's).
  void AcceptPaths(bool accept);
  // From now on the controller applies every download itself, on the thread it lives on: the
  // workspace takes its steps (begun, flight asked for, finished or cancelled: the flight shown
  // before comes back) and, while a session is on, the contest keeps the flight the workspace
  // took; then downloadApplied reports it. Both must outlive the controller.
  void ApplyDownloadsTo(FlightWorkspace& workspace, ContestState& contest);

  Exchange Running() const { return running_; }
  bool Busy() const { return running_ != Exchange::None; }
  // Start an exchange unless one runs (false then). The port is opened by the exchange; its
  // failure comes back in the result.
  bool StartZeroing(const QString& portName);
  bool StartDownload(const QString& portName, const DownloadPolling& polling = {});
  // Closes any open port, opens the named one and reads the settings; the port stays open for
  // an upload (settingsRead).
  bool StartSettingsRead(const QString& portName);
  // Uploads the typed values over the port the read left open (settingsUploaded).
  bool StartSettingsUpload(const SettingsUpload& values);
  // Writes the settings as they are (hypsor-cli's named values over what the device reported).
  bool StartSettingsUpload(const RawSettings& raw);
  // Closes the port the settings exchanges keep open; waits for the exchange thread, so only
  // while no exchange runs (false otherwise).
  bool ClosePort();
  // Asks the running exchange to stop; safe from any thread and from a signal handler.
  void Cancel() { cancel_.store(true); }

 signals:
  // The port is open and the exchange begins.
  void started(hypsor::Exchange exchange);
  // A download is about to ask for the flight: the chart makes room for it.
  void flightRequested();
  // After every poll of a download: bytes received so far and polls left.
  void progress(int bytesReceived, int pollsLeft);
  void zeroingFinished(const hypsor::ZeroingResult& result);
  void downloadFinished(const hypsor::DownloadResult& result);
  // After downloadFinished, when the controller applies downloads (ApplyDownloadsTo).
  void downloadApplied(const hypsor::DownloadReport& report);
  void settingsRead(const hypsor::SettingsReadReport& report);
  void settingsUploaded(const hypsor::UploadResult& result);
  // After the result's signal: Busy() is false again.
  void idle();

 private:
  template <class Work>
  bool Start(Exchange exchange, Work work);
  void StartThread();
  // Once the exchange's thread is through and the contest has kept the download: idle.
  void End();
  // Runs what the exchange thread hands over on the controller's thread, in the order given.
  void Relay(std::function<void()> step);
  void ApplyDownload(const DownloadResult& result);

  std::unique_ptr<CommunicationLog> log_;
  std::unique_ptr<DeviceChannel> channel_;
  std::atomic<bool> cancel_{false};
  Exchange running_ = Exchange::None;
  bool workEnded_ = false;      // the exchange's thread is through with it
  bool keeping_ = false;        // the contest keeps the download, maybe waiting for its lock
  QThread* thread_ = nullptr;   // runs the exchanges, one after another
  QObject* worker_ = nullptr;   // lives on thread_: what is posted to it runs there
  FlightWorkspace* workspace_ = nullptr;
  ContestState* contest_ = nullptr;
};

}  // namespace hypsor

Q_DECLARE_METATYPE(hypsor::ZeroingResult)
Q_DECLARE_METATYPE(hypsor::DownloadResult)
Q_DECLARE_METATYPE(hypsor::DownloadReport)
Q_DECLARE_METATYPE(hypsor::SettingsReadReport)
Q_DECLARE_METATYPE(hypsor::UploadResult)
