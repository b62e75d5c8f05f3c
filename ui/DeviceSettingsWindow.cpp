// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DeviceSettingsWindow.h"

#include <functional>
#include <utility>

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "device/ParameterExchange.h"
#include "device/PortChoices.h"
#include "session/DeviceController.h"
#include "text/SessionMessages.h"
#include "files/SettingsFile.h"
#include "platform/MessageBox.h"
#include "platform/SerialDevices.h"
#include "platform/SerialPort.h"
#include "text/FailureText.h"
#include "text/Texts.h"
#include "ui/DesignFont.h"

namespace hypsor {

namespace {

SessionMessage ReadFailedMessage() {
  SettingsReadResult failed;
  failed.outcome = SettingsReadOutcome::CommunicationError;
  return MessageFor(failed);
}

constexpr int kLeft = 40;
constexpr int kFirstTop = 16;
constexpr int kRowStep = 56;
constexpr int kFieldWidth = 81;
constexpr int kListExtraWidth = 10;

const char* const kSamplingTexts[] = {"50 pom/sek",  "25 pom/sek",  "15 pom/sek",  "10 pom/sek",
                                      "  5 pom/sek", "  1 pom/sek", "  2 sek/pom", "  5 sek/pom"};

}  // namespace

DeviceSettingsWindow::DeviceSettingsWindow(DeviceController& device, SettingsRecord& settings,
                                           int languageIndex, MessageBoxService& boxes,
                                           std::function<bool()> saveSettings, QWidget* parent)
    : QDialog(parent),
      device_(device),
      settings_(settings),
      languageIndex_(languageIndex),
      boxes_(boxes),
      saveSettings_(std::move(saveSettings)) {
  setModal(true);
  setFixedSize(179, 483);
  setFont(DesignFont());

  int row = 0;
  auto label = [&] {
    auto* l = new QLabel(this);
    l->setGeometry(kLeft, kFirstTop + row * kRowStep, 179 - kLeft, 16);
    return l;
  };
  auto place = [&](QWidget* w) {
    // The fixed lists take a few pixels more than the designed field, or their arrow would cut
    // the last letter of "50 pom/sek".
    auto* list = qobject_cast<QComboBox*>(w);
    const int width = list && !list->isEditable() ? kFieldWidth + kListExtraWidth : kFieldWidth;
    w->setGeometry(kLeft, kFirstTop + row * kRowStep + 16, width, 21);
    ++row;
  };

  portLabel_ = label();
  portCombo_ = new QComboBox(this);
  portCombo_->setEditable(true);
  // Typed names are taken when finished (Enter or leaving the field), not at every keystroke.
  portCombo_->setInsertPolicy(QComboBox::NoInsert);
  place(portCombo_);

  triggerLabel_ = label();
  triggerField_ = new QLineEdit(QStringLiteral("0"), this);
  place(triggerField_);

  calibrationLabel_ = label();
  calibrationField_ = new QLineEdit(QStringLiteral("0"), this);
  place(calibrationField_);

  samplingLabel_ = label();
  samplingCombo_ = new QComboBox(this);
  for (const char* t : kSamplingTexts) samplingCombo_->addItem(QString::fromLatin1(t));
  place(samplingCombo_);

  manualZeroLabel_ = label();
  manualZeroCombo_ = new QComboBox(this);
  manualZeroCombo_->addItems({QString(), QString()});
  place(manualZeroCombo_);

  competitorLabel_ = label();
  competitorField_ = new QLineEdit(this);
  place(competitorField_);

  serialLabel_ = label();
  serialField_ = new QLineEdit(this);
  serialField_->setReadOnly(true);
  place(serialField_);

  sendButton_ = new QPushButton(this);
  sendButton_->setGeometry(kLeft, 408, 89, 33);
  sendButton_->setAutoDefault(false);

  setObjectName(QStringLiteral("deviceSettingsWindow"));
  for (auto [w, name] : std::initializer_list<std::pair<QWidget*, const char*>>{
           {portLabel_, "portLabel"},
           {portCombo_, "portCombo"},
           {triggerLabel_, "triggerLabel"},
           {triggerField_, "triggerField"},
           {calibrationLabel_, "calibrationLabel"},
           {calibrationField_, "calibrationField"},
           {samplingLabel_, "samplingLabel"},
           {samplingCombo_, "samplingCombo"},
           {manualZeroLabel_, "manualZeroLabel"},
           {manualZeroCombo_, "manualZeroCombo"},
           {competitorLabel_, "competitorLabel"},
           {competitorField_, "competitorField"},
           {serialLabel_, "serialLabel"},
           {serialField_, "serialField"},
           {sendButton_, "sendButton"}})
    w->setObjectName(QString::fromLatin1(name));

  // The devices present are read when the window opens (ReadBeforeShow): reading them takes
  // tens of milliseconds that the program's start does not need.
  FillPortList(false);

  connect(portCombo_, &QComboBox::activated, this, [this] { onPortChosen(); });
  connect(portCombo_->lineEdit(), &QLineEdit::editingFinished, this, [this] { PortTextEdited(); });
  connect(triggerField_, &QLineEdit::textEdited, this, [this] { onTriggerEdited(); });
  connect(calibrationField_, &QLineEdit::textEdited, this, [this] { onCalibrationEdited(); });
  connect(competitorField_, &QLineEdit::textEdited, this, [this] { onCompetitorEdited(); });
  for (QLineEdit* e : {triggerField_, calibrationField_, competitorField_})
    e->installEventFilter(this);
  connect(sendButton_, &QPushButton::clicked, this, [this] { onSendClicked(); });
  connect(&device_, &DeviceController::settingsRead, this, &DeviceSettingsWindow::onSettingsRead);
  connect(&device_, &DeviceController::settingsUploaded, this,
          &DeviceSettingsWindow::onSettingsUploaded);
  connect(&device_, &DeviceController::idle, this, &DeviceSettingsWindow::onExchangeEnded);

  ApplyTexts();
}

DeviceSettingsWindow::~DeviceSettingsWindow() = default;

void DeviceSettingsWindow::SetLanguage(int languageIndex) {
  languageIndex_ = languageIndex;
  ApplyTexts();
}

void DeviceSettingsWindow::Show(const SessionMessage& message) {
  if (!message.show) return;
  boxes_.Show(message.Text(languageIndex_), message.Caption(languageIndex_), BoxButtons::Ok,
              message.success ? BoxKind::Success : BoxKind::Problem);
}

void DeviceSettingsWindow::FillPortList(bool withDevices) {
  const QSignalBlocker block(portCombo_);
  portCombo_->clear();
  const QList<SerialDeviceInfo> devices =
      withDevices ? SerialDevicesPresent() : QList<SerialDeviceInfo>();
  for (const PortChoice& c : PortChoices(devices, PortNameText(settings_)))
    portCombo_->addItem(c.label, c.name);
  // The field is narrow; the open list is as wide as its longest entry.
  portCombo_->view()->setMinimumWidth(portCombo_->view()->sizeHintForColumn(0) + 24);
  ShowPortName();
}

void DeviceSettingsWindow::ShowPortName() {
  // The list changes with the devices present: the stored name, not its position, selects.
  const QString name = PortNameText(settings_);
  const QSignalBlocker block(portCombo_);
  const int found = portCombo_->findData(name);
  portCombo_->setCurrentIndex(found);
  if (found < 0) portCombo_->setEditText(name);
}

QString DeviceSettingsWindow::ChosenPortName() const {
  // An entry shows more than its name ("ttyUSB0 – FT232R USB UART"); typed text is the name.
  const QString text = portCombo_->currentText();
  const int index = portCombo_->findText(text, Qt::MatchExactly);
  return index >= 0 ? portCombo_->itemData(index).toString() : text.trimmed();
}

void DeviceSettingsWindow::FillFields(const DeviceSettings& s) {
  // Every change of a field's text is checked, also a value read from the altimeter.
  auto fill = [this](QLineEdit* field, unsigned value, unsigned limit) {
    field->setText(QString::number(value));
    TypingCheck(field, limit);
  };
  fill(calibrationField_, s.calibration, CalibrationTypingLimit);
  fill(competitorField_, s.competitor, CompetitorLimit);
  serialField_->setText(QString::number(s.serial));
  fill(triggerField_, s.trigger, TriggerLimit);
  // A code beyond the list leaves nothing selected.
  samplingCombo_->setCurrentIndex(s.samplingCode < static_cast<unsigned>(samplingCombo_->count())
                                      ? static_cast<int>(s.samplingCode)
                                      : -1);
}

bool DeviceSettingsWindow::StartReading() {
  if (busy_) return false;
  // Devices come and go, and the port may have been chosen elsewhere since the window was built
  // (start-up options): the list is read afresh at every opening.
  FillPortList();
  return StartExchange(Pending::Opening,
                       [this] { return device_.StartSettingsRead(PortNameText(settings_)); });
}

bool DeviceSettingsWindow::StartExchange(Pending what, const std::function<bool()>& start) {
  if (!start()) return false;
  busy_ = true;
  pending_ = what;
  uploadEnd_.reset();
  readOk_ = false;
  report_ = nullptr;
  return true;
}

void DeviceSettingsWindow::onExchangeEnded() {
  const Pending what = pending_;
  if (what == Pending::None) return;  // not ours
  // The result is told now that the controller is idle, as its boxes run event loops of their
  // own; until it has been told, this window starts nothing new.
  if (const std::function<void()> report = std::exchange(report_, nullptr)) report();
  busy_ = false;
  pending_ = Pending::None;
  if (what == Pending::Upload && uploadEnd_) {
    // A completed upload closes the window, accepted or not.
    closeRequested_ = false;
    done(*uploadEnd_);
    return;
  }
  // A close asked for during the exchange happens now.
  if (closeRequested_) {
    closeRequested_ = false;
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
  }
  if (what == Pending::Opening) emit readFinished(readOk_);
}

void DeviceSettingsWindow::onSettingsRead(const SettingsReadReport& report) {
  const Pending what = pending_;
  if (what != Pending::Opening && what != Pending::PortChange) return;  // not ours
  report_ = [this, what, report] { TellRead(what, report); };
}

void DeviceSettingsWindow::TellRead(Pending what, const SettingsReadReport& report) {
  manualZeroing_ = report.manualZeroingMode;
  const SettingsReadResult& r = report.result;
  const bool ok = report.opened && r.outcome == SettingsReadOutcome::Ok;
  if (!report.opened) {
    // One box says it all: the port, and why it did not open. A second box after it would only
    // repeat it.
    Show(PortOpenMessage(report.openFailure));
  } else if (r.reportRead) {
    FillFields(r.settings);
  }
  if (ok && what == Pending::PortChange) manualZeroCombo_->setCurrentIndex(r.settings.manualZeroing);
  // An open port whose altimeter did not answer.
  if (!ok && report.opened) Show(ReadFailedMessage());
  if (!ok) {
    if (what == Pending::Opening) ClearFields();
    else ForgetPreviousAltimeter();
  }
  readOk_ = ok;
}

void DeviceSettingsWindow::ClearFields() {
  competitorField_->clear();
  triggerField_->clear();
  calibrationField_->clear();
  samplingCombo_->setCurrentIndex(2);
  manualZeroCombo_->setCurrentIndex(0);
}

void DeviceSettingsWindow::ApplyTexts() {
  auto t = [this](Txt id) { return Text(id, languageIndex_); };
  portLabel_->setText(t(Txt::PortLabel));
  triggerLabel_->setText(t(Txt::TriggerLabel));
  calibrationLabel_->setText(t(Txt::CalibrationLabel));
  setWindowTitle(t(Txt::DeviceSettingsCaption));
  samplingLabel_->setText(t(Txt::SamplingRateLabel));
  manualZeroLabel_->setText(t(Txt::ManualZeroLabel));
  manualZeroCombo_->setItemText(0, t(Txt::ZeroingNo));
  manualZeroCombo_->setItemText(1, t(Txt::ZeroingYes));
  competitorLabel_->setText(t(Txt::CompetitorNumberLabel));
  serialLabel_->setText(t(Txt::SerialNumberLabel));
  sendButton_->setText(t(Txt::SendButton));
  // The mode last read successfully, also after a failed read.
  manualZeroCombo_->setCurrentIndex(manualZeroing_ == 1 ? 1 : 0);
}

void DeviceSettingsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ApplyTexts();
}

