// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/DeviceController.h"

#include <QThread>

#include "device/CommunicationLog.h"
#include "platform/SerialLine.h"
#include "session/ContestState.h"
#include "session/FlightWorkspace.h"

namespace hypsor {

DeviceController::DeviceController(QObject* parent)
    : QObject(parent),
      log_(std::make_unique<CommunicationLog>()),
      channel_(std::make_unique<DeviceChannel>()) {
  channel_->SetLog(log_.get());
  channel_->SetCancelFlag(&cancel_);
  StartThread();
}

DeviceController::DeviceController(SerialLine& line, Clock& clock, QObject* parent)
    : QObject(parent),
      log_(std::make_unique<CommunicationLog>()),
      channel_(std::make_unique<DeviceChannel>(line, clock)) {
  channel_->SetLog(log_.get());
  channel_->SetCancelFlag(&cancel_);
  StartThread();
}

void DeviceController::StartThread() {
  thread_ = new QThread;
  thread_->setObjectName(QStringLiteral("altimeter"));
  worker_ = new QObject;
  worker_->moveToThread(thread_);
  thread_->start();
}

DeviceController::~DeviceController() {
  Cancel();
  // After the running exchange (cancelled) and whatever is queued: the port closed on the
  // thread that opened it, then the thread ends.
  QMetaObject::invokeMethod(worker_, [this] {
    channel_->ClosePort();
    QThread::currentThread()->quit();
  });
  thread_->wait();
  delete worker_;
  delete thread_;
}

void DeviceController::AcceptPaths(bool accept) {
  channel_->SetAcceptPaths(accept);
}

void DeviceController::ApplyDownloadsTo(FlightWorkspace& workspace, ContestState& contest) {
  workspace_ = &workspace;
  contest_ = &contest;
}

void DeviceController::Relay(std::function<void()> step) {
  QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

void DeviceController::ApplyDownload(const DownloadResult& r) {
  DownloadReport report;
  report.result = r;
  // Only a whole download replaces the flight that Save writes; a cancelled one brings back the
  // flight that was shown.
  report.taken = workspace_->ApplyDownload(r);
  if (r.outcome == DownloadOutcome::Cancelled) workspace_->RestoreMainFlight();
  if (!report.taken) {
    emit downloadApplied(report);
    return;
  }
  // The contest may wait for its folder's lock: the exchange ends once the flight is kept.
  keeping_ = true;
  contest_->KeepDownload(
      r, *workspace_,
      [this, report](std::optional<KeepOutcome> kept, const Failure& failure) mutable {
        report.kept = kept;
        report.keepFailure = failure;
        keeping_ = false;
        emit downloadApplied(report);
        End();
      });
}

template <class Work>
bool DeviceController::Start(Exchange exchange, Work work) {
  if (Busy()) return false;
  running_ = exchange;
  cancel_.store(false);
  // The exchange owns the channel until End: the thread touches nothing else, and its
  // signals reach this object's thread queued.
  QMetaObject::invokeMethod(worker_, [this, work] {
    work();
    Relay([this] {
      workEnded_ = true;
      End();
    });
  });
  return true;
}

void DeviceController::End() {
  if (!Busy() || !workEnded_ || keeping_) return;
  workEnded_ = false;
  running_ = Exchange::None;
  emit idle();
}

bool DeviceController::ClosePort() {
  if (Busy()) return false;
  QMetaObject::invokeMethod(worker_, [this] { channel_->ClosePort(); },
                            Qt::BlockingQueuedConnection);
  return true;
}

bool DeviceController::StartZeroing(const QString& portName) {
  return Start(Exchange::Zeroing, [this, portName] {
    SessionCallbacks callbacks;
    callbacks.started = [this] { emit started(Exchange::Zeroing); };
    const ZeroingResult r = RunZeroing(*channel_, portName, callbacks);
    emit zeroingFinished(r);
  });
}

bool DeviceController::StartDownload(const QString& portName, const DownloadPolling& polling) {
  return Start(Exchange::Download, [this, portName, polling] {
    // The steps the workspace takes happen here, before anyone hears of them.
    SessionCallbacks callbacks;
    callbacks.started = [this] {
      Relay([this] {
        if (workspace_) workspace_->BeginDownload();
        emit started(Exchange::Download);
      });
    };
    callbacks.beforeFlightRequest = [this] {
      Relay([this] {
        if (workspace_) workspace_->PrepareForFlightData();
        emit flightRequested();
      });
    };
    callbacks.progress = [this](int bytes, int pollsLeft) { emit progress(bytes, pollsLeft); };
    const DownloadResult r = RunDownload(*channel_, portName, callbacks, polling);
    Relay([this, r] {
      emit downloadFinished(r);
      if (workspace_) ApplyDownload(r);
    });
  });
}

bool DeviceController::StartSettingsRead(const QString& portName) {
  return Start(Exchange::SettingsRead, [this, portName] {
    SettingsReadReport report;
    channel_->ClosePort();
    report.opened = channel_->OpenPort(portName);
    if (report.opened) {
      emit started(Exchange::SettingsRead);
      report.result = ReadDeviceSettings(*channel_);
    } else {
      report.openFailure = channel_->LastOpenFailure();
    }
    report.manualZeroingMode = channel_->ManualZeroingMode();
    emit settingsRead(report);
  });
}

bool DeviceController::StartSettingsUpload(const SettingsUpload& values) {
  return Start(Exchange::SettingsUpload, [this, values] {
    emit started(Exchange::SettingsUpload);
    const UploadResult r = UploadDeviceSettings(*channel_, values);
    emit settingsUploaded(r);
  });
}

bool DeviceController::StartSettingsUpload(const RawSettings& raw) {
  return Start(Exchange::SettingsUpload, [this, raw] {
    emit started(Exchange::SettingsUpload);
    const UploadResult r = UploadRawSettings(*channel_, raw);
    emit settingsUploaded(r);
  });
}

}  // namespace hypsor
