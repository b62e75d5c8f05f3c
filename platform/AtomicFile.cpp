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

Failure LinkLoop(const QString& path) {
  return Failure::Of(FailureKind::WriteFile, path, FailureReason::LinkLoop);
}

Failure NotRegularTarget(const QString& path) {
  return Failure::Of(FailureKind::WriteFile, path, FailureReason::NotRegularLeftAlone);
}

Failure NameTaken(const QString& path) {
  return Failure::Of(FailureKind::NameTaken, path);
}

struct Outcome {
  Failure* error;
  WriteFailure* failure;
  bool Fail(WriteFailure kind, Failure what) const {
    if (failure) *failure = kind;
    return hypsor::Fail(error, std::move(what));
  }
};

}  // namespace

bool CheckSaveTarget(const QString& path, Failure* error) {
  const QString target = ResolveLinks(path);
  if (target.isEmpty()) return Fail(error, LinkLoop(path));
  const QFileInfo info(target);
  if (!info.exists() || info.isFile()) return true;
  return Fail(error, NotRegularTarget(path));
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

// What the system says of the last call, with errno kept for the wording.
Failure SystemFailure(FailureKind kind, const QString& path) {
  const int code = errno;
  return Failure::System(kind, path, QString::fromLocal8Bit(std::strerror(code)), code);
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

// Both writers: the data goes to a fresh temporary beside the target and is flushed; then it is
// renamed over the target (replace) or linked to the target's name, which fails when the name
// exists, and the temporary name removed.
bool WriteThroughTemporary(const QString& path, const QByteArray& data, const Outcome& out,
                           bool replace) {
  if (out.failure) *out.failure = WriteFailure::None;
  auto cannotWrite = [&path] { return SystemFailure(FailureKind::WriteFile, path); };

  struct stat st {};
  if (!replace) {
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0)
      return out.Fail(WriteFailure::Exists, NameTaken(path));
    if (errno != ENOENT) return out.Fail(WriteFailure::Failed, cannotWrite());
  }
  const QString target = ResolveLinks(path);
  if (target.isEmpty()) return out.Fail(WriteFailure::Failed, LinkLoop(path));
  const QByteArray nativeTarget = QFile::encodeName(target);
  const Failure notRegular = NotRegularTarget(path);

  bool exists = false;
  if (::lstat(nativeTarget.constData(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return out.Fail(WriteFailure::NotRegularFile, notRegular);
    exists = true;
  } else if (errno != ENOENT) {
    return out.Fail(WriteFailure::Failed, cannotWrite());
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
    return out.Fail(WriteFailure::Failed, SystemFailure(FailureKind::CreateFile, path));

  auto abandon = [&](WriteFailure kind, Failure what) {
    if (fd >= 0) ::close(fd);
    ::unlink(nativeTemp.constData());
    return out.Fail(kind, std::move(what));
  };
  // Best effort: someone else's file keeps its mode even if we may not set it.
  if (exists) (void)::fchmod(fd, st.st_mode & 07777);
  if (!WriteAll(fd, data.constData(), data.size()) || ::fsync(fd) != 0)
    return abandon(WriteFailure::Failed, cannotWrite());
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return abandon(WriteFailure::Failed, cannotWrite());
  // Something other than a file may have taken the name while we wrote.
  if (::lstat(nativeTarget.constData(), &st) == 0 && !S_ISREG(st.st_mode))
    return abandon(WriteFailure::NotRegularFile, notRegular);
  if (replace) {
    if (::rename(nativeTemp.constData(), nativeTarget.constData()) != 0)
      return abandon(WriteFailure::Failed, cannotWrite());
  } else {
    if (::link(nativeTemp.constData(), nativeTarget.constData()) != 0) {
      return errno == EEXIST ? abandon(WriteFailure::Exists, NameTaken(path))
                             : abandon(WriteFailure::Failed, cannotWrite());
    }
    ::unlink(nativeTemp.constData());
  }
  if (!SyncFolder(folder)) return out.Fail(WriteFailure::Failed, cannotWrite());
  return true;
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& data, Failure* error,
                         WriteFailure* failure) {
  return WriteThroughTemporary(path, data, Outcome{error, failure}, true);
}

bool CreateFileAtomically(const QString& path, const QByteArray& data, Failure* error,
                          WriteFailure* failure) {
  return WriteThroughTemporary(path, data, Outcome{error, failure}, false);
}

#else

bool WriteFileAtomically(const QString& path, const QByteArray& data, Failure* error,
                         WriteFailure* failure) {
  const Outcome out{error, failure};
  if (failure) *failure = WriteFailure::None;
  const QString target = ResolveLinks(path);
  if (target.isEmpty()) return out.Fail(WriteFailure::Failed, LinkLoop(path));
  const QFileInfo info(target);
  if (info.exists() && !info.isFile())
    return out.Fail(WriteFailure::NotRegularFile, NotRegularTarget(path));
  // Here the temporary file is QSaveFile's own, and durability is what it provides.
  QSaveFile file(target);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
    return out.Fail(WriteFailure::Failed,
                    Failure::System(FailureKind::WriteFile, path, file.errorString()));
  return true;
}

// Without a link call the check and the rename are two steps: enough for one writer per folder.
bool CreateFileAtomically(const QString& path, const QByteArray& data, Failure* error,
                          WriteFailure* failure) {
  if (QFileInfo(path).exists() || QFileInfo(path).isSymLink()) {
    if (failure) *failure = WriteFailure::Exists;
    return Fail(error, NameTaken(path));
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
