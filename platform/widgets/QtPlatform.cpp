#include "platform/widgets/QtPlatform.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
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
