// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileDigest.h"

#include <QCryptographicHash>
#include <QFile>

namespace hypsor {

ReadOpenResult DigestFile(const QString& path, int headBytes, int tailBytes, FileDigest& out) {
  out = FileDigest{};
  QFile file;
  ReadOpenResult opened = OpenRegularFileForReading(file, path);
  if (opened.status != ReadOpenStatus::Ok) return opened;
  QCryptographicHash hash(QCryptographicHash::Sha256);
  constexpr qint64 kChunk = 64 * 1024;
  QByteArray chunk;
  for (;;) {
    chunk = file.read(kChunk);
    if (chunk.isEmpty()) break;
    hash.addData(chunk);
    out.size += chunk.size();
    if (out.head.size() < headBytes) out.head += chunk.left(headBytes - out.head.size());
    if (tailBytes > 0) {
      out.tail += chunk.right(tailBytes);
      if (out.tail.size() > tailBytes) out.tail = out.tail.right(tailBytes);
    }
  }
  if (file.error() != QFileDevice::NoError) {
    opened.status = ReadOpenStatus::CannotOpen;
    opened.failure = Failure::System(FailureKind::ReadFile, path, file.errorString());
    out = FileDigest{};
    return opened;
  }
  out.sha256 = QString::fromLatin1(hash.result().toHex());
  return opened;
}

QString Sha256Hex(const QByteArray& bytes) {
  return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

}  // namespace hypsor
