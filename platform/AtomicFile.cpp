// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include "platform/RegularFile.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#else
#include <QSaveFile>

#include <io.h>
#endif

namespace hypsor {

namespace {

constexpr QStringView kTemporaryMark = u".tmp";
constexpr int kRandomLength = 6;
// Room for the dot, the mark and the random part within a 255-byte file name.
constexpr int kMaxTemporaryBaseBytes = 200;

QString TemporaryName(const QString& fileName) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QString base = fileName;
  while (base.toUtf8().size() > kMaxTemporaryBaseBytes) base.chop(1);
  QString name = QLatin1Char('.') + base + kTemporaryMark.toString();
  for (int k = 0; k < kRandomLength; ++k)
    name += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet) - 1)]);
  return name;
}

QString CannotWrite(const QString& path, const QString& reason) {
  return QStringLiteral("Cannot write file %1: %2").arg(path, reason);
}

QString NotRegularTarget(const QString& path) {
  return CannotWrite(path, NotRegularFileReason() + QStringLiteral(" (left as it is)"));
}

struct Outcome {
  QString* error;
  WriteFailure* failure;
  bool Fail(WriteFailure kind, const QString& text) const {
    if (error) *error = text;
    if (failure) *failure = kind;
    return false;
  }
};

}  // namespace

bool CheckSaveTarget(const QString& path, QString* error) {
  QString reason;
  const QString target = ResolveLinks(path, &reason);
  if (target.isEmpty()) {
    if (error) *error = CannotWrite(path, reason);
    return false;
  }
  const QFileInfo info(target);
  if (!info.exists() || info.isFile()) return true;
  if (error) *error = NotRegularTarget(path);
  return false;
}

bool IsTemporarySaveName(QStringView name) {
  const qsizetype tail = kTemporaryMark.size() + kRandomLength;
  if (name.size() < 2 + tail || name[0] != u'.') return false;
  if (name.mid(name.size() - tail, kTemporaryMark.size()) != kTemporaryMark) return false;
  for (QChar c : name.last(kRandomLength)) {
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
      return false;
  }
  return true;
}

#ifdef Q_OS_UNIX

namespace {

QString SystemReason() {
  return QString::fromLocal8Bit(std::strerror(errno));
}

bool WriteAll(int fd, const char* data, qsizetype size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

// The rename is durable only once the folder's entry is on the disk too. File systems that
// cannot sync a folder say EINVAL; there is nothing more to do on them.
bool SyncFolder(const QString& folder) {
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  const int saved = errno;
  ::close(fd);
  errno = saved;
  return ok;
}

QString NameTaken(const QString& path) {
  return QStringLiteral("Cannot create file %1: the name is taken").arg(path);
}

// Both writers: the data goes to a fresh temporary beside the target and is flushed; then it is
// renamed over the target (replace) or linked to the target's name, which fails when the name
// exists, and the temporary name removed.
bool WriteThroughTemporary(const QString& path, const QByteArray& data, const Outcome& out,
                           bool replace) {
  if (out.failure) *out.failure = WriteFailure::None;
  auto cannotWrite = [&path](const QString& reason) { return CannotWrite(path, reason); };

  struct stat st {};
  if (!replace) {
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0)
      return out.Fail(WriteFailure::Exists, NameTaken(path));
    if (errno != ENOENT) return out.Fail(WriteFailure::Failed, cannotWrite(SystemReason()));
  }
  QString linkError;
  const QString target = ResolveLinks(path, &linkError);
  if (target.isEmpty()) return out.Fail(WriteFailure::Failed, cannotWrite(linkError));
  const QByteArray nativeTarget = QFile::encodeName(target);
  const QString notRegular = NotRegularTarget(path);

  bool exists = false;
  if (::lstat(nativeTarget.constData(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return out.Fail(WriteFailure::NotRegularFile, notRegular);
    exists = true;
  } else if (errno != ENOENT) {
    return out.Fail(WriteFailure::Failed, cannotWrite(SystemReason()));
  }

  const QFileInfo info(target);
  const QString folder = info.absolutePath();
  QByteArray nativeTemp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    nativeTemp = QFile::encodeName(folder + QLatin1Char('/') + TemporaryName(info.fileName()));
    fd = ::open(nativeTemp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0)
    return out.Fail(WriteFailure::Failed,
                    QStringLiteral("Cannot create file %1: %2").arg(path, SystemReason()));

  auto abandon = [&](WriteFailure kind, const QString& text) {
    if (fd >= 0) ::close(fd);
    ::unlink(nativeTemp.constData());
    return out.Fail(kind, text);
  };
  // Best effort: someone else's file keeps its mode even if we may not set it.
  if (exists) (void)::fchmod(fd, st.st_mode & 07777);
  if (!WriteAll(fd, data.constData(), data.size()) || ::fsync(fd) != 0)
    return abandon(WriteFailure::Failed, cannotWrite(SystemReason()));
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return abandon(WriteFailure::Failed, cannotWrite(SystemReason()));
  // Something other than a file may have taken the name while we wrote.
  if (::lstat(nativeTarget.constData(), &st) == 0 && !S_ISREG(st.st_mode))
    return abandon(WriteFailure::NotRegularFile, notRegular);
  if (replace) {
    if (::rename(nativeTemp.constData(), nativeTarget.constData()) != 0)
      return abandon(WriteFailure::Failed, cannotWrite(SystemReason()));
  } else {
    if (::link(nativeTemp.constData(), nativeTarget.constData()) != 0) {
      return errno == EEXIST ? abandon(WriteFailure::Exists, NameTaken(path))
                             : abandon(WriteFailure::Failed, cannotWrite(SystemReason()));
    }
    ::unlink(nativeTemp.constData());
  }
  if (!SyncFolder(folder)) return out.Fail(WriteFailure::Failed, cannotWrite(SystemReason()));
  return true;
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error,
                         WriteFailure* failure) {
  return WriteThroughTemporary(path, data, Outcome{error, failure}, true);
}

bool CreateFileAtomically(const QString& path, const QByteArray& data, QString* error,
                          WriteFailure* failure) {
  return WriteThroughTemporary(path, data, Outcome{error, failure}, false);
}

#else

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error,
                         WriteFailure* failure) {
  const Outcome out{error, failure};
  if (failure) *failure = WriteFailure::None;
  QString linkError;
  const QString target = ResolveLinks(path, &linkError);
  if (target.isEmpty()) return out.Fail(WriteFailure::Failed, CannotWrite(path, linkError));
  const QFileInfo info(target);
  if (info.exists() && !info.isFile())
    return out.Fail(WriteFailure::NotRegularFile, NotRegularTarget(path));
  // Here the temporary file is QSaveFile's own, and durability is what it provides.
  QSaveFile file(target);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
    return out.Fail(WriteFailure::Failed, CannotWrite(path, file.errorString()));
  return true;
}

// Without a link call the check and the rename are two steps: enough for one writer per folder.
bool CreateFileAtomically(const QString& path, const QByteArray& data, QString* error,
                          WriteFailure* failure) {
  if (QFileInfo(path).exists() || QFileInfo(path).isSymLink()) {
    if (error) *error = QStringLiteral("Cannot create file %1: the name is taken").arg(path);
    if (failure) *failure = WriteFailure::Exists;
    return false;
  }
  return WriteFileAtomically(path, data, error, failure);
}

#endif

bool SyncFile(QFileDevice& file) {
#ifdef Q_OS_UNIX
  return ::fsync(file.handle()) == 0;
#else
  return ::_commit(file.handle()) == 0;
#endif
}

}  // namespace hypsor
