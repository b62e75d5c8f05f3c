// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace hypsor {

struct SettingsRecord;

// The filter settings window: the four smoothing-filter parameters of the settings record.
// Shown modally from the main window's menu. Its fields are filled once, when it is created;
// "Zapisz"/"Save" stores them into the record, writes the settings file and closes. Its captions
// are the language's from the first showing on.
class FilterSettingsWindow : public QDialog {
  Q_OBJECT
 public:
  // saveSettings writes the settings file and reports its own failure; it returns false then.
  FilterSettingsWindow(SettingsRecord& settings, int languageIndex,
                       std::function<bool()> saveSettings, QWidget* parent = nullptr);
  // The program's language changed: the captions follow at once.
  void SetLanguage(int languageIndex);

  // The fields again from the settings record.
  void FillFromSettings();

 protected:
  void showEvent(QShowEvent* event) override;

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
  int languageIndex_;
  std::function<bool()> saveSettings_;
};

}  // namespace hypsor
