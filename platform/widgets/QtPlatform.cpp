// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/QtPlatform.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QMessageBox>
#include <QSpinBox>
#include <QUrl>

namespace hypsor {

BoxResult QtMessageBox::Show(const QString& text, const QString& caption, BoxButtons buttons,
                             BoxKind kind) {
  QMessageBox::Icon icon =
      kind == BoxKind::Success ? QMessageBox::Information : QMessageBox::Warning;
  QMessageBox::StandardButtons choices = QMessageBox::Ok;
  if (buttons != BoxButtons::Ok) icon = QMessageBox::Question;
  if (buttons == BoxButtons::OkCancel) choices = QMessageBox::Ok | QMessageBox::Cancel;
  if (buttons == BoxButtons::YesNo) choices = QMessageBox::Yes | QMessageBox::No;
  // No owner window: the box is application-modal and stands on its own on the task bar.
  QMessageBox box(icon, caption, text, choices);
  box.setWindowModality(Qt::ApplicationModal);
  const int answer = box.exec();
  return answer == QMessageBox::Ok || answer == QMessageBox::Yes ? BoxResult::Ok
                                                                 : BoxResult::Cancel;
}

QString QtFileDialogs::OpenFileName(const FileRequest& request) {
  QString selected = request.filters.value(0);
  return QFileDialog::getOpenFileName(nullptr, request.caption, request.suggestedPath,
                                      request.filters.join(QStringLiteral(";;")), &selected);
}

QString QtFileDialogs::SaveFileName(const FileRequest& request) {
  // The program asks about overwriting itself.
  QString selected = request.filters.value(0);
  return QFileDialog::getSaveFileName(nullptr, request.caption, request.suggestedPath,
                                      request.filters.join(QStringLiteral(";;")), &selected,
                                      QFileDialog::DontConfirmOverwrite);
}

QString QtFileDialogs::FolderName() {
  return QFileDialog::getExistingDirectory();
}

QString QtFileDialogs::ExportFileName(const ExportRequest& request) {
  QString selected = request.filters.value(0);
  return QFileDialog::getSaveFileName(nullptr, request.caption, request.suggestedPath,
                                      request.filters.join(QStringLiteral(";;")), &selected);
}

std::optional<QSize> QtFileDialogs::ChartSize(const SizeRequest& request) {
  QDialog dialog;
  dialog.setWindowTitle(request.caption);
  auto* form = new QFormLayout(&dialog);
  auto* windowSize = new QCheckBox(QStringLiteral("%1 (%2 \u00d7 %3)")
                                       .arg(request.windowSizeText)
                                       .arg(request.windowSize.width())
                                       .arg(request.windowSize.height()));
  windowSize->setChecked(true);
  auto spin = [&](int value) {
    auto* box = new QSpinBox;
    box->setRange(16, 16384);
    box->setValue(value);
    box->setEnabled(false);
    QObject::connect(windowSize, &QCheckBox::toggled, box,
                     [box](bool on) { box->setEnabled(!on); });
    return box;
  };
  QSpinBox* width = spin(request.windowSize.width());
  QSpinBox* height = spin(request.windowSize.height());
  form->addRow(windowSize);
  form->addRow(request.widthText, width);
  form->addRow(request.heightText, height);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  if (windowSize->isChecked()) return request.windowSize;
  return QSize(width->value(), height->value());
}

bool QtDocumentOpener::Open(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

}  // namespace hypsor
