#include "platform/AtomicFile.h"

#include <QSaveFile>

namespace hypsor {

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error) {
  QSaveFile file(path);
  // Never fall back to writing the target in place: that is what could tear it.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = QStringLiteral("Cannot create file %1: %2").arg(path, file.errorString());
    return false;
  }
  if (file.write(data) != data.size()) {
    if (error) *error = QStringLiteral("Cannot write file %1: %2").arg(path, file.errorString());
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    if (error) *error = QStringLiteral("Cannot write file %1: %2").arg(path, file.errorString());
    return false;
  }
  return true;
}

}  // namespace hypsor
