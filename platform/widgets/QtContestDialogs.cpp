// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/QtContestDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "contest/ContestSession.h"
#include "text/Texts.h"

namespace hypsor {

std::optional<ContestChoice> QtContestDialog::AskContest(const ContestChoice& suggestion,
                                                         int language) {
  QDialog dialog;
  dialog.setWindowTitle(Text(Txt::ContestDialogCaption, language));
  auto* folder = new QLineEdit(suggestion.folder);
  folder->setObjectName(QStringLiteral("contestFolderField"));
  folder->setMinimumWidth(360);
  auto* browse = new QPushButton(Text(Txt::ContestBrowse, language));
  auto* name = new QLineEdit(suggestion.name);
  name->setObjectName(QStringLiteral("contestNameField"));
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder);
  folderRow->addWidget(browse);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* form = new QFormLayout(&dialog);
  form->addRow(Text(Txt::ContestFolderLabel, language), folderRow);
  form->addRow(Text(Txt::ContestNameLabel, language), name);
  form->addRow(buttons);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    const QString chosen = QFileDialog::getExistingDirectory(&dialog, {}, folder->text());
    if (chosen.isEmpty()) return;
    folder->setText(chosen);
    // A folder used before resumes: its contest's name comes with it.
    const QString stored = StoredContestName(chosen);
    if (!stored.isEmpty()) name->setText(stored);
  });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted || folder->text().trimmed().isEmpty()) return std::nullopt;
  return ContestChoice{folder->text().trimmed(), name->text().trimmed()};
}

bool QtPrintService::Print(const QString& documentName,
                           const std::function<void(QPagedPaintDevice&)>& paint) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(documentName);
  QPrintDialog dialog(&printer);
  if (dialog.exec() != QDialog::Accepted) return false;
  paint(printer);
  return printer.printerState() != QPrinter::Error;
}

}  // namespace hypsor
