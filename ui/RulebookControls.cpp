// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RulebookControls.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "contest/EventScoring.h"
#include "platform/AtomicFile.h"
#include "platform/FileDialogs.h"
#include "session/ContestState.h"
#include "session/ResultsExports.h"
#include "text/FailureText.h"
#include "text/FileFilters.h"
#include "text/RulebookText.h"
#include "ui/EventResultsPdf.h"
#include "ui/WindowHost.h"

namespace hypsor {

namespace {

// A non-modal dialog of the window with a table filling it and a row of controls under it.
QDialog* MakeDialog(QWidget* parent, const char* name, QTableWidget*& table, QHBoxLayout*& row) {
  auto* dialog = new QDialog(parent);
  dialog->setObjectName(QString::fromLatin1(name));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(dialog);
  table = new QTableWidget(dialog);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table);
  row = new QHBoxLayout;
  layout->addLayout(row);
  dialog->resize(760, 420);
  return dialog;
}

void SetRow(QTableWidget& table, int row, const QStringList& cells) {
  for (int c = 0; c < cells.size(); ++c) {
    auto* item = new QTableWidgetItem(cells[c]);
    // Numbers (places with their "=" of a tie too) right-aligned, so their digits line up.
    bool number = false;
    QString(cells[c]).remove(QLatin1Char('=')).toDouble(&number);
    if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table.setItem(row, c, item);
  }
}

QString Number(const std::optional<double>& v, int decimals) {
  return v ? ScoreText(*v, decimals) : QString();
}

}  // namespace