void DeviceSettingsWindow::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  // Hidden by the program rather than closed: the port is not kept either. A hide by the
  // system (the main window minimised) is not a close.
  if (!event->spontaneous() && !busy_) ClosePort();
}

void DeviceSettingsWindow::ClosePort() {
  device_.ClosePort();
}

void DeviceSettingsWindow::done(int result) {
  // A close asked for during an exchange waits until the exchange has ended.
  if (busy_) {
    closeRequested_ = true;
    return;
  }
  ClosePort();
  QDialog::done(result);
}

void DeviceSettingsWindow::PortTextEdited() {
  // Leaving the field or pressing Enter without changing the name is no port change.
  if (ChosenPortName() == PortNameText(settings_)) return;
  onPortChosen();
}

void DeviceSettingsWindow::onPortChosen() {
  if (busy_) return;
  const QString name = ChosenPortName();
  SettingsRecord changed = settings_;
  if (name.isEmpty() || !SerialPort::RelativeNameAllowed(name) || !SetPortName(changed, name)) {
    if (!name.isEmpty()) {
      const Failure why = Failure::Of(SerialPort::RelativeNameAllowed(name)
                                          ? FailureKind::PortNameTooLong
                                          : FailureKind::PortNameRefused,
                                      name);
      boxes_.Show(FailureText(why, languageIndex_), Text(Txt::ErrorCaption, languageIndex_),
                  BoxButtons::Ok);
    }
    ShowPortName();
    return;
  }
  // COMn keeps its place in the list of the 25 COM ports whatever else is present.
  static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]?)$"));
  const QRegularExpressionMatch com = comName.match(name);
  changed.PortIndex =
      com.hasMatch() && com.captured(1).toInt() <= 25 ? com.captured(1).toInt() - 1 : -1;
  if (!StartExchange(Pending::PortChange, [this, name] { return device_.StartSettingsRead(name); }))
    return;
  settings_ = changed;
  // The port choice is kept at once.
  if (saveSettings_) saveSettings_();
}

