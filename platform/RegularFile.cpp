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

QString CannotOpen(const QString& path, const QString& reason) {
  return QStringLiteral("Cannot open file %1: %2").arg(path, reason);
}

}  // namespace

QString NotRegularFileReason() {
  return QStringLiteral("it is not a regular file");
}

QString ResolveLinks(const QString& path, QString* error) {
  QString current = path;
  for (int k = 0; k <= kMaxLinks; ++k) {
    const QFileInfo info(current);
    if (!info.isSymLink()) return current;
    // QFileInfo makes a relative target absolute against the link's folder.
    const QString target = info.symLinkTarget();
    if (target.isEmpty()) break;
    current = target;
  }
  if (error) *error = QStringLiteral("too many levels of symbolic links");
  return {};
}

#ifdef Q_OS_UNIX

ReadOpenResult OpenRegularFileForReading(QFile& file, const QString& path) {
  ReadOpenResult r;
  auto fail = [&](ReadOpenStatus status, const QString& reason) {
    r.status = status;
    r.error = CannotOpen(path, reason);
    return r;
  };
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  if (::stat(native.constData(), &st) != 0)
    return fail(ReadOpenStatus::CannotOpen, QString::fromLocal8Bit(std::strerror(errno)));
  if (!S_ISREG(st.st_mode)) return fail(ReadOpenStatus::NotRegularFile, NotRegularFileReason());
  // Non-blocking, and checked again on the open descriptor: whatever is swapped in after the
  // check above is refused without waiting for a writer.
  const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return fail(ReadOpenStatus::CannotOpen, QString::fromLocal8Bit(std::strerror(errno)));
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail(ReadOpenStatus::NotRegularFile, NotRegularFileReason());
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return fail(ReadOpenStatus::CannotOpen, file.errorString());
  }
  return r;
}

#else

ReadOpenResult OpenRegularFileForReading(QFile& file, const QString& path) {
  ReadOpenResult r;
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) {
    r.status = ReadOpenStatus::NotRegularFile;
    r.error = CannotOpen(path, NotRegularFileReason());
    return r;
  }
  file.setFileName(path);
  if (!file.open(QIODevice::ReadOnly)) {
    r.status = ReadOpenStatus::CannotOpen;
    r.error = CannotOpen(path, file.errorString());
  }
  return r;
}

#endif

}  // namespace hypsor
