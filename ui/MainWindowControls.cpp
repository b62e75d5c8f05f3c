// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls and menu, placed as designed.
#include "ui/MainWindow.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include "platform/widgets/ProgramIcon.h"
#include "ui/FlightChart.h"
#include "ui/Mnemonics.h"
#include "ui/TemperatureValidator.h"

namespace hypsor {
namespace {

QFont Face(const QString& family, int pixelSize, bool bold = false) {
  QFont f(family);
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

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

void MainWindow::BuildControls() {
  setWindowIcon(ProgramIcon());
  // The restored window stands where it was designed; at start it is maximised.
  setGeometry(285, 216, 923, 674);
  setFont(Face(QStringLiteral("MS Sans Serif"), 11));
  client_ = new QWidget(this);
  client_->setAutoFillBackground(true);
  QPalette pal = client_->palette();
  pal.setColor(QPalette::Window, QColor(192, 192, 192));
  client_->setPalette(pal);
  setCentralWidget(client_);
  client_->installEventFilter(this);

  readButton_ = Button(client_, {3, 8, 121, 33}, true);
  zeroButton_ = Button(client_, {0, 70, 73, 27});
  mainFilterButton_ = Button(client_, {80, 70, 41, 27});
  mainFilterButton_->setText(QStringLiteral("Filtr"));

  mainPanel_ = Group(client_, {128, 0, 226, 105}, Qt::red, 16, true);
  filePanel_ = Group(client_, {360, 0, 90, 105}, QColor(), 13, false);
  saveButton_ = Button(filePanel_, {8, 24, 73, 25});
  loadButton_ = Button(filePanel_, {8, 72, 73, 25});
  compareButton_ = Button(client_, {453, 8, 90, 33}, true);
  comparisonFilterButton_ = Button(client_, {456, 72, 75, 25});
  comparisonFilterButton_->setText(QStringLiteral("Filtr"));
  comparisonPanel_ = Group(client_, {544, 0, 233, 105}, QColor(255, 255, 0), 16, true);

  chart_ = new FlightChart(client_);
  chart_->setGeometry(8, 112, 865, 401);
  metresLabel_ = Label(chart_, QStringLiteral("[m]"), {8, 794});
  secondsLabel_ = Label(chart_, QStringLiteral("[sek]"), {551, 311}, 11);
  accelerationLabel_ = Label(chart_, QStringLiteral("dh/dt"), {800, 8}, 13);
  for (QLabel* l : {metresLabel_, secondsLabel_, accelerationLabel_})
    l->setAttribute(Qt::WA_TransparentForMouseEvents);

  downloadBanner_ = Field(client_, {336, 136, 177, 32}, true, 21);
  waitBanner_ = Field(client_, {376, 168, 113, 32}, true, 21);
  for (QLineEdit* e : {downloadBanner_, waitBanner_}) {
    e->setStyleSheet(QStringLiteral("QLineEdit { background: #c8c8c8; }"));
    e->hide();
  }
  downloadProgress_ = new QProgressBar(client_);
  downloadProgress_->setGeometry(336, 170, 177, 18);
  downloadProgress_->hide();
  cancelExchangeButton_ = new QPushButton(client_);
  cancelExchangeButton_->setGeometry(336, 192, 177, 28);
  cancelExchangeButton_->hide();
  BuildPanels();
  SetTabOrder();

  for (auto [w, name] : std::initializer_list<std::pair<QWidget*, const char*>>{
           {client_, "client"},
           {readButton_, "readButton"},
           {zeroButton_, "zeroButton"},
           {mainFilterButton_, "mainFilterButton"},
           {mainPanel_, "mainPanel"},
           {filePanel_, "filePanel"},
           {saveButton_, "saveButton"},
           {loadButton_, "loadButton"},
           {compareButton_, "compareButton"},
           {comparisonFilterButton_, "comparisonFilterButton"},
           {comparisonPanel_, "comparisonPanel"},
           {chart_, "chart"},
           {metresLabel_, "metresLabel"},
           {secondsLabel_, "secondsLabel"},
           {accelerationLabel_, "accelerationLabel"},
           {downloadBanner_, "downloadBanner"},
           {downloadProgress_, "downloadProgress"},
           {waitBanner_, "waitBanner"},
           {cancelExchangeButton_, "cancelExchangeButton"}})
    w->setObjectName(QString::fromLatin1(name));

  connect(readButton_, &QPushButton::clicked, this, &MainWindow::onRead);
  connect(zeroButton_, &QPushButton::clicked, this, &MainWindow::onZero);
  connect(cancelExchangeButton_, &QPushButton::clicked, this, &MainWindow::onCancelExchange);
  connect(mainFilterButton_, &QPushButton::clicked, this, &MainWindow::onFilterMain);
  connect(saveButton_, &QPushButton::clicked, this, &MainWindow::onSave);
  connect(loadButton_, &QPushButton::clicked, this, &MainWindow::onLoad);
  connect(compareButton_, &QPushButton::clicked, this, &MainWindow::onCompare);
  connect(comparisonFilterButton_, &QPushButton::clicked, this, &MainWindow::onFilterComparison);
  connect(chart_, &FlightChart::CurveClicked, this, &MainWindow::onCurveClicked);
  connect(chart_, &FlightChart::LegendClicked, this, &MainWindow::onLegendClicked);
}

void MainWindow::BuildPanels() {
  // The two panels differ only in where their fields stand.
  struct Columns {
    QGroupBox* box;
    PanelControls& c;
    const char* prefix;
    int maxLeft, numberWidth, rightLeft, rightWidth, temperatureWidth;
  };
  for (const Columns& k :
       {Columns{mainPanel_, main_, "main", 4, 49, 149, 69, 60},
        Columns{comparisonPanel_, comparison_, "comparison", 8, 57, 157, 69, 60}}) {
    QGroupBox* g = k.box;
    PanelControls& c = k.c;
    const bool isMain = g == mainPanel_;
    c.maximumLabel = Label(g, QStringLiteral("Maximum"), {k.maxLeft, 18}, 12);
    c.maximumField = Field(g, {5, 32, 52, 24}, true, 13, isMain);
    c.maximumUnit = Label(g, QStringLiteral("m"), {isMain ? 60 : 61, 40});
    c.minimumLabel = Label(g, QStringLiteral("Minimum"), {isMain ? 4 : 5, 58}, 12);
    c.minimumField = Field(g, {5, 72, 52, 24});
    c.minimumUnit = Label(g, QStringLiteral("m"), {isMain ? 60 : 61, 80});
    c.competitorLabel = Label(g, {}, {80, 18}, 12);
    c.competitorField = Field(g, {80, 32, k.numberWidth, 24}, !isMain);
    c.serialLabel = Label(g, {}, {80, 58}, 12);
    c.serialField = Field(g, {80, 72, k.numberWidth, 24});
    c.temperatureLabel = Label(g, {}, {k.rightLeft, 18}, 12);
    c.temperatureField = Field(g, {k.rightLeft, 32, k.temperatureWidth, 24});
    c.temperatureUnit = Label(g, QStringLiteral("C"), {k.rightLeft + 64, 35});
    c.samplingLabel = Label(g, {}, {k.rightLeft, 58}, 12);
    // The rate's text ("25 pom/sek") takes the smaller face, and the comparison's field the
    // main one's width, so the whole rate shows.
    c.samplingField = isMain ? Field(g, {148, 72, 69, 22}, true, 11)
                             : Field(g, {k.rightLeft, 72, k.rightWidth, 24}, true, 11);
    // Labels and fields keep black text under the coloured caption.
    for (QWidget* w : g->findChildren<QWidget*>()) {
      QPalette black = w->palette();
      for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        black.setColor(role, Qt::black);
      w->setPalette(black);
    }
    c.temperatureField->installEventFilter(this);
    c.temperatureField->setValidator(new TemperatureValidator(c.temperatureField));
    const QString p = QString::fromLatin1(k.prefix);
    c.maximumLabel->setObjectName(p + QStringLiteral("MaximumLabel"));
    c.competitorLabel->setObjectName(p + QStringLiteral("CompetitorLabel"));
    c.serialLabel->setObjectName(p + QStringLiteral("SerialLabel"));
    c.temperatureLabel->setObjectName(p + QStringLiteral("TemperatureLabel"));
    c.samplingLabel->setObjectName(p + QStringLiteral("SamplingLabel"));
    c.maximumField->setObjectName(p + QStringLiteral("MaximumField"));
    c.minimumField->setObjectName(p + QStringLiteral("MinimumField"));
    c.competitorField->setObjectName(p + QStringLiteral("CompetitorField"));
    c.serialField->setObjectName(p + QStringLiteral("SerialField"));
    c.temperatureField->setObjectName(p + QStringLiteral("TemperatureField"));
    c.samplingField->setObjectName(p + QStringLiteral("SamplingField"));
  }
}

void MainWindow::BuildMenu() {
  QMenuBar* bar = menuBar();
  setupMenu_ = bar->addMenu(QString());
  deviceSettingsAction_ = setupMenu_->addAction(QString());
  filterSettingsAction_ = setupMenu_->addAction(QStringLiteral("Filtr"));
  chartsMenu_ = bar->addMenu(QString());
  accelerationAction_ = chartsMenu_->addAction(QString());
  accelerationAction_->setCheckable(true);
  comparisonAction_ = chartsMenu_->addAction(QString());
  comparisonAction_->setCheckable(true);
  comparisonAction_->setChecked(true);
  languageMenu_ = bar->addMenu(QStringLiteral("Język/Language"));
  polishAction_ = languageMenu_->addAction(QStringLiteral("Polski"));
  polishAction_->setCheckable(true);
  englishAction_ = languageMenu_->addAction(QStringLiteral("English"));
  englishAction_->setCheckable(true);
  infoAction_ = bar->addAction(QStringLiteral("Info"));
  helpAction_ = bar->addAction(QStringLiteral("Help"));

  // The handlers set the check marks themselves; undo Qt's own toggling first.
  auto handler = [this](QAction* a, const char* name, void (MainWindow::*h)()) {
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [this, a, h] {
      if (a->isCheckable()) a->setChecked(!a->isChecked());
      (this->*h)();
    });
  };
  handler(deviceSettingsAction_, "deviceSettingsAction", &MainWindow::onDeviceSettings);
  handler(filterSettingsAction_, "filterSettingsAction", &MainWindow::onFilterSettings);
  handler(accelerationAction_, "accelerationAction", &MainWindow::onAccelerationToggled);
  handler(comparisonAction_, "comparisonAction", &MainWindow::onComparisonToggled);
  handler(polishAction_, "polishAction", &MainWindow::onPolishChosen);
  handler(englishAction_, "englishAction", &MainWindow::onEnglishChosen);
  handler(infoAction_, "infoAction", &MainWindow::onInfo);
  handler(helpAction_, "helpAction", &MainWindow::onHelp);
  AddCommunicationLogAction();
  setupMenu_->setObjectName(QStringLiteral("setupMenu"));

  // Keys for the commands used most. They belong to the window, so they work whatever menus
  // there are; the File menu shows them. F10 opens the menu bar, from where the arrow keys reach
  // every menu.
  auto command = [this](const char* name, QKeySequence sequence, auto onTriggered) {
    auto* a = new QAction(this);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(sequence);
    addAction(a);
    connect(a, &QAction::triggered, this, onTriggered);
    return a;
  };
  openAction_ = command("openAction", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { onLoad(); });
  saveAction_ = command("saveAction", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { onSave(); });
  quitAction_ = command("quitAction", QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this, [this] {
    QMenuBar* menus = menuBar();
    if (menus->actions().isEmpty()) return;
    menus->setFocus(Qt::ShortcutFocusReason);
    menus->setActiveAction(menus->actions().first());
  });
  chartsMenu_->setObjectName(QStringLiteral("chartsMenu"));
  languageMenu_->setObjectName(QStringLiteral("languageMenu"));
  KeepMnemonics(bar);
}

void MainWindow::SetTabOrder() {
  // Left to right along the top row, each panel's fields top to bottom and column by column,
  // then the chart.
  auto panel = [](const PanelControls& c) {
    return QList<QWidget*>{c.maximumField, c.minimumField, c.competitorField,
                           c.serialField,  c.temperatureField, c.samplingField};
  };
  QList<QWidget*> chain{readButton_, zeroButton_, mainFilterButton_};
  chain += panel(main_);
  chain << saveButton_ << loadButton_ << compareButton_ << comparisonFilterButton_;
  chain += panel(comparison_);
  for (qsizetype i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace hypsor
