// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <memory>

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include "session/ContestState.h"
#include "session/FlightWorkspace.h"
#include "session/Preferences.h"
#include "text/SessionMessages.h"
#include "text/Texts.h"
#include "ui/WindowHost.h"

class QAction;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

namespace hypsor {

class CommunicationLog;
class ContestControls;
class DeviceChannel;
class DeviceController;
struct DownloadReport;
class DeviceSettingsWindow;
class FlightViews;
class FlightChart;
class OtherWindows;
class LogbookControls;
class SimulationControls;

// The main window: the chart, the action buttons, the panels of the main and the comparison
// flight, and the menu. The flights and settings live in its FlightWorkspace; the window reads
// its widgets, calls the workspace and draws what comes back. The views, the contest controls
// and the simulation entry it adds reach it as their WindowHost. Tests find the controls by
// object name (the member name without the trailing "_").
class MainWindow : public QMainWindow, public WindowHost {
  Q_OBJECT
 public:
  MainWindow(const PlatformServices& platform, const SettingsPaths& settings,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // The windows this one opens; the start-up hands them over.
  void SetOtherWindows(OtherWindows& windows) { others_ = &windows; }
  FlightWorkspace& Workspace() override { return workspace_; }
  // The link to the altimeter; the device settings window shares its channel.
  DeviceController& Device() { return *device_; }
  DeviceChannel& Channel();
  FlightChart& Chart() override { return *chart_; }
  // Writes the settings file; reports a failure in a box.
  bool SaveSettingsNow();
  bool ExchangeRunning() const override { return exchangeRunning_; }
  // Opens a flight file as the main flight or the comparison, as the Load and Compare buttons
  // do, and draws it; an unreadable file is reported in a box (command line, dropped files).
  bool OpenFlightFile(const QString& path, FlightSlot slot) override;
  // The command line's flight and comparison (either may be empty), drawn once both are open.
  void OpenFlightFiles(const QString& mainPath, const QString& comparisonPath);
  // File → Open simulation… (command line).
  SimulationControls& Simulation() { return *simulation_; }
  // File → Logbook…
  LogbookControls& Logbooks() { return *logbook_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The rest of WindowHost, for the parts added to the window only.
  QMainWindow& Frame() override { return *this; }
  const PlatformServices& Platform() const override { return platform_; }
  WindowCommands Commands() const override;
  void Redraw() override;
  void ShowError(const QString& text) override;
  void ShowFailure(const Failure& failure) override;

  QString T(Txt id) const { return workspace_.T(id); }
  void BuildControls();
  void BuildPanels();
  void BuildMenu();
  void SetTabOrder();
  void ApplyLanguage();
  void ShowWindowTitle();
  void LayOut();
  void DrawPanel(FlightSlot slot);
  void ShowPanelTitle(FlightSlot slot);  // the file shown, or the panel's own caption
  void ShowSessionMessage(const SessionMessage& message);
  bool TemperatureKey(QLineEdit* field, QKeyEvent* event);
  bool CloseAndSave();  // false when the settings could not be written (window stays)

  // Handlers.
  void onPolishChosen();
  void onEnglishChosen();
  void onLanguageChanged(int languageIndex);
  void onInfo();
  void onHelp();
  void onSave();
  void onLoad();
  void onCompare();
  void onComparisonToggled();
  void onAccelerationToggled();
  void onLegendClicked();
  void onCurveClicked(Curve curve);
  void onTemperatureEntered(FlightSlot slot);
  void onZero();
  void onRead();
  void onFilterMain();
  void onFilterComparison();
  void onDeviceSettings();
  void onCancelExchange();
  // The device controller's reports (MainWindowDevice.cpp).
  void ConnectDevice();
  void onExchangeStarted();
  void onFlightRequested();
  void onDownloadProgress(int bytes, int pollsLeft);
  void onZeroingFinished(const ZeroingResult& result);
  void onDownloadApplied(const DownloadReport& report);
  void onExchangeEnded();
  void onContestWaiting(bool waiting);
  // While an exchange runs, everything that could start another or change the flights is
  // disabled; what was enabled comes back after it.
  void SetExchangeRunning(bool running, bool cancellable = true);
  void onDeviceSettingsRead();
  // The device settings window, made when first asked for.
  DeviceSettingsWindow* DeviceSettings();
  void onFilterSettings();
  // Opens a file into the workspace; a failure is shown in a box. The caller redraws.
  bool OpenInWorkspace(const QString& path, FlightSlot slot);
  // Setup menu: "Save communication log" (MainWindowDevice.cpp).
  void AddCommunicationLogAction();
  void onSaveCommunicationLog();
  // The window's exchanges with the altimeter, recorded for a support request.
  CommunicationLog& ExchangeLog();
  void ShowDownloadWarning();

  PlatformServices platform_;
  FlightWorkspace workspace_;
  ViewPreferencesStore viewPreferences_;
  ContestState contestState_;
  ContestControls* contest_ = nullptr;  // keeps downloads while a contest session is on
  SimulationControls* simulation_ = nullptr;
  LogbookControls* logbook_ = nullptr;
  std::unique_ptr<DeviceController> device_;
  OtherWindows* others_ = nullptr;
  bool exchangeRunning_ = false;  // an exchange, or the contest's wait: the window takes no command
  bool readingDeviceSettings_ = false;  // the device settings window's opening read
  bool contestWaiting_ = false;         // the contest waits for its folder's lock
  bool closeRequested_ = false;   // a close that came during an exchange, done after it
  std::function<void()> exchangeReport_;  // the boxes of the exchange's result, once it is idle
  QList<QPointer<QObject>> disabledForExchange_;
  FlightViews* views_ = nullptr;

  // Controls.
  QWidget* client_;
  QPushButton* readButton_;
  QPushButton* zeroButton_;
  QPushButton* mainFilterButton_;
  QGroupBox* mainPanel_;
  QGroupBox* filePanel_;
  QPushButton* saveButton_;
  QPushButton* loadButton_;
  QPushButton* compareButton_;
  QPushButton* comparisonFilterButton_;
  QGroupBox* comparisonPanel_;
  FlightChart* chart_;
  QLabel* metresLabel_;
  QLabel* secondsLabel_;
  QLabel* accelerationLabel_;
  QLineEdit* downloadBanner_;
  QProgressBar* downloadProgress_;     // below the download banner: bytes received, polls left
  QLabel* downloadWarning_ = nullptr;  // below the banner after a flight without end marker
  SessionMessage incompleteWarning_;   // what it says (nothing shown when empty)
  QLineEdit* waitBanner_;
  QPushButton* cancelExchangeButton_;  // below the progress bar while an exchange runs
  // One panel per flight, the same fields in each.
  struct PanelControls {
    QLabel *maximumLabel, *maximumUnit, *minimumLabel, *minimumUnit;
    QLabel *competitorLabel, *serialLabel, *temperatureLabel, *temperatureUnit, *samplingLabel;
    QLineEdit *maximumField, *minimumField, *competitorField, *serialField, *temperatureField,
        *samplingField;
  };
  PanelControls main_{};
  PanelControls comparison_{};
  // Menu.
  QMenu* setupMenu_;
  QAction* deviceSettingsAction_;
  QAction* filterSettingsAction_;
  QMenu* chartsMenu_;
  QAction* accelerationAction_;
  QAction* comparisonAction_;
  QMenu* languageMenu_;
  QAction* polishAction_;
  QAction* englishAction_;
  QAction* infoAction_;
  QAction* helpAction_;
  // Window commands with keys (Ctrl+O, Ctrl+S, Ctrl+Q); the File menu lists them.
  QAction* openAction_;
  QAction* saveAction_;
  QAction* quitAction_;
};

}  // namespace hypsor
