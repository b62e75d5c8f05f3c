// SPDX-License-Identifier: GPL-3.0-or-later
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
class DeviceSettingsWindow : public QDialog {
  Q_OBJECT
 public:
  // saveSettings writes the settings record to its file (called when the port changes).
  DeviceSettingsWindow(DeviceChannel& channel, SettingsRecord& settings, int languageIndex,
                       MessageBoxService& boxes, std::function<bool()> saveSettings,
                       QWidget* parent = nullptr);
  ~DeviceSettingsWindow() override;
  // The program's language changed: the captions follow at once.
  void SetLanguage(int languageIndex);

  // Before the window is shown: opens the port and reads the device. On failure reports it,
  // blanks the editable fields and selects the defaults. True when the device answered.
  bool ReadBeforeShow();

  bool ExchangeRunning() const { return busy_; }
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class ExchangeScope;
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

  DeviceChannel& channel_;
  SettingsRecord& settings_;
  int languageIndex_;
  MessageBoxService& boxes_;
  std::function<bool()> saveSettings_;
  bool busy_ = false;
  bool closeRequested_ = false;

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
