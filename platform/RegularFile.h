// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFile>
#include <QString>

#include "platform/Failure.h"

namespace hypsor {

// Follows a chain of symbolic links to the name it ends at, which need not exist (a link to a
// missing file ends at that file). A relative link is read from the link's own folder. Returns
// an empty string for a loop or a chain longer than 40 links.
QString ResolveLinks(const QString& path);

enum class ReadOpenStatus { Ok, NotRegularFile, CannotOpen };

struct ReadOpenResult {
  ReadOpenStatus status = ReadOpenStatus::Ok;
  Failure failure;  // when status is not Ok: OpenFile or ReadFile, naming the file
};

// Opens path read-only into file when, after links, it is a regular file. A FIFO, device, socket
// or folder is refused without being opened, so refusing cannot block or disturb a device.
ReadOpenResult OpenRegularFileForReading(QFile& file, const QString& path);

}  // namespace hypsor
