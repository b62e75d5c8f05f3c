// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's exchanges with the altimeter: zeroing, downloading and opening the device
// settings window. They run on the controller's thread; meanwhile the window answers but takes
// no command that could start a second one, and their results are shown once it is idle.
#include <functional>
#include <utility>

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "device/CommunicationLog.h"
#include "device/DeviceChannel.h"
#include "text/CommunicationLogText.h"
#include "text/FailureText.h"
#include "text/SessionMessages.h"
#include "device/Sessions.h"
#include "session/DeviceController.h"
#include "platform/AtomicFile.h"
#include "platform/FileDialogs.h"
#include "text/FileFilters.h"
#include "platform/MessageBox.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FlightChart.h"
#include "ui/MainWindow.h"

#include <QDateTime>
#include "ui/MainWindowContest.h"
#include "ui/MainWindowViews.h"
#include "ui/OtherWindows.h"

namespace hypsor {

void MainWindow::ShowSessionMessage(const SessionMessage& message) {
  if (!message.show) return;
  const int language = workspace_.LanguageIndex();
  platform_.boxes.Show(message.Text(language), message.Caption(language), BoxButtons::Ok,
                       message.success ? BoxKind::Success : BoxKind::Problem);
}

CommunicationLog& MainWindow::ExchangeLog() {
  // Every exchange of the window, the device settings window's included, goes through the
  // controller's channel and its log.
  return device_->Log();
}

void MainWindow::AddCommunicationLogAction() {
  QAction* action = setupMenu_->addAction(QString());
  action->setObjectName(QStringLiteral("saveCommunicationLogAction"));
  connect(action, &QAction::triggered, this, [this] { onSaveCommunicationLog(); });
  // Named in the language of the moment whenever the menu opens.
  connect(setupMenu_, &QMenu::aboutToShow, action,
          [this, action] { action->setText(T(Txt::SaveCommunicationLogAction)); });
  action->setText(T(Txt::SaveCommunicationLogAction));
  ExchangeLog();
}

void MainWindow::onSaveCommunicationLog() {
  if (exchangeRunning_) return;
  const CommunicationLog& log = ExchangeLog();
  if (log.IsEmpty()) {
    platform_.boxes.Show(
        FailureText(Failure::Of(FailureKind::NoCommunicationLog, {}), workspace_.LanguageIndex()),
        T(Txt::ErrorCaption), BoxButtons::Ok);
    return;
  }
  const QString path = platform_.dialogs.SaveFileName(
      {{}, FileFilters(FileKind::Text, workspace_.LanguageIndex()),
       QStringLiteral("hypsor-log-%1.txt")
           .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))});
  if (path.isEmpty()) return;
  Failure error;
  if (!WriteFileAtomically(path, CommunicationLogText(log), &error)) ShowFailure(error);
}

void MainWindow::ShowDownloadWarning() {
  if (!downloadWarning_) return;
  downloadWarning_->setText(incompleteWarning_.Text(workspace_.LanguageIndex()));
  downloadWarning_->setVisible(incompleteWarning_.show);
}

void MainWindow::ConnectDevice() {
  DeviceController* d = device_.get();
  connect(d, &DeviceController::started, this, &MainWindow::onExchangeStarted);
  connect(d, &DeviceController::flightRequested, this, &MainWindow::onFlightRequested);
  connect(d, &DeviceController::progress, this, &MainWindow::onDownloadProgress);
  connect(d, &DeviceController::zeroingFinished, this, &MainWindow::onZeroingFinished);
  connect(d, &DeviceController::downloadApplied, this, &MainWindow::onDownloadApplied);
  connect(d, &DeviceController::idle, this, &MainWindow::onExchangeEnded);
  connect(&contestState_, &ContestState::waiting, this, &MainWindow::onContestWaiting);
}

