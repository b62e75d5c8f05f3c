#include "ui/Fustawienia.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>

#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "device/SessionMessages.h"
#include "files/SettingsFile.h"
#include "platform/MessageBox.h"
#include "ui/Texts.h"

namespace hypsor {

// Marks an exchange as running; a close asked for meanwhile happens when it ends.
class ExchangeScope {
 public:
  explicit ExchangeScope(TFormUstawienia* w) : w_(w) { w_->busy_ = true; }
  ~ExchangeScope() {
    w_->busy_ = false;
    if (w_->closeRequested_) {
      w_->closeRequested_ = false;
      QMetaObject::invokeMethod(w_, &QDialog::reject, Qt::QueuedConnection);
    }
  }
  ExchangeScope(const ExchangeScope&) = delete;
  ExchangeScope& operator=(const ExchangeScope&) = delete;

 private:
  TFormUstawienia* w_;
};

namespace {

constexpr int kLeft = 40;
constexpr int kFirstTop = 16;
constexpr int kRowStep = 56;
constexpr int kFieldWidth = 81;

const char* const kSamplingTexts[] = {"50 pom/sek",  "25 pom/sek",  "15 pom/sek",  "10 pom/sek",
                                      "  5 pom/sek", "  1 pom/sek", "  2 sek/pom", "  5 sek/pom"};

QStringList PortList() {
  QStringList ports;
  for (int n = 1; n <= 25; ++n) ports << QStringLiteral("COM%1").arg(n);
#ifdef Q_OS_LINUX
  // The serial devices present (ttyUSB0, ttyACM0, ...), as far as the settings can hold them.
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    const QString name = info.portName();
    if (name.size() <= PortNameMaxLength && !ports.contains(name)) ports << name;
  }
#endif
  return ports;
}

}  // namespace

TFormUstawienia::TFormUstawienia(DeviceChannel& channel, SettingsRecord& settings,
                                 const int& languageIndex, MessageBoxService& boxes,
                                 std::function<bool()> saveSettings, QWidget* parent)
    : QDialog(parent),
      channel_(channel),
      settings_(settings),
      languageIndex_(languageIndex),
      boxes_(boxes),
      saveSettings_(std::move(saveSettings)) {
  setModal(true);
  setFixedSize(179, 483);

  int row = 0;
  auto label = [&] {
    auto* l = new QLabel(this);
    l->setGeometry(kLeft, kFirstTop + row * kRowStep, 179 - kLeft, 16);
    return l;
  };
  auto place = [&](QWidget* w) {
    w->setGeometry(kLeft, kFirstTop + row * kRowStep + 16, kFieldWidth, 21);
    ++row;
  };

  L_Numer_Portu = label();
  CB_Numer_Portu = new QComboBox(this);
  CB_Numer_Portu->setEditable(true);
  // Typed names are taken when finished (Enter or leaving the field), not at every keystroke.
  CB_Numer_Portu->setInsertPolicy(QComboBox::NoInsert);
  CB_Numer_Portu->addItems(PortList());
  place(CB_Numer_Portu);

  L_PoziomWyzwalania = label();
  E_Poziom = new QLineEdit(QStringLiteral("0"), this);
  place(E_Poziom);

  L_Kalibracja_Temp = label();
  E_Kal_Temp = new QLineEdit(QStringLiteral("0"), this);
  place(E_Kal_Temp);

  L_Ust_Probk = label();
  ComboBox_ImPomiarow = new QComboBox(this);
  for (const char* t : kSamplingTexts) ComboBox_ImPomiarow->addItem(QString::fromLatin1(t));
  place(ComboBox_ImPomiarow);

  LZerReczne = label();
  ComboB_Zer = new QComboBox(this);
  ComboB_Zer->addItems({QString(), QString()});
  place(ComboB_Zer);

  L_Numer_Zawodnika = label();
  E_NrZaw = new QLineEdit(this);
  place(E_NrZaw);

  L_NrSer = label();
  E_NrSer = new QLineEdit(this);
  E_NrSer->setReadOnly(true);
  place(E_NrSer);

  B_wyslij = new QPushButton(this);
  B_wyslij->setGeometry(kLeft, 408, 89, 33);
  B_wyslij->setAutoDefault(false);

  ShowPortName();

  connect(CB_Numer_Portu, &QComboBox::activated, this, [this] { CB_Numer_PortuChange(); });
  connect(CB_Numer_Portu->lineEdit(), &QLineEdit::editingFinished, this,
          [this] { PortTextEdited(); });
  connect(E_Poziom, &QLineEdit::textEdited, this, [this] { E_Poziom_Ent(); });
  connect(E_Kal_Temp, &QLineEdit::textEdited, this, [this] { E_Kal_zaduzo(); });
  connect(E_NrZaw, &QLineEdit::textEdited, this, [this] { E_nrZaw_zaduzo(); });
  for (QLineEdit* e : {E_Poziom, E_Kal_Temp, E_NrZaw}) e->installEventFilter(this);
  connect(B_wyslij, &QPushButton::clicked, this, [this] { BWyslijPClick(); });

  FormActivate();
}