void DeviceSettingsWindow::ForgetPreviousAltimeter() {
  // Empty fields cannot be sent: no altimeter gets the values read from another one, and its
  // serial number is not shown as if it were this port's.
  ClearFields();
  serialField_->clear();
}

void DeviceSettingsWindow::TypingCheck(QLineEdit* field, unsigned limit) {
  const QString text = field->text();
  if (text.isEmpty()) return;
  const std::optional<std::int32_t> value = ParseIntegerText(text);
  if (!value) {
    Show(NotANumberMessage(text));
  } else if (AboveLimit(*value, limit)) {
    Show(TooLargeMessage());
  }
}

void DeviceSettingsWindow::onTriggerEdited() {
  TypingCheck(triggerField_, TriggerLimit);
}
void DeviceSettingsWindow::onCalibrationEdited() {
  TypingCheck(calibrationField_, CalibrationTypingLimit);
}
void DeviceSettingsWindow::onCompetitorEdited() {
  TypingCheck(competitorField_, CompetitorLimit);
}

int DeviceSettingsWindow::CheckEmptyFields() {
  if (FirstEmptyField(triggerField_->text(), calibrationField_->text(), competitorField_->text()) ==
      SettingsField::None)
    return 0;
  Show(FieldEmptyMessage());
  return 1;
}

