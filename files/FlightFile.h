#pragma once
#include <cstdint>
#include <span>

#include <QString>

#include "flight/FlightData.h"

namespace hypsor {

enum class FlightFileStatus { Ok, CannotOpen, TooShort };

struct FlightFileResult {
  FlightFileStatus status = FlightFileStatus::Ok;
  QString error;  // for CannotOpen: the system's reason, naming the file
};

// Reads at most the first 9000 bytes of a flight file into `into` and applies its header.
// A file that cannot be opened, or is shorter than the 32-byte header, leaves `into` unchanged.
FlightFileResult LoadFlightFile(const QString& path, Flight& into);

// Writes exactly `bytes` to path, atomically (temporary file, then rename). Returns false with
// *error set on any failure; an existing file is then left whole.
bool SaveFlightFile(const QString& path, std::span<const std::uint8_t> bytes, QString* error);

// The file name without its folder: the text after the last '/' or '\', or the whole name.
QString FlightFileCaption(const QString& path);

}  // namespace hypsor