TFormUstawienia::~TFormUstawienia() = default;

void TFormUstawienia::Show(const SessionMessage& message) {
  if (!message.show) return;
  boxes_.Show(message.Text(languageIndex_), message.Caption(languageIndex_), BoxButtons::Ok);
}

void TFormUstawienia::ShowPortName() {
  const QString name = PortNameText(settings_);
  const QSignalBlocker block(CB_Numer_Portu);
  const int index = settings_.PortIndex;
  if (index >= 0 && index < CB_Numer_Portu->count() && CB_Numer_Portu->itemText(index) == name) {
    CB_Numer_Portu->setCurrentIndex(index);
  } else {
    const int found = CB_Numer_Portu->findText(name, Qt::MatchExactly);
    CB_Numer_Portu->setCurrentIndex(found);
    if (found < 0) CB_Numer_Portu->setEditText(name);
  }
}

void TFormUstawienia::FillFields(const DeviceSettings& s) {
  E_Kal_Temp->setText(QString::number(s.calibration));
  E_NrZaw->setText(QString::number(s.competitor));
  E_NrSer->setText(QString::number(s.serial));
  E_Poziom->setText(QString::number(s.trigger));
  // A code beyond the list leaves nothing selected.
  ComboBox_ImPomiarow->setCurrentIndex(s.samplingCode <
                                               static_cast<unsigned>(ComboBox_ImPomiarow->count())
                                           ? static_cast<int>(s.samplingCode)
                                           : -1);
}

bool TFormUstawienia::ReadBeforeShow() {
  if (busy_) return false;
  // The port may have been chosen elsewhere since the window was built (start-up options).
  ShowPortName();
  ExchangeScope scope(this);
  bool ok = false;
  if (!channel_.OpenPort(PortNameText(settings_))) {
    Show(PortOpenMessage(channel_.LastOpenFailure()));
  } else {
    const SettingsReadResult r = ReadDeviceSettings(channel_);
    if (r.reportRead) FillFields(r.settings);
    ok = r.outcome == SettingsReadOutcome::Ok;
  }
  if (!ok) {
    Show(MessageFor(SettingsReadResult{SettingsReadOutcome::CommunicationError}));
    E_NrZaw->clear();
    E_Poziom->clear();
    E_Kal_Temp->clear();
    ComboBox_ImPomiarow->setCurrentIndex(2);
    ComboB_Zer->setCurrentIndex(0);
  }
  return ok;
}

void TFormUstawienia::FormActivate() {
  auto t = [this](Txt id) { return Text(id, languageIndex_); };
  L_Numer_Portu->setText(t(Txt::L_Numer_Portu));
  L_PoziomWyzwalania->setText(t(Txt::L_PoziomWyzwalania));
  L_Kalibracja_Temp->setText(t(Txt::L_Kalibracja_Temp));
  setWindowTitle(t(Txt::FormUstawieniaCaption));
  L_Ust_Probk->setText(t(Txt::L_Ust_Probk));
  LZerReczne->setText(t(Txt::LZerReczne));
  ComboB_Zer->setItemText(0, t(Txt::ZeroingNo));
  ComboB_Zer->setItemText(1, t(Txt::ZeroingYes));
  L_Numer_Zawodnika->setText(t(Txt::L_Numer_Zawodnika));
  L_NrSer->setText(t(Txt::L_NrSer));
  B_wyslij->setText(t(Txt::B_wyslij));
  // The mode last read successfully, also after a failed read.
  ComboB_Zer->setCurrentIndex(channel_.ManualZeroingMode == 1 ? 1 : 0);
}

void TFormUstawienia::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormActivate();
}

void TFormUstawienia::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  // Hidden by the program rather than closed: the port is not kept either. A hide by the
  // system (the main window minimised) is not a close.
  if (!event->spontaneous() && !busy_) FormClose();
}

