// The main window's exchanges with the altimeter: zeroing, downloading and opening the device
// settings window. While one runs the window stays painted but takes no input, and no second
// exchange can start.
#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "device/DeviceChannel.h"
#include "device/SessionMessages.h"
#include "device/Sessions.h"
#include "platform/MessageBox.h"
#include "ui/FlightChart.h"
#include "ui/Fustawienia.h"
#include "ui/Hypsor_1.h"

namespace hypsor {

// Marks an exchange as running for its lifetime; a close asked for meanwhile happens after it.
class ExchangeGuard {
 public:
  explicit ExchangeGuard(THypsor* w) : w_(w) {
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
  THypsor* w_;
};

namespace {

// Lays out and paints what changed at once: the exchange is about to wait.
void PaintNow() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

void THypsor::ShowSessionMessage(const SessionMessage& message) {
  if (!message.show) return;
  platform_.boxes.Show(message.Text(LanguageIndex), message.Caption(LanguageIndex), BoxButtons::Ok);
}

void THypsor::CloseDevicePort() {
  channel_->ClosePort();
}

void THypsor::BZerowanieClick() {
  if (exchangeRunning_) return;
  if (platform_.boxes.Show(T(Txt::ResetQuestion), T(Txt::ResetQuestionCaption),
                           BoxButtons::OkCancel) != BoxResult::Ok)
    return;
  ExchangeGuard guard(this);
  const ZeroingResult r = RunZeroing(*channel_, PortNameText(Settings));
  ShowSessionMessage(MessageFor(r));
}

void THypsor::B_Odczyt_HypsoruClick() {
  if (exchangeRunning_) return;
  ExchangeGuard guard(this);

  SessionCallbacks callbacks;
  callbacks.started = [this] {
    E_PobDan->setText(T(Txt::E_PobDan));
    E_PobDan->show();
    DownloadProgress->setRange(0, DownloadPolls);
    DownloadProgress->setValue(0);
    DownloadProgress->setFormat(QString());
    DownloadProgress->show();
    GroupB_Hypsor->setTitle(T(Txt::GroupB_Hypsor));
    PaintNow();
  };
  callbacks.beforeFlightRequest = [this] {
    Chart1->UndoZoom();
    for (QLineSeries* s : {Chart1->Series1, Chart1->Series2, Chart1->Series4, Chart1->Series5})
      Chart1->ClearSeries(s);
    PrepareLeftAxis();
    E_MaxGl->setText(QStringLiteral("   "));
    EMinimum->setText(QStringLiteral("   "));
    PaintNow();
  };
  callbacks.progress = [this](int bytes, int pollsLeft) {
    DownloadProgress->setValue(DownloadPolls - pollsLeft);
    DownloadProgress->setFormat(QStringLiteral("%1 B").arg(bytes));
  };

  const DownloadResult r = RunDownload(*channel_, PortNameText(Settings), callbacks);
  E_PobDan->hide();
  DownloadProgress->hide();
  if (r.outcome == DownloadOutcome::Ok && r.flight) {
    // Only a whole download replaces the flight that Save writes.
    DownloadedFlight = *r.flight;
    DownloadByteCount = r.DownloadByteCount;
    ShowMainFlight(*r.flight);
    return;
  }
  ShowSessionMessage(MessageFor(r));
}

void THypsor::Ustawienia1Click() {
  if (exchangeRunning_ || !formUstawienia_) return;
  {
    ExchangeGuard guard(this);
    ECzekaj->setText(T(Txt::ECzekaj));
    ECzekaj->show();
    PaintNow();
    formUstawienia_->ReadBeforeShow();
    ECzekaj->hide();
  }
  formUstawienia_->exec();
}

}  // namespace hypsor
