// The main window's exchanges with the altimeter: zeroing, downloading and opening the device
// settings window. While one runs the window stays painted but takes no input, and no second
// exchange can start.
#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "device/DeviceChannel.h"
#include "device/SessionMessages.h"
#include "device/Sessions.h"
#include "platform/MessageBox.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FlightChart.h"
#include "ui/MainWindow.h"

namespace hypsor {

// Marks an exchange as running for its lifetime; a close asked for meanwhile happens after it.
class ExchangeGuard {
 public:
  explicit ExchangeGuard(MainWindow* w) : w_(w) {
    w_->exchangeRunning_ = true;
    w_->menuBar()->setEnabled(false);
  }
  ~ExchangeGuard() {
    w_->exchangeRunning_ = false;
    w_->menuBar()->setEnabled(true);
    if (w_->closeRequested_) {
      w_->closeRequested_ = false;
      QMetaObject::invokeMethod(w_, &QWidget::close, Qt::QueuedConnection);
    }
  }
  ExchangeGuard(const ExchangeGuard&) = delete;
  ExchangeGuard& operator=(const ExchangeGuard&) = delete;

 private:
  MainWindow* w_;
};

namespace {

// Lays out and paints what changed at once: the exchange is about to wait.
void PaintNow() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

void MainWindow::ShowSessionMessage(const SessionMessage& message) {
  if (!message.show) return;
  const int language = workspace_.LanguageIndex();
  platform_.boxes.Show(message.Text(language), message.Caption(language), BoxButtons::Ok,
                       message.success ? BoxKind::Success : BoxKind::Problem);
}

void MainWindow::onZero() {
  if (exchangeRunning_) return;
  if (platform_.boxes.Show(T(Txt::ResetQuestion), T(Txt::ResetQuestionCaption),
                           BoxButtons::OkCancel) != BoxResult::Ok)
    return;
  ExchangeGuard guard(this);
  const ZeroingResult r = RunZeroing(*channel_, PortNameText(workspace_.Settings()));
  ShowSessionMessage(MessageFor(r));
}

void MainWindow::onRead() {
  if (exchangeRunning_) return;
  ExchangeGuard guard(this);

  SessionCallbacks callbacks;
  callbacks.started = [this] {
    downloadBanner_->setText(T(Txt::DownloadBanner));
    downloadBanner_->show();
    downloadProgress_->setRange(0, DownloadPolls);
    downloadProgress_->setValue(0);
    downloadProgress_->setFormat(QString());
    downloadProgress_->show();
    workspace_.BeginDownload();
    Redraw();
    PaintNow();
  };
  callbacks.beforeFlightRequest = [this] {
    workspace_.PrepareForFlightData();
    Redraw();
    PaintNow();
  };
  callbacks.progress = [this](int bytes, int pollsLeft) {
    downloadProgress_->setValue(DownloadPolls - pollsLeft);
    downloadProgress_->setFormat(QStringLiteral("%1 B").arg(bytes));
  };

  const DownloadResult r = RunDownload(*channel_, PortNameText(workspace_.Settings()), callbacks);
  downloadBanner_->hide();
  downloadProgress_->hide();
  // Only a whole download replaces the flight that Save writes.
  const bool taken = workspace_.ApplyDownload(r);
  Redraw();
  if (!taken) ShowSessionMessage(MessageFor(r));
}

void MainWindow::onDeviceSettings() {
  if (exchangeRunning_ || !deviceSettings_) return;
  {
    ExchangeGuard guard(this);
    waitBanner_->setText(T(Txt::WaitBanner));
    waitBanner_->show();
    PaintNow();
    deviceSettings_->ReadBeforeShow();
    waitBanner_->hide();
  }
  deviceSettings_->exec();
}

}  // namespace hypsor
