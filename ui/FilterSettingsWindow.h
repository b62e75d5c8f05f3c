// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include <QDialog>

class QEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace hypsor {

struct SettingsRecord;

// The filter settings window: the four smoothing-filter parameters of the settings record.
// Shown modally from the main window's menu. Its fields are filled once, when it is created;
// "Zapisz"/"Save" stores them into the record, writes the settings file and closes.
class FilterSettingsWindow : public QDialog {
  Q_OBJECT
 public:
  // languageIndex refers to the program's live language, read whenever the window activates.
  // saveSettings writes the settings file and reports its own failure; it returns false then.
  FilterSettingsWindow(SettingsRecord& settings, const int& languageIndex,
                       std::function<bool()> saveSettings, QWidget* parent = nullptr);

  // The fields again from the settings record.
  void FillFromSettings();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplyTexts();        // captions in the current language
  void onDefaultClicked();  // default texts into the fields
  void onSaveClicked();     // store, write the settings file, close

  // Controls, top to bottom; tests find them by object name (the member name without "_").
  QLabel* preCutLabel_;
  QLineEdit* preCutField_;  // PreCutCm
  QLabel* preWindowLabel_;
  QLineEdit* preWindowField_;  // PreFilterWindow
  QLabel* finalCutLabel_;
  QLineEdit* finalCutField_;  // FinalCutCm
  QLabel* finalWindowLabel_;
  QLineEdit* finalWindowField_;  // FinalFilterWindow
  QPushButton* saveButton_;      // "Zapisz" / "Save"
  QPushButton* defaultButton_;   // "Domyslne" / "Default"

  SettingsRecord& settings_;
  const int& languageIndex_;
  std::function<bool()> saveSettings_;
};

}  // namespace hypsor
