#pragma once
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
  QString suffix;               // appended to the text (the port name)
  bool permissionHint = false;  // a second line: how to get permission to use the port
  QString ownText;              // a text not in the table, used instead of `text`
  QString argument;             // put in place of %1 in the text
  bool success = false;         // reports something done (an information box, not a warning)

  QString Text(int languageIndex) const;
  QString Caption(int languageIndex) const;
};

// "Communication Error: " and the port name; the dialout hint when permission was missing.
SessionMessage PortOpenMessage(const PortFailure& failure);

// Ok gives the acknowledged box, Refused the refused one, NoAnswer nothing.
SessionMessage MessageFor(const ZeroingResult& result);
// Ok gives nothing.
SessionMessage MessageFor(const DownloadResult& result);
// The read failure box; Ok and PortClosed give nothing (the open failure was reported).
SessionMessage MessageFor(const SettingsReadResult& result);
// The final box of an upload; PortClosed gives nothing. The refusal of the settings write
// (settingsWriteRefused) is reported separately with SettingsWriteRefusedMessage().
SessionMessage MessageFor(const UploadResult& result);
SessionMessage SettingsWriteRefusedMessage();
SessionMessage TooLargeMessage();
SessionMessage FieldEmptyMessage();
// A text that is not a number.
SessionMessage NotANumberMessage(const QString& text);

}  // namespace hypsor
