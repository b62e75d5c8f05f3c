// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <optional>

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hypsor {

class DeviceController;
class MessageBoxService;
struct SessionMessage;
struct SettingsReadReport;
struct UploadResult;
struct SettingsRecord;
struct DeviceSettings;

// The device settings window: the serial port and the altimeter's own settings. The port is open
// while the window is shown; the opening read, a port change and the upload talk to the device
// through the controller, off this thread. A second exchange never starts while one runs, and a
// close asked for meanwhile waits for its end.
class DeviceSettingsWindow : public QDialog {
  Q_OBJECT
 public:
  // saveSettings writes the settings record to its file (called when the port changes).
  DeviceSettingsWindow(DeviceController& device, SettingsRecord& settings, int languageIndex,
                       MessageBoxService& boxes, std::function<bool()> saveSettings,
                       QWidget* parent = nullptr);
  ~DeviceSettingsWindow() override;
  // The program's language changed: the captions follow at once.
  void SetLanguage(int languageIndex);

  // Before the window is shown: opens the port and reads the device; readFinished says how it
  // went. On failure the window reports it, blanks the editable fields and selects the
  // defaults. False when an exchange runs already.
  bool StartReading();

  bool ExchangeRunning() const { return busy_; }
  void done(int result) override;

 signals:
  // The read StartReading began has ended; ok when the device answered.
  void readFinished(bool ok);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The exchange this window waits for.
  enum class Pending { None, Opening, PortChange, Upload };
  bool StartExchange(Pending what, const std::function<bool()>& start);
  void onExchangeEnded();
  // The results are kept and told (fields filled, boxes shown) once the controller is idle.
  void onSettingsRead(const SettingsReadReport& report);
  void onSettingsUploaded(const UploadResult& result);
  void TellRead(Pending what, const SettingsReadReport& report);
  void TellUpload(const UploadResult& result);
  void ApplyTexts();
  void ClosePort();
  void onPortChosen();
  void onTriggerEdited();
  void onCalibrationEdited();
  void onCompetitorEdited();
  void onFieldLeft();
  void onSendClicked();
  // 1 after reporting an empty trigger, calibration or competitor field (in that order), else 0.
  int CheckEmptyFields();
  void Show(const SessionMessage& message);
  void FillFields(const DeviceSettings& s);
  void ClearFields();
  void ForgetPreviousAltimeter();
  void TypingCheck(QLineEdit* field, unsigned limit);
  void PortTextEdited();
  // Fills the port list (the serial devices present first, when withDevices), then shows the
  // stored port.
  void FillPortList(bool withDevices = true);
  void ShowPortName();
  // The name of the port in the list's edit part: an entry's name, or the text typed.
  QString ChosenPortName() const;

  DeviceController& device_;
  SettingsRecord& settings_;
  int languageIndex_;
  MessageBoxService& boxes_;
  std::function<bool()> saveSettings_;
  bool busy_ = false;
  Pending pending_ = Pending::None;
  bool closeRequested_ = false;
  int manualZeroing_ = 0;  // the mode last read successfully
  bool readOk_ = false;   // the last read's outcome, reported when the exchange has ended
  std::optional<int> uploadEnd_;  // how an upload that ended closes the window
  std::function<void()> report_;  // tells the exchange's result once the controller is idle

  // Controls, top to bottom; tests find them by object name (the member name without "_").
  QLabel* portLabel_;
  QComboBox* portCombo_;
  QLabel* triggerLabel_;
  QLineEdit* triggerField_;
  QLabel* calibrationLabel_;
  QLineEdit* calibrationField_;
  QLabel* samplingLabel_;
  QComboBox* samplingCombo_;
  QLabel* manualZeroLabel_;
  QComboBox* manualZeroCombo_;
  QLabel* competitorLabel_;
  QLineEdit* competitorField_;
  QLabel* serialLabel_;
  QLineEdit* serialField_;
  QPushButton* sendButton_;
};

}  // namespace hypsor
