// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>

#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "device/Sessions.h"
#include "text/Texts.h"

namespace hypsor {

// The box that reports an outcome, so that the window and the command-line tool say the same.
struct SessionMessage {
  bool show = false;  // false: the outcome is reported by nothing (success, or a silent case)
  Txt text = Txt::CommunicationError;
  Txt caption = Txt::ErrorCaption;
  QString argument;  // put into the text's %1
  qint64 byteCount = -1;  // when not negative: put into %1 as a count of bytes in the language
  QString suffix;    // appended to the text (the port name)
  QString ownText;   // a text not in the table, used instead of `text`
  // A second paragraph of sentences from the table, each with its %1: why a port did not open.
  struct Detail {
    Txt text;
    QString argument;
  };
  QList<Detail> details;
  bool success = false;  // reports something done (an information box, not a warning)

  QString Text(int languageIndex) const;
  QString Caption(int languageIndex) const;
};

// "Communication Error: " and the port name, then a paragraph on why: not found (and which
// serial devices are present), busy, no permission (and which group gives it), not a serial port,
// a name outside /dev, or the system's own text.
SessionMessage PortOpenMessage(const PortFailure& failure);

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