void DeviceSettingsWindow::onFieldLeft() {
  CheckEmptyFields();
}

bool DeviceSettingsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    // Only the user moving on counts, not a message box or another window taking the focus.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (isVisible() && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                        reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason))
      onFieldLeft();
  }
  return QDialog::eventFilter(watched, event);
}

void DeviceSettingsWindow::onSendClicked() {
  if (busy_) return;
  if (CheckEmptyFields() == 1) return;
  SettingsUpload u;
  u.trigger = triggerField_->text();
  u.calibration = calibrationField_->text();
  u.competitor = competitorField_->text();
  u.samplingIndex = samplingCombo_->currentIndex();
  u.zeroingIndex = manualZeroCombo_->currentIndex();
  StartExchange(Pending::Upload, [this, &u] { return device_.StartSettingsUpload(u); });
}

void DeviceSettingsWindow::onSettingsUploaded(const UploadResult& result) {
  if (pending_ != Pending::Upload) return;
  report_ = [this, result] { TellUpload(result); };
}

void DeviceSettingsWindow::TellUpload(const UploadResult& r) {
  // A value to correct keeps the window open.
  if (r.outcome == UploadOutcome::Accepted) {
    uploadEnd_ = QDialog::Accepted;
  } else if (r.outcome == UploadOutcome::Refused ||
             r.outcome == UploadOutcome::CommunicationError) {
    uploadEnd_ = QDialog::Rejected;
  }
  // A refused settings write ends as Refused: one "Setup failed" box says it.
  Show(MessageFor(r));
}

}  // namespace hypsor
