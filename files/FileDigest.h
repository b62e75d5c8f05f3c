// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

#include "platform/RegularFile.h"

namespace hypsor {

// One pass over a stored file: the SHA-256 of all its bytes, and its first and last bytes.
struct FileDigest {
  QString sha256;   // 64 lower-case hexadecimal digits
  QByteArray head;  // the first headBytes bytes (fewer for a shorter file)
  QByteArray tail;  // the last tailBytes bytes (fewer for a shorter file)
  qint64 size = 0;
};

// Reads path (a regular file after links; anything else is refused unopened) to its end.
// On failure the status says why and the failure names the file.
ReadOpenResult DigestFile(const QString& path, int headBytes, int tailBytes, FileDigest& out);

// The SHA-256 of bytes as 64 lower-case hexadecimal digits.
QString Sha256Hex(const QByteArray& bytes);

}  // namespace hypsor