void TFormUstawienia::FormClose() {
  channel_.ClosePort();
}

void TFormUstawienia::done(int result) {
  // A close asked for during an exchange waits until the exchange has ended.
  if (busy_) {
    closeRequested_ = true;
    return;
  }
  FormClose();
  QDialog::done(result);
}

void TFormUstawienia::PortTextEdited() {
  // Leaving the field or pressing Enter without changing the name is no port change.
  if (CB_Numer_Portu->currentText() == PortNameText(settings_)) return;
  CB_Numer_PortuChange();
}

void TFormUstawienia::CB_Numer_PortuChange() {
  if (busy_) return;
  const QString name = CB_Numer_Portu->currentText().trimmed();
  SettingsRecord changed = settings_;
  if (name.isEmpty() || !SetPortName(changed, name)) {
    if (!name.isEmpty()) {
      boxes_.Show(Text(Txt::PortNameTooLong, languageIndex_),
                  Text(Txt::ErrorCaption, languageIndex_), BoxButtons::Ok);
    }
    ShowPortName();
    return;
  }
  ExchangeScope scope(this);
  changed.PortIndex = CB_Numer_Portu->findText(name, Qt::MatchExactly);
  channel_.ClosePort();
  settings_ = changed;
  // The port choice is kept at once.
  if (saveSettings_) saveSettings_();

  if (!channel_.OpenPort(name)) {
    // Reported twice, as the window always has: by the open and by the port change.
    const SessionMessage m = PortOpenMessage(channel_.LastOpenFailure());
    Show(m);
    Show(m);
    return;
  }
  const SettingsReadResult r = ReadDeviceSettings(channel_);
  if (r.reportRead) FillFields(r.settings);
  if (r.outcome == SettingsReadOutcome::Ok) {
    ComboB_Zer->setCurrentIndex(r.settings.manualZeroing);
  } else {
    Show(MessageFor(SettingsReadResult{SettingsReadOutcome::CommunicationError}));
  }
}

void TFormUstawienia::TypingCheck(QLineEdit* field, unsigned limit) {
  const QString text = field->text();
  if (text.isEmpty()) return;
  const std::optional<std::int32_t> value = ParseIntegerText(text);
  if (!value) {
    Show(NotANumberMessage(text));
  } else if (AboveLimit(*value, limit)) {
    Show(TooLargeMessage());
  }
}

void TFormUstawienia::E_Poziom_Ent() {
  TypingCheck(E_Poziom, TriggerLimit);
}
void TFormUstawienia::E_Kal_zaduzo() {
  TypingCheck(E_Kal_Temp, CalibrationTypingLimit);
}
void TFormUstawienia::E_nrZaw_zaduzo() {
  TypingCheck(E_NrZaw, CompetitorLimit);
}

int TFormUstawienia::CheckEmptyFields() {
  if (FirstEmptyField(E_Poziom->text(), E_Kal_Temp->text(), E_NrZaw->text()) == SettingsField::None)
    return 0;
  Show(FieldEmptyMessage());
  return 1;
}

void TFormUstawienia::E_Poziom_Exit() {
  CheckEmptyFields();
}

bool TFormUstawienia::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    // Only the user moving on counts, not a message box or another window taking the focus.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (isVisible() && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                        reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason))
      E_Poziom_Exit();
  }
  return QDialog::eventFilter(watched, event);
}

void TFormUstawienia::BWyslijPClick() {
  if (busy_) return;
  if (CheckEmptyFields() == 1) return;
  UploadOutcome outcome;
  {
    ExchangeScope scope(this);
    SettingsUpload u;
    u.trigger = E_Poziom->text();
    u.calibration = E_Kal_Temp->text();
    u.competitor = E_NrZaw->text();
    u.samplingIndex = ComboBox_ImPomiarow->currentIndex();
    u.zeroingIndex = ComboB_Zer->currentIndex();
    const UploadResult r = UploadDeviceSettings(channel_, u);
    if (r.settingsWriteRefused) Show(SettingsWriteRefusedMessage());
    Show(MessageFor(r));
    outcome = r.outcome;
  }
  // A completed upload closes the window, accepted or not; a value to correct keeps it.
  if (outcome == UploadOutcome::Accepted) {
    accept();
  } else if (outcome == UploadOutcome::Refused || outcome == UploadOutcome::CommunicationError) {
    reject();
  }
}

}  // namespace hypsor
