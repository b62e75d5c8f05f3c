#include "ui/Filtr.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "files/IntegerText.h"
#include "files/SettingsFile.h"
#include "ui/Texts.h"

namespace hypsor {

namespace {

// Fixed layout of the original window: 175 x 347, one column of captions, fields and buttons.
constexpr int kWidth = 175;
constexpr int kHeight = 347;
constexpr int kLeft = 16;
constexpr int kFieldWidth = 121;
constexpr int kRowStep = 56;  // caption, field, gap

// Texts stored when a field does not hold a valid integer. They differ on purpose from the
// defaults "Default" offers (350, 250, 8, 12).
constexpr std::int32_t kFallbackPreCut = 350;
constexpr std::int32_t kFallbackFinalCut = 350;
constexpr std::int32_t kFallbackPreWindow = 8;
constexpr std::int32_t kFallbackFinalWindow = 13;

std::int32_t FieldValue(const QLineEdit* field, std::int32_t fallback) {
  return ParseIntegerText(field->text()).value_or(fallback);
}

}  // namespace

TF_Filtr::TF_Filtr(SettingsRecord& settings, const int& languageIndex,
                   std::function<bool()> saveSettings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      languageIndex_(languageIndex),
      saveSettings_(std::move(saveSettings)) {
  setObjectName(QStringLiteral("F_Filtr"));
  setWindowTitle(QStringLiteral("Hypsor-Filtr"));
  setModal(true);
  setFixedSize(kWidth, kHeight);

  auto row = [this](int index, const char* caption, const char* text, QLabel*& label,
                    QLineEdit*& field, const char* labelName, const char* fieldName) {
    const int top = 12 + index * kRowStep;
    label = new QLabel(QString::fromLatin1(caption), this);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setGeometry(kLeft, top, kWidth - kLeft - 2, 16);
    field = new QLineEdit(QString::fromLatin1(text), this);
    field->setObjectName(QString::fromLatin1(fieldName));
    field->setGeometry(kLeft, top + 18, kFieldWidth, 21);
  };
  // Design texts; the captions are replaced at every activation, the fields by FormCreate.
  row(0, "Obciecie wstepne w [cm]", "350", Label1, Ed_Obc_Zgr, "Label1", "Ed_Obc_Zgr");
  row(1, "Filtr wstepny [4 - 20]", "8", Label2, Ed_Filtr1, "Label2", "Ed_Filtr1");
  row(2, "Obciecie dokladne w [cm]", "350", Label3, Ed_ObcDokl, "Label3", "Ed_ObcDokl");
  row(3, "Filtr dokladny [4 - 30]", "13", Label4, Ed_Filtr2, "Label4", "Ed_Filtr2");

  Button2 = new QPushButton(QStringLiteral("Zapisz"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(kLeft, 248, kFieldWidth, 33);
  Button1 = new QPushButton(QStringLiteral("Default"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(kLeft, 296, kFieldWidth, 33);
  // Enter in a field must not store and close the window behind the user's back.
  for (QPushButton* b : {Button1, Button2}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }

  setTabOrder(Ed_Obc_Zgr, Ed_Filtr1);
  setTabOrder(Ed_Filtr1, Ed_ObcDokl);
  setTabOrder(Ed_ObcDokl, Ed_Filtr2);
  setTabOrder(Ed_Filtr2, Button1);
  setTabOrder(Button1, Button2);

  connect(Button1, &QPushButton::clicked, this, &TF_Filtr::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TF_Filtr::Button2Click);

  FormCreate();
}

void TF_Filtr::FormCreate() {
  Ed_Obc_Zgr->setText(QString::number(settings_.PreCutCm));
  Ed_ObcDokl->setText(QString::number(settings_.FinalCutCm));
  Ed_Filtr1->setText(QString::number(settings_.PreFilterWindow));
  Ed_Filtr2->setText(QString::number(settings_.FinalFilterWindow));
}

void TF_Filtr::FormActivate() {
  const int lang = languageIndex_;
  Label1->setText(Text(Txt::FilterPreCut, lang));
  Label3->setText(Text(Txt::FilterFinalCut, lang));
  Label2->setText(Text(Txt::FilterPreWindow, lang));
  Label4->setText(Text(Txt::FilterFinalWindow, lang));
  Button2->setText(Text(Txt::FilterSave, lang));
  Button1->setText(Text(Txt::FilterDefault, lang));
}

void TF_Filtr::Button1Click() {
  Ed_Obc_Zgr->setText(QStringLiteral("350"));
  Ed_ObcDokl->setText(QStringLiteral("250"));
  Ed_Filtr1->setText(QStringLiteral("8"));
  Ed_Filtr2->setText(QStringLiteral("12"));
}

void TF_Filtr::Button2Click() {
  settings_.PreCutCm = FieldValue(Ed_Obc_Zgr, kFallbackPreCut);
  settings_.FinalCutCm = FieldValue(Ed_ObcDokl, kFallbackFinalCut);
  settings_.PreFilterWindow = FieldValue(Ed_Filtr1, kFallbackPreWindow);
  settings_.FinalFilterWindow = FieldValue(Ed_Filtr2, kFallbackFinalWindow);
  // The values count from the next filter press even if the file cannot be written; the window
  // then stays open (the save has shown why) so the user can try again or close it.
  if (saveSettings_ && !saveSettings_()) return;
  accept();
}

void TF_Filtr::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormActivate();
}

void TF_Filtr::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

}  // namespace hypsor
