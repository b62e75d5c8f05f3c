// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include <QSqlQueryModel>
#include <QWidget>

#include "logbook/Logbook.h"
#include "logbook/LogbookAdd.h"
#include "text/LogbookText.h"

class QCheckBox;
class QComboBox;
class QCustomPlot;
class QProgressDialog;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTableWidget;

namespace hypsor {

class FileDialogService;

// The flights of a logbook as the table shows them: a model over the query, which fetches rows
// as the view scrolls to them (never the whole season at once). Rocket, motor, site and note are
// edited in place; an edit is written to the logbook and the query run again.
class LogbookModel : public QSqlQueryModel {
  Q_OBJECT
 public:
  enum Column { Date, Apogee, Competitor, Rocket, Motor, Site, Note, Flags, State, File, Sha256 };
  // Tags are written through logbook; rows are read through reader, a connection of their own,
  // so that rows not fetched yet never hold a snapshot in the way of a change.
  LogbookModel(Logbook& logbook, const Logbook& reader, QObject* parent = nullptr);
  void SetFilter(const LogbookFilter& filter);
  void SetLanguage(int language);
  void Refresh();
  QString Sha256At(int row) const;

  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // A tag written: the filters' choices and the statistics follow.
 signals:
  void tagsChanged();

 public:
  // A tag that could not be written, for the window to report.
  std::function<void(const Failure&)> onFailure;

 private:
  Logbook& logbook_;
  const Logbook& reader_;
  LogbookFilter filter_;
  int language_ = 0;
};

// File → Logbook…: the flights of the logbook with a search line and filters, tags edited in
// place, files and folders added by the buttons or dropped on the window (with progress and
// Cancel), and the statistics per rocket or motor with the apogee over the season.
class LogbookWindow : public QWidget {
  Q_OBJECT
 public:
  LogbookWindow(FileDialogService& dialogs, std::function<void(const Failure&)> report,
                QWidget* parent = nullptr);
  ~LogbookWindow() override;

  // Opens the logbook at path; a failure is reported (once) and the window stays empty.
  bool OpenLogbook(const QString& path);
  bool IsOpen() const { return logbook_.IsOpen(); }
  // Adds files and folders a batch at a time from the event loop, with a progress box that can
  // cancel; the refused are summed up when it ends. One add at a time.
  void AddPaths(const QStringList& paths);
  bool Adding() const { return progress_ != nullptr; }
  // Adds one file quietly (a flight just opened or saved); false when it was not added.
  bool AddQuietly(const QString& path);
  void ApplyLanguage(int language);
  LogbookModel& Model() { return *model_; }
  // The preference shown in the window: flights opened and saved added on their own.
  void SetAutoAdd(bool on, std::function<void(bool)> changed);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QString T(LogbookTxt id) const { return LogbookText(id, language_); }
  void Reload();  // the filters' choices, the table and the statistics
  void ApplyFilter();
  void FillChoices(QComboBox* box, const QString& column);
  void DrawStatistics();
  void AddNextBatch();

  FileDialogService& dialogs_;
  std::function<void(const Failure&)> report_;
  Logbook logbook_;
  Logbook reader_;
  LogbookModel* model_;
  int language_ = 0;
  QTabWidget* tabs_;
  QLineEdit* search_;
  QLabel *rocketLabel_, *motorLabel_, *siteLabel_;
  QComboBox *rocket_, *motor_, *site_;
  QCheckBox *fromOn_, *toOn_;
  QDateEdit *from_, *to_;
  QPushButton *addFiles_, *addFolder_;
  QCheckBox* autoAdd_;
  QTableView* table_;
  QLabel* summary_;
  QLabel* groupLabel_;
  QComboBox* groupBy_;
  QTableWidget* statistics_;
  QCustomPlot* season_;
  // The add in progress: the files still to add, how many there were, what came of it so far.
  QProgressDialog* progress_ = nullptr;
  QStringList pending_;
  int total_ = 0;
  LogbookAddOutcome added_;
  Failure addFailure_;
};

}  // namespace hypsor
