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
class TF_Filtr : public QDialog {
  Q_OBJECT
 public:
  // languageIndex refers to the program's live language, read whenever the window activates.
  // saveSettings writes the settings file and reports its own failure; it returns false then.
  TF_Filtr(SettingsRecord& settings, const int& languageIndex, std::function<bool()> saveSettings,
           QWidget* parent = nullptr);

  // Handlers, named as in the window's design.
  void FormCreate();    // fields from the settings
  void FormActivate();  // captions in the current language
  void Button1Click();  // default texts into the fields
  void Button2Click();  // store, write the settings file, close

  // Controls, top to bottom.
  QLabel* Label1;
  QLineEdit* Ed_Obc_Zgr;  // PreCutCm
  QLabel* Label2;
  QLineEdit* Ed_Filtr1;  // PreFilterWindow
  QLabel* Label3;
  QLineEdit* Ed_ObcDokl;  // FinalCutCm
  QLabel* Label4;
  QLineEdit* Ed_Filtr2;  // FinalFilterWindow
  QPushButton* Button2;  // "Zapisz" / "Save"
  QPushButton* Button1;  // "Domyslne" / "Default"

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  SettingsRecord& settings_;
  const int& languageIndex_;
  std::function<bool()> saveSettings_;
};

}  // namespace hypsor
