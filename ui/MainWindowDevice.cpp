// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's exchanges with the altimeter: zeroing, downloading and opening the device
// settings window. While one runs the window stays painted but takes no input, and no second
// exchange can start.
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
#include "device/SessionMessages.h"
#include "device/Sessions.h"
#include "platform/AtomicFile.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "ui/DeviceSettingsWindow.h"
#include "ui/FlightChart.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowContest.h"
#include "ui/MainWindowViews.h"

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

CommunicationLog& MainWindow::ExchangeLog() {
  if (!exchangeLog_) exchangeLog_ = std::make_unique<CommunicationLog>();
  // Every exchange of the window, the device settings window's included, goes through channel_.
  channel_->Log = exchangeLog_.get();
  return *exchangeLog_;
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
    platform_.boxes.Show(T(Txt::NoCommunicationLog), T(Txt::ErrorCaption), BoxButtons::Ok);
    return;
  }
  const QString path = platform_.dialogs.SaveFileName();
  if (path.isEmpty()) return;
  QString error;
  if (!WriteFileAtomically(path, log.Text(), &error)) ShowError(error);
}

void MainWindow::ShowDownloadWarning() {
  if (!downloadWarning_) return;
  downloadWarning_->setText(incompleteWarning_.Text(workspace_.LanguageIndex()));
  downloadWarning_->setVisible(incompleteWarning_.show);
}

void MainWindow::onZero() {
  if (exchangeRunning_) return;
  ExchangeLog();
  if (platform_.boxes.Show(T(Txt::ResetQuestion), T(Txt::ResetQuestionCaption),
                           BoxButtons::OkCancel) != BoxResult::Ok)
    return;
  ExchangeGuard guard(this);
  const ZeroingResult r = RunZeroing(*channel_, PortNameText(workspace_.Settings()));
  ShowSessionMessage(MessageFor(r));
}

void MainWindow::onRead() {
  if (exchangeRunning_) return;
  // A contest folder that cannot keep the flight is found before the altimeter is asked.
  if (contest_ && !contest_->ReadyForDownload()) return;
  ExchangeLog();
  ExchangeGuard guard(this);

  SessionCallbacks callbacks;
  callbacks.started = [this] {
    downloadBanner_->setText(T(Txt::DownloadBanner));
    downloadBanner_->show();
    downloadProgress_->setRange(0, DownloadPolls);
    downloadProgress_->setValue(0);
    downloadProgress_->setFormat(QString());
    downloadProgress_->show();
    incompleteWarning_ = {};
    ShowDownloadWarning();
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
  if (taken && contest_) {
    contest_->KeepDownload(r);
    ShowWindowTitle();  // the kept file's name
    if (views_) views_->Update();
  }
  if (!taken) ShowSessionMessage(MessageFor(r));
  const SessionMessage incomplete = IncompleteFlightMessage(r);
  if (taken && incomplete.show) {
    // A line, not a box: the flight is there and may well be usable.
    if (!downloadWarning_) {
      downloadWarning_ = new QLabel(client_);
      downloadWarning_->setObjectName(QStringLiteral("downloadWarning"));
      downloadWarning_->setWordWrap(true);
      downloadWarning_->setStyleSheet(QStringLiteral("color: #b00000;"));
      downloadWarning_->setGeometry(downloadBanner_->x(), downloadProgress_->y(), 360, 36);
      // Retold in the new language when the language changes (after the language's handler).
      for (QAction* language : {polishAction_, englishAction_})
        connect(language, &QAction::triggered, downloadWarning_, [this] { ShowDownloadWarning(); });
    }
    incompleteWarning_ = incomplete;
    ShowDownloadWarning();
  }
}

void MainWindow::onDeviceSettings() {
  if (exchangeRunning_ || !deviceSettings_) return;
  ExchangeLog();
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