RulebookControls::RulebookControls(WindowHost& host, ContestState& state, QToolBar& sessionLine)
    : QObject(&host.Frame()), host_(host), state_(state),
      language_(host.Workspace().LanguageIndex()) {
  QMenuBar* bar = host_.Frame().menuBar();
  menu_ = new QMenu(&host_.Frame());
  menu_->setObjectName(QStringLiteral("contestMenu"));
  bar->insertMenu(host_.Commands().info, menu_);
  auto add = [this](const char* name, void (RulebookControls::*handler)()) {
    QAction* a = menu_->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  competitorsAction_ = add("competitorsAction", &RulebookControls::onCompetitors);
  eventsAction_ = add("eventsAction", &RulebookControls::onEvents);
  decideAction_ = add("decideAction", &RulebookControls::onDecide);
  menu_->addSeparator();
  resultsAction_ = add("eventResultsAction", &RulebookControls::onResults);

  // The current event and round, after the session's words.
  sessionLine.addSeparator();
  eventLabel_ = new QLabel(&sessionLine);
  sessionLine.addWidget(eventLabel_);
  eventBox_ = new QComboBox(&sessionLine);
  eventBox_->setObjectName(QStringLiteral("currentEventBox"));
  eventBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  sessionLine.addWidget(eventBox_);
  roundLabel_ = new QLabel(&sessionLine);
  sessionLine.addWidget(roundLabel_);
  roundBox_ = new QSpinBox(&sessionLine);
  roundBox_->setObjectName(QStringLiteral("currentRoundBox"));
  roundBox_->setRange(1, 1);
  sessionLine.addWidget(roundBox_);
  connect(eventBox_, &QComboBox::currentIndexChanged, this, &RulebookControls::RoundChosen);
  connect(roundBox_, &QSpinBox::valueChanged, this, &RulebookControls::RoundChosen);

  connect(&state_, &ContestState::changed, this, &RulebookControls::Refresh);
  connect(&host_.Workspace(), &FlightWorkspace::languageChanged, this,
          &RulebookControls::ApplyLanguage);
  ApplyLanguage(language_);
}

RulebookControls::~RulebookControls() = default;

void RulebookControls::ApplyLanguage(int language) {
  language_ = language;
  // The dialogs are made in a language: an open one is made again in the new one.
  auto remake = [this](QPointer<QDialog>& dialog, void (RulebookControls::*open)()) {
    if (!dialog) return;
    const bool shown = dialog->isVisible();
    delete dialog.data();
    if (shown) (this->*open)();
  };
  remake(competitors_, &RulebookControls::onCompetitors);
  remake(events_, &RulebookControls::onEvents);
  remake(decide_, &RulebookControls::onDecide);
  remake(results_, &RulebookControls::onResults);
  auto t = [this](RulebookTxt id) { return RulebookText(id, language_); };
  menu_->setTitle(t(RulebookTxt::ContestMenu));
  competitorsAction_->setText(t(RulebookTxt::CompetitorsAction));
  eventsAction_->setText(t(RulebookTxt::EventsAction));
  decideAction_->setText(t(RulebookTxt::DecideAction));
  resultsAction_->setText(t(RulebookTxt::EventResultsAction));
  eventLabel_->setText(t(RulebookTxt::EventLabel));
  roundLabel_->setText(t(RulebookTxt::RoundLabel));
  Refresh();
}

bool RulebookControls::Packs() {
  if (packsRead_) return true;
  Failure error;
  packsRead_ = LoadRulePacks(RulePackFolder(), packs_, &error);
  if (!packsRead_) host_.ShowFailure(error);
  return packsRead_;
}

ContestEdit RulebookControls::Edit() const {
  ContestEdit edit;
  edit.folder = state_.Session().Folder();
  edit.packs = packs_;
  // The window's thread never sleeps on another station's lock: a held folder says so.
  edit.lockTimeoutMs = 0;
  return edit;
}

ContestBook RulebookControls::Book() const {
  ContestLog log;
  if (!state_.Active() || !ReadContestLog(state_.Session().Folder(), log, nullptr)) return {};
  return ReadContestBook(log);
}

bool RulebookControls::Report(bool ok, const Failure& error) {
  if (!ok) host_.ShowFailure(error);
  // The flights are as they were: only the log grew, and the views read it afresh.
  Refresh();
  return ok;
}

void RulebookControls::Refresh() {
  const bool on = state_.Active();
  for (QAction* a : {competitorsAction_, eventsAction_, decideAction_, resultsAction_})
    a->setEnabled(on);
  // The events the log holds, the current one kept where it still exists.
  const ContestBook book = on ? Book() : ContestBook{};
  const QString current = eventBox_->currentData().toString();
  {
    const QSignalBlocker quiet(eventBox_);
    eventBox_->clear();
    eventBox_->addItem(RulebookText(RulebookTxt::NoEvent, language_), QString());
    for (const ContestEvent& e : book.events) eventBox_->addItem(e.id, e.id);
    const int at = eventBox_->findData(current);
    eventBox_->setCurrentIndex(at < 0 ? 0 : at);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{eventLabel_, eventBox_, roundLabel_, roundBox_})
    w->setEnabled(on && !book.events.empty());
  RoundChosen();
  if (competitors_) FillCompetitors();
  if (events_) FillEvents();
  if (decide_) FillDecide();
  if (results_) FillResults();
}

void RulebookControls::RoundChosen() {
  const QString event = eventBox_->currentData().toString();
  int rounds = 1;
  if (!event.isEmpty() && Packs()) {
    const ContestBook book = Book();
    RulePack pack;
    if (const ContestEvent* e = book.Event(event); e && EventPack(*e, packs_, pack, nullptr))
      rounds = pack.rounds;
  }
  {
    const QSignalBlocker quiet(roundBox_);
    roundBox_->setRange(1, rounds);
  }
  roundBox_->setEnabled(!event.isEmpty() && eventBox_->isEnabled());
  state_.SetRound(event, event.isEmpty() ? 0 : roundBox_->value(), packs_);
}

void RulebookControls::onCompetitors() {
  if (!Packs()) return;
  if (!competitors_) {
    QTableWidget* table = nullptr;
    QHBoxLayout* row = nullptr;
    competitors_ = MakeDialog(&host_.Frame(), "competitorsDialog", table, row);
    table->setObjectName(QStringLiteral("competitorsTable"));
    auto* import = new QPushButton(RulebookText(RulebookTxt::ImportButton, language_), competitors_);
    import->setObjectName(QStringLiteral("importCompetitorsButton"));
    row->addWidget(import);
    row->addStretch();
    // Entering a competitor in an event, with the value its rule needs before the flight.
    auto* event = new QComboBox(competitors_);
    event->setObjectName(QStringLiteral("entryEventBox"));
    auto* number = new QSpinBox(competitors_);
    number->setObjectName(QStringLiteral("entryCompetitorBox"));
    number->setRange(1, 65535);
    auto* key = new QComboBox(competitors_);
    key->setObjectName(QStringLiteral("entryValueBox"));
    key->addItem(RulebookText(RulebookTxt::NoValue, language_), QString());
    for (const char* k : {kTargetKey, kStaticPointsKey, kFlightPointsKey, kLengthKey})
      key->addItem(EntryValueWord(QLatin1String(k), language_), QLatin1String(k));
    auto* value = new QDoubleSpinBox(competitors_);
    value->setObjectName(QStringLiteral("entryValueSpin"));
    value->setRange(0, 1e6);
    value->setDecimals(1);
    auto* enter = new QPushButton(RulebookText(RulebookTxt::EnterButton, language_), competitors_);
    enter->setObjectName(QStringLiteral("enterButton"));
    auto* eventLabel = new QLabel(RulebookText(RulebookTxt::EventLabel, language_), competitors_);
    auto* numberLabel = new QLabel(ColumnName(ResultsColumn::Competitor, language_) + QLatin1Char(':'), competitors_);
    for (QWidget* w : std::initializer_list<QWidget*>{eventLabel, event, numberLabel, number, key, value, enter})
      row->addWidget(w);
    connect(enter, &QPushButton::clicked, this, [this, event, number, key, value] {
      std::map<QString, double> values;
      if (!key->currentData().toString().isEmpty()) values[key->currentData().toString()] = value->value();
      Failure error;
      Report(EnterCompetitor(Edit(), event->currentText(), static_cast<unsigned>(number->value()),
                             values, &error),
             error);
    });
    connect(import, &QPushButton::clicked, this, [this] {
      const QString path = host_.Platform().dialogs.OpenFileName(
          {{}, FileFilters(FileKind::Csv, language_), {}});
      if (path.isEmpty()) return;
      Failure error;
      int added = 0;
      Report(ImportCompetitors(Edit(), path, &added, &error), error);
    });
  }
  FillCompetitors();
  competitors_->setWindowTitle(RulebookText(RulebookTxt::CompetitorsAction, language_).remove(QLatin1Char('&')).remove(QChar(0x2026)));
  competitors_->show();
  competitors_->raise();
}

void RulebookControls::FillCompetitors() {
  auto* table = competitors_->findChild<QTableWidget*>(QStringLiteral("competitorsTable"));
  const ContestBook book = Book();
  auto* event = competitors_->findChild<QComboBox*>(QStringLiteral("entryEventBox"));
  const QString chosen = event->currentText();
  event->clear();
  event->addItems(book.EventIds());
  if (event->findText(chosen) >= 0) event->setCurrentText(chosen);
  table->setColumnCount(7);
  table->setHorizontalHeaderLabels({ColumnName(ResultsColumn::Number, language_),
                                    ColumnName(ResultsColumn::Name, language_),
                                    ColumnName(ResultsColumn::Nation, language_),
                                    ColumnName(ResultsColumn::Club, language_),
                                    ColumnName(ResultsColumn::Licence, language_),
                                    RulebookText(RulebookTxt::CategoryColumn, language_),
                                    RulebookText(RulebookTxt::EventsColumn, language_)});
  table->setRowCount(static_cast<int>(book.competitors.size()));
  int row = 0;
  for (const auto& [number, c] : book.competitors) {
    QStringList events;
    for (const EventEntry& e : book.entries)
      if (e.competitor == number) events << e.event;
    SetRow(*table, row++, {QString::number(number), c.name, c.nation, c.club, c.licence,
                           c.category, events.join(QStringLiteral(", "))});
  }
  table->resizeColumnsToContents();
}

void RulebookControls::onEvents() {
  if (!Packs()) return;
  if (!events_) {
    QTableWidget* table = nullptr;
    QHBoxLayout* row = nullptr;
    events_ = MakeDialog(&host_.Frame(), "eventsDialog", table, row);
    table->setObjectName(QStringLiteral("eventsTable"));
    auto* spec = new QLineEdit(events_);
    spec->setObjectName(QStringLiteral("eventSpecEdit"));
    spec->setPlaceholderText(RulebookText(RulebookTxt::EventSpecHint, language_));
    auto* addButton = new QPushButton(RulebookText(RulebookTxt::AddEventButton, language_), events_);
    addButton->setObjectName(QStringLiteral("addEventButton"));
    row->addWidget(spec, 1);
    row->addWidget(addButton);
    auto addEvent = [this, spec] {
      if (spec->text().trimmed().isEmpty()) return;
      Failure error;
      if (Report(InitContest(Edit(), {}, {spec->text().trimmed()}, &error), error)) spec->clear();
    };
    connect(addButton, &QPushButton::clicked, this, addEvent);
    connect(spec, &QLineEdit::returnPressed, this, addEvent);
  }
  FillEvents();
  events_->setWindowTitle(RulebookText(RulebookTxt::EventsAction, language_).remove(QLatin1Char('&')).remove(QChar(0x2026)));
  events_->show();
  events_->raise();
}

void RulebookControls::FillEvents() {
  auto* table = events_->findChild<QTableWidget*>(QStringLiteral("eventsTable"));
  const ContestBook book = Book();
  table->setColumnCount(5);
  table->setHorizontalHeaderLabels({ColumnName(ResultsColumn::Event, language_),
                                    RulebookText(RulebookTxt::PackColumn, language_),
                                    RulebookText(RulebookTxt::ParametersColumn, language_),
                                    RulebookText(RulebookTxt::RoundsColumn, language_),
                                    RulebookText(RulebookTxt::SourceColumn, language_)});
  table->setRowCount(static_cast<int>(book.events.size()));
  int row = 0;
  for (const ContestEvent& e : book.events) {
    RulePack pack;
    const bool known = EventPack(e, packs_, pack, nullptr);
    SetRow(*table, row++, {e.id, known ? pack.title : e.pack, ParametersText(e.parameters),
                           known ? QString::number(pack.rounds) : QString(),
                           known ? pack.document + QStringLiteral(", ") + pack.ruleNumbers : QString()});
  }
  table->resizeColumnsToContents();
}

void RulebookControls::onDecide() {
  if (!Packs()) return;
  if (!decide_) {
    decide_ = new QDialog(&host_.Frame());
    decide_->setObjectName(QStringLiteral("decideDialog"));
    decide_->setAttribute(Qt::WA_DeleteOnClose);
    auto* form = new QFormLayout(decide_);
    auto* flight = new QComboBox(decide_);
    flight->setObjectName(QStringLiteral("decideFlightBox"));
    auto* status = new QComboBox(decide_);
    status->setObjectName(QStringLiteral("decideStatusBox"));
    auto* reason = new QLineEdit(decide_);
    reason->setObjectName(QStringLiteral("decideReasonEdit"));
    auto* by = new QLineEdit(decide_);
    by->setObjectName(QStringLiteral("decideByEdit"));
    auto* record = new QPushButton(RulebookText(RulebookTxt::DecideButton, language_), decide_);
    record->setObjectName(QStringLiteral("decideButton"));
    form->addRow(RulebookText(RulebookTxt::FlightLabel, language_), flight);
    form->addRow(RulebookText(RulebookTxt::StatusLabel, language_), status);
    form->addRow(RulebookText(RulebookTxt::ReasonLabel, language_), reason);
    form->addRow(RulebookText(RulebookTxt::ByLabel, language_), by);
    form->addRow(record);
    // The statuses are the flight's event's.
    connect(flight, &QComboBox::currentIndexChanged, this, [this, flight, status] {
      const ContestBook book = Book();
      const auto a = book.assignments.find(flight->currentData().toString());
      RulePack pack = OpenEventPack();
      if (a != book.assignments.end() && book.Event(a->second.event))
        EventPack(*book.Event(a->second.event), packs_, pack, nullptr);
      // The status chosen stays while the flight's event has it.
      const QString chosen = status->currentData().toString();
      status->clear();
      for (const StatusRule& s : pack.statuses) status->addItem(StatusWord(s.id, language_), s.id);
      if (const int at = status->findData(chosen); at >= 0) status->setCurrentIndex(at);
    });
    connect(record, &QPushButton::clicked, this, [this, flight, status, reason, by] {
      Failure error;
      if (Report(DecideFlight(Edit(), flight->currentData().toString(),
                              status->currentData().toString(), reason->text(), by->text(), &error),
                 error))
        reason->clear();
    });
  }
  FillDecide();
  decide_->setWindowTitle(RulebookText(RulebookTxt::DecideAction, language_).remove(QLatin1Char('&')).remove(QChar(0x2026)));
  decide_->show();
  decide_->raise();
}

void RulebookControls::FillDecide() {
  auto* flight = decide_->findChild<QComboBox*>(QStringLiteral("decideFlightBox"));
  const QString current = flight->currentData().toString();
  const ContestBook book = Book();
  ContestLog log;
  ReadContestLog(state_.Session().Folder(), log, nullptr);
  QSignalBlocker quiet(flight);
  flight->clear();
  // The newest first: the jury rules on what just came back.
  for (auto it = log.records.rbegin(); it != log.records.rend(); ++it) {
    QString text = it->file;
    const auto a = book.assignments.find(it->file);
    if (a != book.assignments.end())
      text += QStringLiteral("  (%1, %2)").arg(a->second.event,
                                              ColumnName(ResultsColumn::Round, language_).arg(a->second.round));
    const QString status = book.LastStatus(it->file);
    if (!status.isEmpty()) text += QStringLiteral("  ") + StatusWord(status, language_);
    flight->addItem(text, it->file);
  }
  const int at = flight->findData(current);
  flight->setCurrentIndex(at < 0 ? 0 : at);
  quiet.unblock();
  emit flight->currentIndexChanged(flight->currentIndex());  // its event's statuses
}

void RulebookControls::onResults() {
  if (!Packs()) return;
  if (!results_) {
    QTableWidget* table = nullptr;
    QHBoxLayout* row = nullptr;
    results_ = MakeDialog(&host_.Frame(), "eventResultsWindow", table, row);
    table->setObjectName(QStringLiteral("eventResultsTable"));
    auto* event = new QComboBox(results_);
    event->setObjectName(QStringLiteral("resultsEventBox"));
    auto* jury = new QLabel(results_);
    jury->setObjectName(QStringLiteral("forJuryLabel"));
    auto* workbook = new QPushButton(RulebookText(RulebookTxt::SaveWorkbookButton, language_), results_);
    workbook->setObjectName(QStringLiteral("saveWorkbookButton"));
    auto* page = new QPushButton(RulebookText(RulebookTxt::SavePageButton, language_), results_);
    page->setObjectName(QStringLiteral("savePageButton"));
    row->addWidget(event);
    row->addWidget(jury, 1);
    auto* pdf = new QPushButton(RulebookText(RulebookTxt::SavePdfButton, language_), results_);
    pdf->setObjectName(QStringLiteral("savePdfButton"));
    // The event's board for a projector: the same window full screen in large letters, with
    // the event, its rule and whether the results are provisional above the table.
    auto* heading = new QLabel(results_);
    heading->setObjectName(QStringLiteral("eventResultsHeading"));
    static_cast<QVBoxLayout*>(results_->layout())->insertWidget(0, heading);
    auto* board = new QPushButton(RulebookText(RulebookTxt::BoardButton, language_), results_);
    board->setObjectName(QStringLiteral("eventBoardButton"));
    board->setCheckable(true);
    board->setShortcut(QKeySequence(Qt::Key_F11));
    connect(board, &QPushButton::toggled, this, [this, table](bool on) {
      QFont font = results_->font();
      font.setPointSizeF(font.pointSizeF() * (on ? 2.0 : 1.0));
      table->setFont(font);
      results_->findChild<QLabel*>(QStringLiteral("eventResultsHeading"))->setFont(font);
      table->resizeColumnsToContents();
      table->resizeRowsToContents();
      on ? results_->showFullScreen() : results_->showNormal();
    });
    row->addWidget(workbook);
    row->addWidget(page);
    row->addWidget(pdf);
    row->addWidget(board);
    connect(event, &QComboBox::currentIndexChanged, this, [this] { FillResults(); });
    // kind: the spreadsheet of every event, or the page or notice-board PDF of the one shown.
    auto save = [this](FileKind kind) {
      const bool spreadsheet = kind == FileKind::Spreadsheet;
      const QString suffix = spreadsheet ? QStringLiteral(".xlsx")
                             : kind == FileKind::Pdf ? QStringLiteral(".pdf")
                                                     : QStringLiteral(".html");
      const QString path = host_.Platform().dialogs.SaveFileName(
          {{}, FileFilters(kind, language_),
           QFileInfo(state_.Session().Folder()).absoluteDir().filePath(
               QFileInfo(state_.Session().Folder()).fileName() + suffix)});
      if (path.isEmpty()) return;
      // The folder's flights as the session follows them; the contest as the log says now.
      state_.ReloadResults();
      const std::vector<FlightRecord>& flights = state_.Results().Flights();
      const ContestBook book = Book();
      std::vector<EventResults> all;
      for (const ContestEvent& e : book.events) {
        RulePack pack;
        if (EventPack(e, packs_, pack, nullptr)) all.push_back(ScoreEvent(book, e, pack, flights));
      }
      if (all.empty()) all.push_back(ScoreOpenEvent(book, flights));
      const QString wanted = results_->findChild<QComboBox*>(QStringLiteral("resultsEventBox"))->currentText();
      Failure error;
      bool ok = false;
      if (spreadsheet) {
        ok = WriteResultsWorkbook(path, state_.Session().Name(), all, book, language_, &error);
      } else {
        const EventResults* one = &all.front();
        for (const EventResults& r : all)
          if (r.event == wanted) one = &r;
        // Provisional while the session is on or anything waits for the jury.
        const QByteArray html = EventResultsHtml(*one, state_.Session().Name(),
                                                 ResultsUnsettled(*one) || state_.Active(),
                                                 QDateTime::currentDateTime(), language_);
        if (kind == FileKind::Page) {
          ok = WriteFileAtomically(path, html, &error);
        } else {
          ok = WriteEventResultsPdf(path, one->event, html, &error);
        }
      }
      if (!ok) host_.ShowFailure(error);
    };
    connect(workbook, &QPushButton::clicked, this, [save] { save(FileKind::Spreadsheet); });
    connect(page, &QPushButton::clicked, this, [save] { save(FileKind::Page); });
    connect(pdf, &QPushButton::clicked, this, [save] { save(FileKind::Pdf); });
  }
  auto* event = results_->findChild<QComboBox*>(QStringLiteral("resultsEventBox"));
  {
    const QSignalBlocker quiet(event);
    const QString current = event->currentText();
    event->clear();
    const ContestBook book = Book();
    for (const ContestEvent& e : book.events) event->addItem(e.id);
    if (book.events.empty()) event->addItem(QString::fromLatin1(kOpenEventId));
    if (event->findText(current) >= 0) event->setCurrentText(current);
  }
  FillResults();
  results_->setWindowTitle(RulebookText(RulebookTxt::EventResultsAction, language_).remove(QLatin1Char('&')).remove(QChar(0x2026)));
  results_->show();
  results_->raise();
}

void RulebookControls::FillResults() {
  auto* table = results_->findChild<QTableWidget*>(QStringLiteral("eventResultsTable"));
  auto* event = results_->findChild<QComboBox*>(QStringLiteral("resultsEventBox"));
  auto* jury = results_->findChild<QLabel*>(QStringLiteral("forJuryLabel"));
  // The flights as the session follows them (read once per change of the folder, not here).
  const std::vector<FlightRecord>& flights = state_.Results().Flights();
  const ContestBook book = Book();
  EventResults r;
  const ContestEvent* e = book.Event(event->currentText());
  RulePack pack;
  if (e && EventPack(*e, packs_, pack, nullptr))
    r = ScoreEvent(book, *e, pack, flights);
  else
    r = ScoreOpenEvent(book, flights);
  QStringList heads = {ColumnName(ResultsColumn::Place, language_),
                       ColumnName(ResultsColumn::Number, language_),
                       ColumnName(ResultsColumn::Name, language_),
                       ColumnName(ResultsColumn::Nation, language_)};
  for (int k = 1; k <= r.pack.rounds; ++k) heads << ColumnName(ResultsColumn::Round, language_).arg(k);
  heads << ColumnName(ResultsColumn::Score, language_) << ColumnName(ResultsColumn::Remarks, language_);
  table->setColumnCount(static_cast<int>(heads.size()));
  table->setHorizontalHeaderLabels(heads);
  table->setRowCount(static_cast<int>(r.rows.size()));
  int row = 0;
  for (const EventRow& x : r.rows) {
    QStringList cells = {x.place ? QString::number(x.place) + (x.tie ? QStringLiteral("=") : QString()) : QString(),
                         QString::number(x.competitor.number), x.competitor.name, x.competitor.nation};
    for (const auto& s : x.roundScores) cells << Number(s, r.pack.decimals);
    cells << Number(x.score, r.pack.decimals) << RemarksText(x.remarks, language_);
    SetRow(*table, row++, cells);
  }
  table->resizeColumnsToContents();
  table->resizeRowsToContents();
  results_->findChild<QLabel*>(QStringLiteral("eventResultsHeading"))
      ->setText(QStringLiteral("%1 — %2 — %3")
                    .arg(r.event, r.pack.title,
                         ResultsStamp(ResultsUnsettled(r) || state_.Active(),
                                      QDateTime::currentDateTime().toString(QStringLiteral("HH:mm")),
                                      language_)));
  QStringList waiting;
  for (const Remark& m : r.forJury) waiting << RemarkText(m, language_) + QStringLiteral(" (") + m.detail + QLatin1Char(')');
  jury->setText(waiting.isEmpty() ? QString()
                                  : RulebookText(RulebookTxt::ForJury, language_).arg(waiting.join(QStringLiteral("; "))));
}

}  // namespace hypsor
