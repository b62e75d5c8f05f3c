#pragma once
#include <QByteArray>
#include <QString>

namespace hypsor {

// Writes data to a temporary file in the target's folder and renames it over the target, so a
// failure (full disk, no permission, crash) leaves any existing file whole. On failure returns
// false and puts a readable reason, naming the file, into *error.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error);

}  // namespace hypsor
