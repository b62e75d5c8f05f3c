// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <span>

#include <QString>

#include "flight/FlightData.h"
#include "platform/AtomicFile.h"

namespace hypsor {

enum class FlightFileStatus {
  Ok,
  CannotOpen,
  TooShort,
  NotRegularFile,  // a FIFO, device, socket or folder (after links): refused without opening it
};

struct FlightFileResult {
  FlightFileStatus status = FlightFileStatus::Ok;
  Failure failure;  // when status is not Ok
};

// Reads at most the first 9000 bytes of a flight file into `into` and applies its header.
// A file that cannot be opened, is not a regular file or is shorter than the 32-byte header
// leaves `into` unchanged.
FlightFileResult LoadFlightFile(const QString& path, Flight& into);

// Writes exactly `bytes` to path with WriteFileAtomically (links followed, anything but a regular
// file refused, durable). Returns false with *error (and *failure) set on any failure; an
// existing file is then left whole.
bool SaveFlightFile(const QString& path, std::span<const std::uint8_t> bytes, Failure* error,
                    WriteFailure* failure = nullptr);

// The file name without its folder: the text after the last '/' or '\', or the whole name.
QString FlightFileCaption(const QString& path);

}  // namespace hypsor
