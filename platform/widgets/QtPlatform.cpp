#include "platform/widgets/QtPlatform.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace hypsor {

BoxResult QtMessageBox::Show(const QString& text, const QString& caption, BoxButtons buttons) {
  // No owner window: the box is application-modal and stands on its own on the task bar.
  QMessageBox box(
      buttons == BoxButtons::OkCancel ? QMessageBox::Question : QMessageBox::Warning, caption, text,
      buttons == BoxButtons::OkCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec() == QMessageBox::Ok ? BoxResult::Ok : BoxResult::Cancel;
}

QString QtFileDialogs::OpenFileName() {
  // Flight files carry no fixed extension: no filter. The program asks about overwriting itself.
  return QFileDialog::getOpenFileName(nullptr, {}, {}, {}, nullptr);
}

QString QtFileDialogs::SaveFileName() {
  return QFileDialog::getSaveFileName(nullptr, {}, {}, {}, nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

bool QtDocumentOpener::Open(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

}  // namespace hypsor
