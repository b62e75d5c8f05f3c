#pragma once
#include <cstdint>
#include <memory>

#include <QMainWindow>
#include <QString>

#include "files/SettingsFile.h"
#include "flight/Decode.h"
#include "flight/FlightData.h"
#include "ui/Texts.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QMenu;
class QProgressBar;
class QPushButton;

namespace hypsor {

class DocumentOpener;
class FileDialogService;
class FlightChart;
class MessageBoxService;
class TFoInfo;
class TFormUstawienia;
class TF_Filtr;
class DeviceChannel;
struct FilterParams;
struct FilterTables;
struct SessionMessage;

// The services the windows reach the system through; tests pass doubles.
struct PlatformServices {
  MessageBoxService& boxes;
  FileDialogService& dialogs;
  DocumentOpener& documents;
};

// The main window: the chart, the action buttons, the panels of the main and the comparison
// flight, and the menu. It owns the program's state: settings, language and both flights.
class THypsor : public QMainWindow {
  Q_OBJECT
 public:
  THypsor(const PlatformServices& platform, const QString& settingsFilePath,
          QWidget* parent = nullptr);
  ~THypsor() override;

  // The windows created after this one; the start-up hands them over.
  void SetOtherWindows(TFormUstawienia* formUstawienia, TFoInfo* foInfo, TF_Filtr* fFiltr);
  // The serial channel; the device settings window shares it.
  DeviceChannel& Channel() { return *channel_; }

  // --- Controls, named as in the window's design.
  QWidget* Client;
  QPushButton* B_Odczyt_Hypsoru;
  QPushButton* BZerowanie;
  QPushButton* B_Filtr_Hypsor;
  QGroupBox* GroupB_Hypsor;
  QGroupBox* GBDysk_ZapisOdczyt;
  QPushButton* BZapisz;
  QPushButton* BOdczyt;
  QPushButton* B_Porownanie;
  QPushButton* B_Filtr_por;
  QGroupBox* GroupB_Por;
  FlightChart* Chart1;
  QLabel* Label6;
  QLabel* Label2;
  QLabel* Label4;
  QLineEdit* E_PobDan;
  QProgressBar* DownloadProgress;  // below the download banner: bytes received, polls left
  QLineEdit* ECzekaj;
  // Main flight panel.
  QLabel *LabMaximum, *LmMax, *LMinimum, *LmMin, *LZaw1, *L_NumSer1, *LTemp1, *Label14, *LProbk1;
  QLineEdit *E_MaxGl, *EMinimum, *E_NrZawodnika, *E_NrSeryjny, *E_TempGl, *E_probkGl;
  // Comparison flight panel.
  QLabel *Label1, *Label7, *Label3, *Label8, *LZaw2, *L_NumSer2, *LTemp2, *Label9, *LProbk2;
  QLineEdit *E_Max_Por, *E_Min_Por, *E_Zaw_Por, *E_NrS_Por, *E_TempPor, *E_probkPor;
  // Menu.
  QMenu* Ustawienia1;
  QAction* Hypsor1;
  QAction* Filtr3;
  QMenu* Widok1;
  QAction* Przyspieszenie1;
  QAction* Porownanie1;
  QMenu* MenuJezyk;
  QAction* Polski1;
  QAction* English1;
  QAction* Info1;
  QAction* Help1;

  // --- State.
  int LanguageIndex = 0;
  SettingsRecord Settings{};
  QString SettingsFilePath;
  Flight MainFlight;        // the flight in the left panel (downloaded or opened)
  Flight ComparisonFlight;  // the flight in the right panel
  Flight DownloadedFlight;  // the last successful download: what Save writes
  std::int32_t DownloadByteCount = 0;
  AltitudeTableArray AltitudeTable{};  // altitudes of the main flight, decimetres
  int AltitudeCount = 0;
  AltitudeTableArray ComparisonTable{};  // altitudes of the comparison flight
  int ComparisonCount = 0;
  std::uint32_t ComparisonSampleCount = 0;

  QString T(Txt id) const { return Text(id, LanguageIndex); }

  // --- Handlers.
  void ApplyLanguage();
  void Polski1Click();
  void English1Click();
  void FormResize();
  bool Koniec();  // the close: false when the settings could not be written (window stays)
  void Info1Click();
  void Help1Click();
  bool FormHelp();
  void BZapisz_PomiarClick();
  void BLaduj_pomiarClick();
  void B_PorownanieClick();
  void Porownanie1Click();
  void Przyspieszenie1Click();
  void ppp();
  void xxx(QLineSeries* series);
  void BZerowanieClick();
  void B_Odczyt_HypsoruClick();
  void B_Filtr_HypsorClick();
  void B_Filtr_porClick();
  void Ustawienia1Click();
  void Ustawienia2Click();

  // Shows a flight as the main flight (after a download or a file load).
  void ShowMainFlight(const Flight& flight);
  // Decodes the main flight again and draws it (temperature entry, acceleration switch).
  void DecodeMainFlight();
  void DecodeComparison();
  FilterParams CurrentFilterParams() const;
  bool SaveSettingsNow();  // writes the settings file; reports a failure in a box
  void CloseDevicePort();
  bool ExchangeRunning() const { return exchangeRunning_; }
  void ShowSessionMessage(const SessionMessage& message);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void BuildMenu();
  // Asks for a flight file and reads it; reports a refusal. Empty when nothing was read.
  QString AskAndLoadFlight(Flight& into);
  bool TemperatureKey(QLineEdit* field, QKeyEvent* event);
  void TemperatureEntered(QLineEdit* field);
  void ClearMainPanel();
  void ClearComparisonPanel();
  void PrepareLeftAxis();
  void ShowError(const QString& text);
  QString FormatMetres(float metres) const;

  PlatformServices platform_;
  TFormUstawienia* formUstawienia_ = nullptr;
  TFoInfo* foInfo_ = nullptr;
  TF_Filtr* fFiltr_ = nullptr;
  std::unique_ptr<DeviceChannel> channel_;
  std::unique_ptr<FilterTables> filterTables_;
  bool hasMainFlight_ = false;
  bool exchangeRunning_ = false;  // an exchange with the altimeter holds the port
  bool closeRequested_ = false;   // a close that came during an exchange, done after it
  friend class ExchangeGuard;
};

}  // namespace hypsor
