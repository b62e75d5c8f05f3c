// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegularFile.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace hypsor {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel allows before ELOOP

ReadOpenResult Refused(const QString& path) {
  return {ReadOpenStatus::NotRegularFile,
          Failure::Of(FailureKind::OpenFile, path, FailureReason::NotRegularFile)};
}

ReadOpenResult CannotOpen(const QString& path, const QString& reason, int code = 0) {
  return {ReadOpenStatus::CannotOpen, Failure::System(FailureKind::OpenFile, path, reason, code)};
}

}  // namespace

QString ResolveLinks(const QString& path) {
  QString current = path;
  for (int k = 0; k <= kMaxLinks; ++k) {
    const QFileInfo info(current);
    if (!info.isSymLink()) return current;
    // QFileInfo makes a relative target absolute against the link's folder.
    const QString target = info.symLinkTarget();
    if (target.isEmpty()) break;
    current = target;
  }
  return {};
}

#ifdef Q_OS_UNIX

ReadOpenResult OpenRegularFileForReading(QFile& file, const QString& path) {
  auto systemFailure = [&path] {
    const int code = errno;
    return CannotOpen(path, QString::fromLocal8Bit(std::strerror(code)), code);
  };
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  if (::stat(native.constData(), &st) != 0) return systemFailure();
  if (!S_ISREG(st.st_mode)) return Refused(path);
  // Non-blocking, and checked again on the open descriptor: whatever is swapped in after the
  // check above is refused without waiting for a writer.
  const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return systemFailure();
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Refused(path);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return CannotOpen(path, file.errorString());
  }
  return {};
}

#else

ReadOpenResult OpenRegularFileForReading(QFile& file, const QString& path) {
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) return Refused(path);
  file.setFileName(path);
  if (!file.open(QIODevice::ReadOnly)) return CannotOpen(path, file.errorString());
  return {};
}

#endif

}  // namespace hypsor
