#include "ui/Hypsor_1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>

#include "device/DeviceChannel.h"
#include "files/FlightFile.h"
#include "flight/Filters.h"
#include "platform/DocumentOpener.h"
#include "platform/ExecutablePath.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/widgets/ProgramIcon.h"
#include "ui/Finfo.h"
#include "ui/FlightChart.h"
#include "ui/MainLayout.h"

namespace hypsor {
namespace {

QFont Face(const QString& family, int pixelSize, bool bold = false) {
  QFont f(family);
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

const QString kArial = QStringLiteral("Arial");

QPushButton* Button(QWidget* parent, QRect g, bool bold = false) {
  auto* b = new QPushButton(parent);
  b->setGeometry(g);
  b->setFont(Face(QStringLiteral("Arial"), 13, bold));
  return b;
}

QLabel* Label(QWidget* parent, const QString& text, QPoint at, int pixelSize = 13) {
  auto* l = new QLabel(text, parent);
  l->setFont(Face(QStringLiteral("Arial"), pixelSize));
  l->move(at);
  l->adjustSize();
  return l;
}

QLineEdit* Field(QWidget* parent, QRect g, bool readOnly = true, int pixelSize = 13,
                 bool bold = false) {
  auto* e = new QLineEdit(parent);
  e->setGeometry(g);
  e->setFont(Face(QStringLiteral("Arial"), pixelSize, bold));
  e->setReadOnly(readOnly);
  e->setTextMargins(0, 0, 0, 0);
  return e;
}

QGroupBox* Group(QWidget* parent, QRect g, const QColor& captionColour, int pixelSize, bool bold) {
  auto* box = new QGroupBox(parent);
  box->setGeometry(g);
  box->setFont(Face(QStringLiteral("Arial"), pixelSize, bold));
  if (captionColour.isValid()) {
    // The caption carries the colour of the flight's curve; the fields inside keep theirs.
    box->setStyleSheet(QStringLiteral("QGroupBox { color: %1; }").arg(captionColour.name()));
  }
  return box;
}

}  // namespace

THypsor::THypsor(const PlatformServices& platform, const QString& settingsFilePath, QWidget* parent)
    : QMainWindow(parent),
      platform_(platform),
      channel_(std::make_unique<DeviceChannel>()),
      filterTables_(std::make_unique<FilterTables>()) {
  // 1. The window and its controls as designed.
  BuildControls();
  BuildMenu();
  // 2. Settings.
  SettingsFilePath = settingsFilePath;
  QString error;
  if (!LoadSettings(SettingsFilePath, Settings, &error)) ShowError(error);
  // 3. The acceleration tick.
  Przyspieszenie1->setChecked(Settings.ShowAcceleration != 0);
  // 4-5. The language and its tick.
  LanguageIndex = Settings.Language;
  Polski1->setChecked(LanguageIndex == 0);
  English1->setChecked(LanguageIndex != 0);
  // 6. Texts.
  ApplyLanguage();
  // 7. An empty chart.
  Chart1->ClearSeries(Chart1->Series1);
  // 8. Each flight starts at 20 degrees until its header says otherwise.
  MainFlight.GroundTemperature = 20.0f;
  ComparisonFlight.GroundTemperature = 20.0f;
}

THypsor::~THypsor() = default;

void THypsor::SetOtherWindows(TFormUstawienia* formUstawienia, TFoInfo* foInfo, TF_Filtr* fFiltr) {
  formUstawienia_ = formUstawienia;
  foInfo_ = foInfo;
  fFiltr_ = fFiltr;
}

void THypsor::BuildControls() {
  setWindowIcon(ProgramIcon());
  // The restored window stands where it was designed; at start it is maximised.
  setGeometry(285, 216, 923, 674);
  setFont(Face(QStringLiteral("MS Sans Serif"), 11));
  Client = new QWidget(this);
  Client->setAutoFillBackground(true);
  QPalette pal = Client->palette();
  pal.setColor(QPalette::Window, QColor(192, 192, 192));
  Client->setPalette(pal);
  setCentralWidget(Client);
  Client->installEventFilter(this);

  B_Odczyt_Hypsoru = Button(Client, {3, 8, 121, 33}, true);
  BZerowanie = Button(Client, {0, 70, 73, 27});
  B_Filtr_Hypsor = Button(Client, {80, 70, 41, 27});
  B_Filtr_Hypsor->setText(QStringLiteral("Filtr"));

  GroupB_Hypsor = Group(Client, {128, 0, 226, 105}, Qt::red, 16, true);
  GBDysk_ZapisOdczyt = Group(Client, {360, 0, 90, 105}, QColor(), 13, false);
  BZapisz = Button(GBDysk_ZapisOdczyt, {8, 24, 73, 25});
  BOdczyt = Button(GBDysk_ZapisOdczyt, {8, 72, 73, 25});
  B_Porownanie = Button(Client, {453, 8, 90, 33}, true);
  B_Filtr_por = Button(Client, {456, 72, 75, 25});
  B_Filtr_por->setText(QStringLiteral("Filtr"));
  GroupB_Por = Group(Client, {544, 0, 233, 105}, QColor(255, 255, 0), 16, true);

  Chart1 = new FlightChart(Client);
  Chart1->setGeometry(8, 112, 865, 401);
  Label6 = Label(Chart1, QStringLiteral("[m]"), {8, 794});
  Label2 = Label(Chart1, QStringLiteral("[sek]"), {551, 311}, 11);
  Label4 = Label(Chart1, QStringLiteral("dh/dt"), {800, 8}, 13);
  for (QLabel* l : {Label6, Label2, Label4}) l->setAttribute(Qt::WA_TransparentForMouseEvents);

  E_PobDan = Field(Client, {336, 136, 177, 32}, true, 21);
  ECzekaj = Field(Client, {376, 168, 113, 32}, true, 21);
  for (QLineEdit* e : {E_PobDan, ECzekaj}) {
    e->setStyleSheet(QStringLiteral("QLineEdit { background: #c8c8c8; }"));
    e->hide();
  }
  DownloadProgress = new QProgressBar(Client);
  DownloadProgress->setGeometry(336, 170, 177, 18);
  DownloadProgress->hide();

  // Main flight panel.
  QGroupBox* g = GroupB_Hypsor;
  const QString arial = kArial;
  LabMaximum = Label(g, QStringLiteral("Maximum"), {4, 18}, 12);
  E_MaxGl = Field(g, {5, 32, 52, 24}, true, 13, true);
  E_MaxGl->setText(QStringLiteral("561,1"));
  LmMax = Label(g, QStringLiteral("m"), {60, 40});
  LMinimum = Label(g, QStringLiteral("Minimum"), {4, 58}, 12);
  EMinimum = Field(g, {5, 72, 52, 24});
  LmMin = Label(g, QStringLiteral("m"), {60, 80});
  LZaw1 = Label(g, {}, {80, 18}, 12);
  E_NrZawodnika = Field(g, {80, 32, 49, 24}, false);
  L_NumSer1 = Label(g, {}, {80, 58}, 12);
  E_NrSeryjny = Field(g, {80, 72, 49, 24});
  LTemp1 = Label(g, {}, {149, 18}, 12);
  E_TempGl = Field(g, {149, 32, 60, 24});
  Label14 = Label(g, QStringLiteral("C"), {213, 35});
  LProbk1 = Label(g, {}, {149, 58}, 12);
  E_probkGl = Field(g, {148, 72, 69, 22}, true, 11);

  // Comparison flight panel.
  g = GroupB_Por;
  Label1 = Label(g, QStringLiteral("Maximum"), {8, 18}, 12);
  E_Max_Por = Field(g, {5, 32, 52, 24});
  Label7 = Label(g, QStringLiteral("m"), {61, 40});
  Label3 = Label(g, QStringLiteral("Minimum"), {5, 58}, 12);
  E_Min_Por = Field(g, {5, 72, 52, 24});
  Label8 = Label(g, QStringLiteral("m"), {61, 80});
  LZaw2 = Label(g, {}, {80, 18}, 12);
  E_Zaw_Por = Field(g, {80, 32, 57, 24});
  L_NumSer2 = Label(g, {}, {80, 58}, 12);
  E_NrS_Por = Field(g, {80, 72, 57, 24});
  LTemp2 = Label(g, {}, {157, 18}, 12);
  E_TempPor = Field(g, {157, 32, 60, 24});
  Label9 = Label(g, QStringLiteral("C"), {221, 35});
  LProbk2 = Label(g, {}, {157, 58}, 12);
  E_probkPor = Field(g, {157, 72, 60, 24});
  // Panel labels and fields keep black text under the coloured captions.
  for (QGroupBox* box : {GroupB_Hypsor, GroupB_Por})
    for (QWidget* w : box->findChildren<QWidget*>())
      w->setStyleSheet(QStringLiteral("color: black"));

  E_TempGl->installEventFilter(this);
  E_TempPor->installEventFilter(this);

  connect(B_Odczyt_Hypsoru, &QPushButton::clicked, this, &THypsor::B_Odczyt_HypsoruClick);
  connect(BZerowanie, &QPushButton::clicked, this, &THypsor::BZerowanieClick);
  connect(B_Filtr_Hypsor, &QPushButton::clicked, this, &THypsor::B_Filtr_HypsorClick);
  connect(BZapisz, &QPushButton::clicked, this, &THypsor::BZapisz_PomiarClick);
  connect(BOdczyt, &QPushButton::clicked, this, &THypsor::BLaduj_pomiarClick);
  connect(B_Porownanie, &QPushButton::clicked, this, &THypsor::B_PorownanieClick);
  connect(B_Filtr_por, &QPushButton::clicked, this, &THypsor::B_Filtr_porClick);
  connect(Chart1, &FlightChart::SeriesClicked, this, &THypsor::xxx);
  connect(Chart1, &FlightChart::LegendClicked, this, &THypsor::ppp);
}

void THypsor::BuildMenu() {
  QMenuBar* bar = menuBar();
  Ustawienia1 = bar->addMenu(QString());
  Hypsor1 = Ustawienia1->addAction(QString());
  Filtr3 = Ustawienia1->addAction(QStringLiteral("Filtr"));
  Widok1 = bar->addMenu(QString());
  Przyspieszenie1 = Widok1->addAction(QString());
  Przyspieszenie1->setCheckable(true);
  Porownanie1 = Widok1->addAction(QString());
  Porownanie1->setCheckable(true);
  Porownanie1->setChecked(true);
  MenuJezyk = bar->addMenu(QStringLiteral("Język/Language"));
  Polski1 = MenuJezyk->addAction(QStringLiteral("Polski"));
  Polski1->setCheckable(true);
  English1 = MenuJezyk->addAction(QStringLiteral("English"));
  English1->setCheckable(true);
  Info1 = bar->addAction(QStringLiteral("Info"));
  Help1 = bar->addAction(QStringLiteral("Help"));

  // The handlers set the check marks themselves; undo Qt's own toggling first.
  auto handler = [this](QAction* a, void (THypsor::*h)()) {
    connect(a, &QAction::triggered, this, [this, a, h] {
      if (a->isCheckable()) a->setChecked(!a->isChecked());
      (this->*h)();
    });
  };
  handler(Hypsor1, &THypsor::Ustawienia1Click);
  handler(Filtr3, &THypsor::Ustawienia2Click);
  handler(Przyspieszenie1, &THypsor::Przyspieszenie1Click);
  handler(Porownanie1, &THypsor::Porownanie1Click);
  handler(Polski1, &THypsor::Polski1Click);
  handler(English1, &THypsor::English1Click);
  handler(Info1, &THypsor::Info1Click);
  handler(Help1, &THypsor::Help1Click);
}

// ---------------------------------------------------------------- language

void THypsor::ApplyLanguage() {
  BZerowanie->setText(T(Txt::BZerowanie));
  B_Odczyt_Hypsoru->setText(T(Txt::B_Odczyt_Hypsoru));
  GBDysk_ZapisOdczyt->setTitle(T(Txt::GBDysk_ZapisOdczyt));
  BZapisz->setText(T(Txt::BZapisz));
  BOdczyt->setText(T(Txt::BOdczyt));
  for (QLabel* l : {LTemp1, LTemp2}) l->setText(T(Txt::LTemp));
  for (QLabel* l : {LProbk1, LProbk2}) l->setText(T(Txt::LProbk));
  for (QLabel* l : {LZaw1, LZaw2}) l->setText(T(Txt::LZaw));
  for (QLabel* l : {L_NumSer1, L_NumSer2}) l->setText(T(Txt::L_NumSer));
  for (QLabel* l : {LTemp1, LTemp2, LProbk1, LProbk2, LZaw1, LZaw2, L_NumSer1, L_NumSer2})
    l->adjustSize();
  B_Porownanie->setText(T(Txt::B_Porownanie));
  GroupB_Hypsor->setTitle(T(Txt::GroupB_Hypsor));
  GroupB_Por->setTitle(T(Txt::GroupB_Por));
  setWindowTitle(T(Txt::WindowCaption));
  Ustawienia1->setTitle(T(Txt::Ustawienia1));
  Hypsor1->setText(T(Txt::Hypsor1));
  Widok1->setTitle(T(Txt::Widok1));
  Przyspieszenie1->setText(T(Txt::Przyspieszenie1));
  Porownanie1->setText(T(Txt::Porownanie1));
  Chart1->SetSeriesTitle(Chart1->Series1, T(Txt::Series1Title));
  Chart1->SetSeriesTitle(Chart1->Series2, T(Txt::Series2Title));
  Chart1->SetSeriesTitle(Chart1->Series3, T(Txt::Series3Title));
}

void THypsor::Polski1Click() {
  Polski1->setChecked(true);
  English1->setChecked(false);
  Settings.Language = 0;
  LanguageIndex = 0;
  ApplyLanguage();
  SaveSettingsNow();
}

void THypsor::English1Click() {
  Polski1->setChecked(false);
  English1->setChecked(true);
  Settings.Language = 1;
  LanguageIndex = 1;
  ApplyLanguage();
  SaveSettingsNow();
}

bool THypsor::SaveSettingsNow() {
  QString error;
  if (SaveSettings(SettingsFilePath, Settings, &error)) return true;
  ShowError(error);
  return false;
}

void THypsor::ShowError(const QString& text) {
  platform_.boxes.Show(text, T(Txt::ErrorCaption), BoxButtons::Ok);
}

// ---------------------------------------------------------------- layout and shutdown

void THypsor::FormResize() {
  const auto l = ComputeMainLayout(Client->width(), Client->height());
  if (!l) return;
  Chart1->resize(l->chartWidth, l->chartHeight);
  Label6->move(Label6->x(), l->Label6Top);
  Label2->move(l->Label2Left, l->Label2Top);
  Label4->move(l->Label4Left, Label4->y());
  B_Odczyt_Hypsoru->move(l->B_Odczyt_HypsoruLeft, B_Odczyt_Hypsoru->y());
  BZerowanie->move(l->BZerowanieLeft, BZerowanie->y());
  B_Filtr_Hypsor->move(l->B_Filtr_HypsorLeft, B_Filtr_Hypsor->y());
  GroupB_Hypsor->move(l->GroupB_HypsorLeft, GroupB_Hypsor->y());
  GBDysk_ZapisOdczyt->move(l->GBDysk_ZapisOdczytLeft, GBDysk_ZapisOdczyt->y());
  B_Porownanie->move(l->B_PorownanieLeft, B_Porownanie->y());
  B_Filtr_por->move(l->B_Filtr_porLeft, B_Filtr_por->y());
  GroupB_Por->move(l->GroupB_PorLeft, GroupB_Por->y());
}

bool THypsor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Client && event->type() == QEvent::Resize) FormResize();
  if ((watched == E_TempGl || watched == E_TempPor) && event->type() == QEvent::KeyPress)
    return TemperatureKey(static_cast<QLineEdit*>(watched), static_cast<QKeyEvent*>(event));
  return QMainWindow::eventFilter(watched, event);
}

void THypsor::closeEvent(QCloseEvent* event) {
  // An exchange holds the port; the close waits until it has ended.
  if (exchangeRunning_) {
    closeRequested_ = true;
    event->ignore();
    return;
  }
  if (!Koniec()) {
    event->ignore();
    return;
  }
  event->accept();
}

bool THypsor::Koniec() {
  CloseDevicePort();
  return SaveSettingsNow();
}

void THypsor::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    FormHelp();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------- info and help

void THypsor::Info1Click() {
  if (foInfo_) foInfo_->exec();
}

void THypsor::Help1Click() {
  // A bare name: the help document is looked for in the current directory.
  const QString name =
      LanguageIndex != 0 ? QStringLiteral("Hypsor_HELPA.chm") : QStringLiteral("Hypsor_HELPP.chm");
  platform_.documents.Open(QDir::current().absoluteFilePath(name));
}

bool THypsor::FormHelp() {
  const QString folder = QFileInfo(ExecutablePath()).absolutePath();
  return platform_.documents.Open(QDir(folder).absoluteFilePath(QStringLiteral("Test1.chm")));
}

}  // namespace hypsor
