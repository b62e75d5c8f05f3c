// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FlightFile.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

namespace hypsor {

FlightFileResult LoadFlightFile(const QString& path, Flight& into) {
  FlightFileResult result;
  QFile file;
  const ReadOpenResult opened = OpenRegularFileForReading(file, path);
  if (opened.status != ReadOpenStatus::Ok) {
    result.status = opened.status == ReadOpenStatus::NotRegularFile
                        ? FlightFileStatus::NotRegularFile
                        : FlightFileStatus::CannotOpen;
    result.failure = opened.failure;
    return result;
  }
  // At most the first 9000 bytes, whatever the file's length.
  const QByteArray data = file.read(FileReadCap);
  if (file.error() != QFileDevice::NoError) {
    result.status = FlightFileStatus::CannotOpen;
    result.failure = Failure::System(FailureKind::ReadFile, path, file.errorString());
    return result;
  }
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                            static_cast<std::size_t>(data.size()));
  // A file without a complete header is refused before anything changes.
  if (!SetFlightBytes(into, bytes)) {
    result.status = FlightFileStatus::TooShort;
    result.failure = Failure::Of(FailureKind::FlightTooShort, path);
    result.failure.number = data.size();
    return result;
  }
  ApplyFlightHeader(into);
  return result;
}

bool SaveFlightFile(const QString& path, std::span<const std::uint8_t> bytes, Failure* error,
                    WriteFailure* failure) {
  const QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<qsizetype>(bytes.size()));
  return WriteFileAtomically(path, data, error, failure);
}

QString FlightFileCaption(const QString& path) {
  const qsizetype slash =
      std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return slash < 0 ? path : path.mid(slash + 1);
}

}  // namespace hypsor