void MainWindow::SetExchangeRunning(bool running, bool cancellable) {
  exchangeRunning_ = running;
  if (running) {
    // Every action (menus, keys, the views' and the contest's entries), every control and dock:
    // nothing may start a second exchange or change the flights the download replaces.
    disabledForExchange_.clear();
    auto disable = [this](auto* object) {
      if (!object->isEnabled()) return;
      object->setEnabled(false);
      disabledForExchange_.append(object);
    };
    for (QAction* a : findChildren<QAction*>()) disable(a);
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (w != client_ && !w->isWindow()) disable(w);
    for (QWidget* w : client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (w != cancelExchangeButton_ && w != downloadBanner_ && w != downloadProgress_ &&
          w != waitBanner_)
        disable(w);
    if (cancellable) {
      cancelExchangeButton_->setEnabled(true);
      cancelExchangeButton_->show();
      cancelExchangeButton_->raise();
      // The keyboard goes to Cancel: the control that had it is disabled now, and Esc must
      // reach the button's shortcut whatever else would take the key.
      cancelExchangeButton_->setFocus(Qt::OtherFocusReason);
    }
    return;
  }
  cancelExchangeButton_->hide();
  for (const QPointer<QObject>& object : std::as_const(disabledForExchange_)) {
    if (auto* a = qobject_cast<QAction*>(object.data())) a->setEnabled(true);
    if (auto* w = qobject_cast<QWidget*>(object.data())) w->setEnabled(true);
  }
  disabledForExchange_.clear();
}

void MainWindow::onZero() {
  if (exchangeRunning_) return;
  if (platform_.boxes.Show(T(Txt::ResetQuestion), T(Txt::ResetQuestionCaption),
                           BoxButtons::OkCancel) != BoxResult::Ok)
    return;
  if (device_->StartZeroing(PortNameText(workspace_.Settings()))) SetExchangeRunning(true);
}

void MainWindow::onRead() {
  if (exchangeRunning_) return;
  auto start = [this] {
    if (!exchangeRunning_ && device_->StartDownload(PortNameText(workspace_.Settings())))
      SetExchangeRunning(true);
  };
  // A contest folder that cannot keep the flight is found before the altimeter is asked.
  if (contest_)
    contest_->ReadyForDownload(start);
  else
    start();
}

void MainWindow::onContestWaiting(bool waiting) {
  // While the contest waits for another station's lock the window takes no command, as during
  // an exchange, and says it waits. A keep waits inside the download's exchange, which holds the
  // window already.
  if (waiting == contestWaiting_ || (waiting && exchangeRunning_)) return;
  contestWaiting_ = waiting;
  waitBanner_->setText(T(Txt::WaitBanner));
  waitBanner_->setVisible(waiting);
  SetExchangeRunning(waiting, false);
  if (!waiting && closeRequested_) {
    closeRequested_ = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

void MainWindow::onCancelExchange() {
  device_->Cancel();
}

void MainWindow::onExchangeStarted() {
  if (device_->Running() != Exchange::Download) return;
  downloadBanner_->setText(T(Txt::DownloadBanner));
  downloadBanner_->show();
  downloadProgress_->setRange(0, DownloadPolls);
  downloadProgress_->setValue(0);
  downloadProgress_->setFormat(QString());
  downloadProgress_->show();
  incompleteWarning_ = {};
  ShowDownloadWarning();
  Redraw();
}

void MainWindow::onFlightRequested() {
  Redraw();
}

void MainWindow::onDownloadProgress(int bytes, int pollsLeft) {
  downloadProgress_->setValue(DownloadPolls - pollsLeft);
  downloadProgress_->setFormat(QStringLiteral("%1 B").arg(bytes));
}

void MainWindow::onZeroingFinished(const ZeroingResult& result) {
  exchangeReport_ = [this, message = MessageFor(result)] { ShowSessionMessage(message); };
}

void MainWindow::onDownloadApplied(const DownloadReport& report) {
  // The controller has given the download to the workspace and the contest; this shows it.
  const DownloadResult& r = report.result;
  const bool taken = report.taken;
  downloadBanner_->hide();
  downloadProgress_->hide();
  Redraw();
  if (report.kept) {
    ShowWindowTitle();  // the kept file's name
    if (views_) views_->Update();
  }
  exchangeReport_ = [this, report] {
    if (report.kept && contest_) contest_->ReportKeep(*report.kept, report.keepFailure);
    if (!report.taken) ShowSessionMessage(MessageFor(report.result));
  };
  const SessionMessage incomplete = IncompleteFlightMessage(r);
  if (taken && incomplete.show) {
    // A line, not a box: the flight is there and may well be usable.
    if (!downloadWarning_) {
      downloadWarning_ = new QLabel(client_);
      downloadWarning_->setObjectName(QStringLiteral("downloadWarning"));
      downloadWarning_->setWordWrap(true);
      downloadWarning_->setStyleSheet(QStringLiteral("color: #b00000;"));
      downloadWarning_->setGeometry(downloadBanner_->x(), downloadProgress_->y(), 360, 36);
      // Retold in the new language when the language changes.
      connect(&workspace_, &FlightWorkspace::languageChanged, downloadWarning_,
              [this] { ShowDownloadWarning(); });
    }
    incompleteWarning_ = incomplete;
    ShowDownloadWarning();
  }
}

void MainWindow::onExchangeEnded() {
  // The settings read ends with the device settings window's report (onDeviceSettingsRead); the
  // window's own exchanges run while this one is blocked by it.
  if (!exchangeRunning_ || readingDeviceSettings_) return;
  SetExchangeRunning(false);
  // The result's boxes open now that the controller is idle: a box runs an event loop of its
  // own, which must not run inside the controller's reports of an exchange still going on.
  if (const std::function<void()> report = std::exchange(exchangeReport_, nullptr)) report();
  // A close asked for during the exchange happens now.
  if (closeRequested_) {
    closeRequested_ = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

DeviceSettingsWindow* MainWindow::DeviceSettings() {
  if (!others_) return nullptr;
  DeviceSettingsWindow& window = others_->DeviceSettings();
  // Queued: the settings window is shown (modal) once its report of the read has returned.
  connect(&window, &DeviceSettingsWindow::readFinished, this, &MainWindow::onDeviceSettingsRead,
          static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection));
  return &window;
}

void MainWindow::onDeviceSettings() {
  DeviceSettingsWindow* window = exchangeRunning_ ? nullptr : DeviceSettings();
  if (!window) return;
  // The settings are read before the window shows; this window waits with the banner.
  if (!window->StartReading()) return;
  readingDeviceSettings_ = true;
  SetExchangeRunning(true, false);
  waitBanner_->setText(T(Txt::WaitBanner));
  waitBanner_->show();
}

void MainWindow::onDeviceSettingsRead() {
  if (!readingDeviceSettings_) return;
  readingDeviceSettings_ = false;
  waitBanner_->hide();
  SetExchangeRunning(false);
  if (closeRequested_) {
    closeRequested_ = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    return;
  }
  others_->DeviceSettings().exec();
}

}  // namespace hypsor
