// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QString>

#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "device/Sessions.h"
#include "platform/Failure.h"
#include "text/Texts.h"

namespace hypsor {

// The box that reports an outcome, so that the window and the command-line tool say the same.
// A failure is worded by FailureText; the box adds only its heading (a port that did not open)
// or, for a box that reports no failure, its own text.
struct SessionMessage {
  bool show = false;  // false: the outcome is reported by nothing (success, or a silent case)
  std::optional<Txt> text;  // the box's own words: a heading above the failure, or all it says
  QString suffix;           // appended to those words (the port's name)
  std::optional<qint64> byteCount;  // put into them as a count of bytes in the language
  Failure failure;          // what failed, as a paragraph under the heading or alone
  Txt caption = Txt::ErrorCaption;
  bool success = false;  // reports something done (an information box, not a warning)

  QString Text(int languageIndex) const;
  QString Caption(int languageIndex) const;
};

// "Communication Error: " and the port name, then a paragraph on why: not found (and which
// serial devices are present), busy, no permission (and which group gives it), not a serial port,
// a name outside /dev, or the system's own text.
SessionMessage PortOpenMessage(const Failure& failure);

// The warning for a flight taken without its end marker, or for one whose marker came with
// more data after it (nothing for a whole flight). Not a box: the window shows it as a line, the
// command-line tool as a warning.
SessionMessage IncompleteFlightMessage(const DownloadResult& result);

// Ok gives the acknowledged box, Refused the refused one, NoAnswer nothing.
SessionMessage MessageFor(const ZeroingResult& result);
// Ok gives nothing.
SessionMessage MessageFor(const DownloadResult& result);
// The read failure box; Ok and PortClosed give nothing (the open failure was reported).
SessionMessage MessageFor(const SettingsReadResult& result);
// The one box of an upload; PortClosed gives nothing. A refused settings write is Refused.
SessionMessage MessageFor(const UploadResult& result);
SessionMessage TooLargeMessage();
SessionMessage FieldEmptyMessage();
// A text that is not a number.
SessionMessage NotANumberMessage(const QString& text);

}  // namespace hypsor
