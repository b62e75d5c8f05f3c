#pragma once
#include <functional>

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hypsor {

class DeviceChannel;
class MessageBoxService;
struct SessionMessage;
struct SettingsRecord;
struct DeviceSettings;

// The device settings window: the serial port and the altimeter's own settings. The port is open
// while the window is shown; the opening read, a port change and the upload talk to the device.
// Exchanges keep the window painted; input waits until they end and a second one never starts
// while one runs.
class TFormUstawienia : public QDialog {
  Q_OBJECT
 public:
  // saveSettings writes the settings record to its file (called when the port changes).
  TFormUstawienia(DeviceChannel& channel, SettingsRecord& settings, const int& languageIndex,
                  MessageBoxService& boxes, std::function<bool()> saveSettings,
                  QWidget* parent = nullptr);
  ~TFormUstawienia() override;

  // Before the window is shown: opens the port and reads the device. On failure reports it,
  // blanks the editable fields and selects the defaults. True when the device answered.
  bool ReadBeforeShow();

  // Handlers, named as in the window's design.
  void FormActivate();
  void FormClose();
  void CB_Numer_PortuChange();
  void E_Poziom_Ent();
  void E_Kal_zaduzo();
  void E_nrZaw_zaduzo();
  void E_Poziom_Exit();
  void BWyslijPClick();
  // 1 after reporting an empty trigger, calibration or competitor field (in that order), else 0.
  int CheckEmptyFields();

  bool ExchangeRunning() const { return busy_; }

  // Controls, top to bottom.
  QLabel* L_Numer_Portu;
  QComboBox* CB_Numer_Portu;
  QLabel* L_PoziomWyzwalania;
  QLineEdit* E_Poziom;
  QLabel* L_Kalibracja_Temp;
  QLineEdit* E_Kal_Temp;
  QLabel* L_Ust_Probk;
  QComboBox* ComboBox_ImPomiarow;
  QLabel* LZerReczne;
  QComboBox* ComboB_Zer;
  QLabel* L_Numer_Zawodnika;
  QLineEdit* E_NrZaw;
  QLabel* L_NrSer;
  QLineEdit* E_NrSer;
  QPushButton* B_wyslij;

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class ExchangeScope;
  void Show(const SessionMessage& message);
  void FillFields(const DeviceSettings& s);
  void TypingCheck(QLineEdit* field, unsigned limit);
  void PortTextEdited();
  void ShowPortName();

  DeviceChannel& channel_;
  SettingsRecord& settings_;
  const int& languageIndex_;
  MessageBoxService& boxes_;
  std::function<bool()> saveSettings_;
  bool busy_ = false;
  bool closeRequested_ = false;
};

}  // namespace hypsor
