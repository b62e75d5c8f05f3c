// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFile>
#include <QString>

namespace hypsor {

// Follows a chain of symbolic links to the name it ends at, which need not exist (a link to a
// missing file ends at that file). A relative link is read from the link's own folder. Returns
// an empty string and sets *error for a loop or a chain longer than 40 links.
QString ResolveLinks(const QString& path, QString* error);

enum class ReadOpenStatus { Ok, NotRegularFile, CannotOpen };

struct ReadOpenResult {
  ReadOpenStatus status = ReadOpenStatus::Ok;
  QString error;  // a readable reason naming the file, when status is not Ok
};

// Opens path read-only into file when, after links, it is a regular file. A FIFO, device, socket
// or folder is refused without being opened, so refusing cannot block or disturb a device.
ReadOpenResult OpenRegularFileForReading(QFile& file, const QString& path);

// The reason given when a path exists but is not a regular file.
QString NotRegularFileReason();

}  // namespace hypsor
