// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/DeviceController.h"

#include <QEventLoop>
#include <QThread>

#include "device/CommunicationLog.h"
#include "device/DeviceChannel.h"
#include "platform/SerialLine.h"

namespace hypsor {

DeviceController::DeviceController(QObject* parent)
    : QObject(parent),
      log_(std::make_unique<CommunicationLog>()),
      channel_(std::make_unique<DeviceChannel>()) {
  channel_->Log = log_.get();
  channel_->SetCancelFlag(&cancel_);
}

DeviceController::DeviceController(SerialLine& line, Clock& clock, QObject* parent)
    : QObject(parent),
      log_(std::make_unique<CommunicationLog>()),
      channel_(std::make_unique<DeviceChannel>(line, clock)) {
  channel_->Log = log_.get();
  channel_->SetCancelFlag(&cancel_);
}

DeviceController::~DeviceController() {
  if (!thread_) return;
  Cancel();
  thread_->wait();
  delete thread_;
  channel_->ClosePort();
}

void DeviceController::AcceptPaths(bool accept) {
  channel_->AcceptPaths = accept;
}

template <class Work>
bool DeviceController::Start(Exchange exchange, Work work) {
  if (Busy()) return false;
  running_ = exchange;
  cancel_.store(false);
  // The exchange owns the channel until Finish: the thread touches nothing else, and its
  // signals reach this object's thread queued.
  thread_ = QThread::create([this, work] {
    work();
    QMetaObject::invokeMethod(this, &DeviceController::Finish, Qt::QueuedConnection);
  });
  thread_->start();
  return true;
}

void DeviceController::Finish() {
  if (!thread_) return;
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  running_ = Exchange::None;
  emit idle();
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
    SessionCallbacks callbacks;
    callbacks.started = [this] { emit started(Exchange::Download); };
    callbacks.beforeFlightRequest = [this] { emit flightRequested(); };
    callbacks.progress = [this](int bytes, int pollsLeft) { emit progress(bytes, pollsLeft); };
    const DownloadResult r = RunDownload(*channel_, portName, callbacks, polling);
    emit downloadFinished(r);
  });
}

void DeviceController::WaitForEnd() {
  if (!Busy()) return;
  QEventLoop loop;
  connect(this, &DeviceController::idle, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace hypsor
