// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FilterSettingsWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "files/IntegerText.h"
#include "files/SettingsFile.h"
#include "text/Texts.h"
#include "ui/DesignFont.h"

namespace hypsor {

namespace {

// The window's fixed layout: 175 x 347, one column of captions, fields and buttons.
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

FilterSettingsWindow::FilterSettingsWindow(SettingsRecord& settings, int languageIndex,
                                           std::function<bool()> saveSettings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      languageIndex_(languageIndex),
      saveSettings_(std::move(saveSettings)) {
  setObjectName(QStringLiteral("filterSettingsWindow"));
  setWindowTitle(QStringLiteral("Hypsor-Filtr"));
  setModal(true);
  setFixedSize(kWidth, kHeight);
  setFont(DesignFont());

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
  // Design texts; the captions are replaced when shown, the fields by FillFromSettings.
  row(0, "Obciecie wstepne w [cm]", "350", preCutLabel_, preCutField_, "preCutLabel",
      "preCutField");
  row(1, "Filtr wstepny [4 - 20]", "8", preWindowLabel_, preWindowField_, "preWindowLabel",
      "preWindowField");
  row(2, "Obciecie dokladne w [cm]", "350", finalCutLabel_, finalCutField_, "finalCutLabel",
      "finalCutField");
  row(3, "Filtr dokladny [4 - 30]", "13", finalWindowLabel_, finalWindowField_, "finalWindowLabel",
      "finalWindowField");

  saveButton_ = new QPushButton(QStringLiteral("Zapisz"), this);
  saveButton_->setObjectName(QStringLiteral("saveButton"));
  saveButton_->setGeometry(kLeft, 248, kFieldWidth, 33);
  defaultButton_ = new QPushButton(QStringLiteral("Default"), this);
  defaultButton_->setObjectName(QStringLiteral("defaultButton"));
  defaultButton_->setGeometry(kLeft, 296, kFieldWidth, 33);
  // Enter in a field must not store and close the window behind the user's back.
  for (QPushButton* b : {defaultButton_, saveButton_}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }

  setTabOrder(preCutField_, preWindowField_);
  setTabOrder(preWindowField_, finalCutField_);
  setTabOrder(finalCutField_, finalWindowField_);
  setTabOrder(finalWindowField_, defaultButton_);
  setTabOrder(defaultButton_, saveButton_);

  connect(defaultButton_, &QPushButton::clicked, this, &FilterSettingsWindow::onDefaultClicked);
  connect(saveButton_, &QPushButton::clicked, this, &FilterSettingsWindow::onSaveClicked);

  FillFromSettings();
}

void FilterSettingsWindow::FillFromSettings() {
  preCutField_->setText(QString::number(settings_.PreCutCm));
  finalCutField_->setText(QString::number(settings_.FinalCutCm));
  preWindowField_->setText(QString::number(settings_.PreFilterWindow));
  finalWindowField_->setText(QString::number(settings_.FinalFilterWindow));
}

void FilterSettingsWindow::SetLanguage(int languageIndex) {
  languageIndex_ = languageIndex;
  ApplyTexts();
}

void FilterSettingsWindow::ApplyTexts() {
  const int lang = languageIndex_;
  preCutLabel_->setText(Text(Txt::FilterPreCut, lang));
  finalCutLabel_->setText(Text(Txt::FilterFinalCut, lang));
  preWindowLabel_->setText(Text(Txt::FilterPreWindow, lang));
  finalWindowLabel_->setText(Text(Txt::FilterFinalWindow, lang));
  saveButton_->setText(Text(Txt::FilterSave, lang));
  defaultButton_->setText(Text(Txt::FilterDefault, lang));
}

void FilterSettingsWindow::onDefaultClicked() {
  preCutField_->setText(QStringLiteral("350"));
  finalCutField_->setText(QStringLiteral("250"));
  preWindowField_->setText(QStringLiteral("8"));
  finalWindowField_->setText(QStringLiteral("12"));
}

void FilterSettingsWindow::onSaveClicked() {
  settings_.PreCutCm = FieldValue(preCutField_, kFallbackPreCut);
  settings_.FinalCutCm = FieldValue(finalCutField_, kFallbackFinalCut);
  settings_.PreFilterWindow = FieldValue(preWindowField_, kFallbackPreWindow);
  settings_.FinalFilterWindow = FieldValue(finalWindowField_, kFallbackFinalWindow);
  // The values count from the next filter press even if the file cannot be written; the window
  // then stays open (the save has shown why) so the user can try again or close it.
  if (saveSettings_ && !saveSettings_()) return;
  accept();
}

void FilterSettingsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ApplyTexts();
}

}  // namespace hypsor
