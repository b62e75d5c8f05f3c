// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include "files/FlightFile.h"
#include "device/DeviceChannel.h"
#include "session/DeviceController.h"
#include "ui/DeviceSettingsWindow.h"
#include "platform/DocumentOpener.h"
#include "platform/ExecutablePath.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/UserGuide.h"
#include "platform/widgets/ToolkitLanguage.h"
#include "text/FailureText.h"
#include "ui/FlightChart.h"
#include "ui/InfoWindow.h"
#include "ui/MainLayout.h"
#include "ui/MainWindowContest.h"
#include "ui/RulebookControls.h"
#include "ui/LogbookControls.h"
#include "ui/MainWindowSimulation.h"
#include "ui/MainWindowViews.h"
#include "ui/OtherWindows.h"
#include "ui/WindowRoom.h"

namespace hypsor {

MainWindow::MainWindow(const PlatformServices& platform, const SettingsPaths& settings,
                       QWidget* parent)
    : QMainWindow(parent),
      platform_(platform),
      device_(platform.line && platform.lineClock
                  ? std::make_unique<DeviceController>(*platform.line, *platform.lineClock)
                  : std::make_unique<DeviceController>()) {
  // 1. The window and its controls as designed.
  BuildControls();
  BuildMenu();
  device_->ApplyDownloadsTo(workspace_, contestState_);
  ConnectDevice();
  // The window retells itself first, then the windows and views that connect after it.
  connect(&workspace_, &FlightWorkspace::languageChanged, this, &MainWindow::onLanguageChanged);
  // 2. Settings.
  Failure error;
  if (!workspace_.LoadSettingsFile(settings, &error)) ShowFailure(error);
  // 3. The acceleration tick.
  accelerationAction_->setChecked(workspace_.Settings().ShowAcceleration != 0);
  // 4-5. The language and its tick.
  polishAction_->setChecked(workspace_.LanguageIndex() == 0);
  englishAction_->setChecked(workspace_.LanguageIndex() != 0);
  // 6. Texts.
  ApplyLanguage();
  // 7. An empty chart.
  chart_->SetCurve(Curve::Altitude, {});
  // The views we add to the designed window.
  workspace_.SetComparisonAligned(viewPreferences_.Get().alignComparison);
  views_ = new FlightViews(*this, viewPreferences_);
  new WindowRoom(*this);
  contest_ = new ContestControls(*this, contestState_, views_->ViewMenu());
  new RulebookControls(*this, contestState_, contest_->SessionLine());
  simulation_ = new SimulationControls(*this, contest_->FileMenu());  // under its Open
  logbook_ = new LogbookControls(*this, contest_->FileMenu());
}

MainWindow::~MainWindow() = default;

DeviceChannel& MainWindow::Channel() {
  return device_->Channel();
}

WindowCommands MainWindow::Commands() const {
  return {openAction_, saveAction_, quitAction_, infoAction_};
}

// ---------------------------------------------------------------- language

void MainWindow::ApplyLanguage() {
  zeroButton_->setText(T(Txt::ZeroButton));
  readButton_->setText(T(Txt::ReadButton));
  cancelExchangeButton_->setText(T(Txt::CancelExchange));
  // A button's new text replaces its shortcut with the text's mnemonic: Esc goes back on.
  cancelExchangeButton_->setShortcut(Qt::Key_Escape);
  cancelExchangeButton_->setToolTip(T(Txt::CancelExchangeTip));
  filePanel_->setTitle(T(Txt::FileGroup));
  saveButton_->setText(T(Txt::SaveButton));
  loadButton_->setText(T(Txt::LoadButton));
  for (PanelControls* c : {&main_, &comparison_}) {
    c->temperatureLabel->setText(T(Txt::TemperatureLabel));
    c->samplingLabel->setText(T(Txt::SamplingLabel));
    c->competitorLabel->setText(T(Txt::CompetitorLabel));
    c->serialLabel->setText(T(Txt::SerialLabel));
    for (QLabel* l : {c->temperatureLabel, c->samplingLabel, c->competitorLabel, c->serialLabel})
      l->adjustSize();
  }
  compareButton_->setText(T(Txt::CompareButton));
  ShowPanelTitle(FlightSlot::Main);
  ShowPanelTitle(FlightSlot::Comparison);
  ShowWindowTitle();
  setupMenu_->setTitle(T(Txt::SetupMenu));
  openAction_->setText(T(Txt::OpenFlightAction));
  saveAction_->setText(T(Txt::SaveFlightAction));
  quitAction_->setText(T(Txt::QuitAction));
  deviceSettingsAction_->setText(T(Txt::DeviceSettingsAction));
  chartsMenu_->setTitle(T(Txt::ChartsMenu));
  accelerationAction_->setText(T(Txt::AccelerationAction));
  comparisonAction_->setText(T(Txt::ComparisonAction));
  chart_->SetCurveTitle(Curve::Altitude, T(Txt::AltitudeCurveTitle));
  chart_->SetCurveTitle(Curve::Acceleration, T(Txt::AccelerationCurveTitle));
  chart_->SetCurveTitle(Curve::Comparison, T(Txt::ComparisonCurveTitle));
  chart_->SetCurveTitle(Curve::Simulation, T(Txt::SimulationCurveTitle));
  for (auto [w, tip] : std::initializer_list<std::pair<QWidget*, Txt>>{
           {readButton_, Txt::ReadTip},
           {zeroButton_, Txt::ZeroTip},
           {mainFilterButton_, Txt::MainFilterTip},
           {saveButton_, Txt::SaveTip},
           {loadButton_, Txt::LoadTip},
           {compareButton_, Txt::CompareTip},
           {comparisonFilterButton_, Txt::ComparisonFilterTip},
           {main_.temperatureField, Txt::TemperatureTip},
           {comparison_.temperatureField, Txt::TemperatureTip}})
    w->setToolTip(T(tip));
  // The toolkit's own dialogs and buttons in the same language.
  UseToolkitLanguage(workspace_.LanguageIndex());
}

void MainWindow::onPolishChosen() {
  workspace_.SetLanguage(0);
  SaveSettingsNow();
}

void MainWindow::onEnglishChosen() {
  workspace_.SetLanguage(1);
  SaveSettingsNow();
}

void MainWindow::onLanguageChanged(int languageIndex) {
  polishAction_->setChecked(languageIndex == 0);
  englishAction_->setChecked(languageIndex != 0);
  ApplyLanguage();
}

void MainWindow::ShowWindowTitle() {
  // The main flight's file first, as desktop programs name their document.
  const QString file = FlightFileCaption(workspace_.ShownFlightPath(FlightSlot::Main));
  setWindowTitle(file.isEmpty() ? T(Txt::WindowCaption)
                                : file + QStringLiteral(" \u2014 ") + T(Txt::WindowCaption));
}

bool MainWindow::SaveSettingsNow() {
  Failure error;
  if (workspace_.SaveSettingsFile(&error)) return true;
  ShowFailure(error);
  return false;
}

void MainWindow::ShowError(const QString& text) {
  platform_.boxes.Show(text, T(Txt::ErrorCaption), BoxButtons::Ok);
}

void MainWindow::ShowFailure(const Failure& failure) {
  ShowError(FailureText(failure, workspace_.LanguageIndex()));
}

// ---------------------------------------------------------------- layout and shutdown

void MainWindow::LayOut() {
  const auto l = ComputeMainLayout(client_->width(), client_->height());
  if (!l) return;
  chart_->resize(l->chartWidth, l->chartHeight);
  metresLabel_->move(metresLabel_->x(), l->metresLabelTop);
  secondsLabel_->move(l->secondsLabelLeft, l->secondsLabelTop);
  accelerationLabel_->move(l->accelerationLabelLeft, accelerationLabel_->y());
  readButton_->move(l->readButtonLeft, readButton_->y());
  zeroButton_->move(l->zeroButtonLeft, zeroButton_->y());
  mainFilterButton_->move(l->mainFilterButtonLeft, mainFilterButton_->y());
  mainPanel_->move(l->mainPanelLeft, mainPanel_->y());
  filePanel_->move(l->filePanelLeft, filePanel_->y());
  compareButton_->move(l->compareButtonLeft, compareButton_->y());
  comparisonFilterButton_->move(l->comparisonFilterButtonLeft, comparisonFilterButton_->y());
  comparisonPanel_->move(l->comparisonPanelLeft, comparisonPanel_->y());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) LayOut();
  if ((watched == main_.temperatureField || watched == comparison_.temperatureField) &&
      event->type() == QEvent::KeyPress)
    return TemperatureKey(static_cast<QLineEdit*>(watched), static_cast<QKeyEvent*>(event));
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // An exchange holds the port; the close waits until it has ended.
  if (exchangeRunning_) {
    closeRequested_ = true;
    event->ignore();
    return;
  }
  if (!CloseAndSave()) {
    event->ignore();
    return;
  }
  event->accept();
}

bool MainWindow::CloseAndSave() {
  device_->ClosePort();
  Failure error;
  if (workspace_.SaveSettingsFile(&error)) return true;
  // Never a window that cannot be closed: the user may leave without saving.
  const QString text = T(Txt::CloseWithoutSaving) + QStringLiteral("\n\n") +
                       FailureText(error, workspace_.LanguageIndex());
  return platform_.boxes.Show(text, T(Txt::ErrorCaption), BoxButtons::YesNo) == BoxResult::Ok;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    onHelp();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------- info and help

void MainWindow::onInfo() {
  if (others_) others_->Info().exec();
}

void MainWindow::onHelp() {
  // The guide shipped with the program, in the language in use; Help and F1 open the same.
  const int language = workspace_.LanguageIndex();
  const QString guide = FindUserGuide(language);
  if (guide.isEmpty())
    ShowFailure(Failure::Of(FailureKind::GuideMissing, UserGuideFileName(language)));
  else if (!platform_.documents.Open(guide))
    ShowFailure(Failure::Of(FailureKind::GuideNotOpened, QDir::toNativeSeparators(guide)));
}

}  // namespace hypsor
