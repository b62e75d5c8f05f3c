// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SessionMessages.h"

#include "platform/SerialDevices.h"

namespace hypsor {

namespace {

SessionMessage Box(Txt text, Txt caption = Txt::ErrorCaption) {
  SessionMessage m;
  m.show = true;
  m.text = text;
  m.caption = caption;
  return m;
}

SessionMessage Success(Txt text, Txt caption) {
  SessionMessage m = Box(text, caption);
  m.success = true;
  return m;
}

}  // namespace

QString SessionMessage::Text(int languageIndex) const {
  QString s = ownText.isEmpty() ? hypsor::Text(text, languageIndex) : ownText;
  if (byteCount >= 0)
    s = s.arg(CountText(Txt::ByteCount, byteCount, languageIndex));
  else if (!argument.isEmpty())
    s = s.arg(argument);
  s += suffix;
  QStringList sentences;
  for (const Detail& d : details) {
    const QString sentence = hypsor::Text(d.text, languageIndex);
    sentences << (d.argument.isEmpty() ? sentence : sentence.arg(d.argument));
  }
  if (!sentences.isEmpty()) s += QStringLiteral("\n\n") + sentences.join(QLatin1Char(' '));
  return s;
}

QString SessionMessage::Caption(int languageIndex) const {
  return hypsor::Text(caption, languageIndex);
}

SessionMessage PortOpenMessage(const PortFailure& failure) {
  SessionMessage m = Box(Txt::PortOpenFailed);
  m.suffix = failure.portName;
  switch (failure.error) {
    case PortOpenError::NotFound: {
      QString where = failure.portName;
      if (!failure.location.isEmpty() && failure.location != failure.portName)
        where += QStringLiteral(" (%1)").arg(failure.location);
      m.details.append({Txt::PortNotFound, where});
      if (failure.devicesPresent.isEmpty())
        m.details.append({Txt::NoSerialDevice, {}});
      else
        m.details.append(
            {Txt::SerialDevicesPresent, failure.devicesPresent.join(QStringLiteral(", "))});
      break;
    }
    case PortOpenError::Busy:
      m.details.append({Txt::PortBusy, {}});
      // ModemManager probes new CDC-ACM devices for a few seconds after they appear.
      if (failure.location.contains(QLatin1String("ttyACM")))
        m.details.append({Txt::ModemManagerHint, {}});
      break;
    case PortOpenError::Permission:
      if (PortAccessByGroup())
        m.details.append({Txt::PortPermissionHint,
                          failure.group.isEmpty() ? QStringLiteral("dialout") : failure.group});
      else
        m.details.append({Txt::PortPermissionNoGroup, {}});
      break;
    case PortOpenError::NotASerialPort:
      m.details.append({Txt::NotASerialPort, failure.location});
      break;
    case PortOpenError::BadName:
      m.details.append({Txt::PortNameRefused, {}});
      break;
    case PortOpenError::Other:
      if (!failure.systemText.isEmpty()) m.details.append({Txt::SystemReason, failure.systemText});
      break;
    case PortOpenError::None:
      break;
  }
  return m;
}

SessionMessage IncompleteFlightMessage(const DownloadResult& result) {
  if (result.outcome != DownloadOutcome::Ok) return {};
  if (result.endMarkerSeen) {
    if (result.bytesAfterEndMarker <= 0) return {};
    SessionMessage m = Box(Txt::DataAfterEndMarker);
    m.byteCount = result.bytesAfterEndMarker;
    return m;
  }
  SessionMessage m = Box(Txt::IncompleteFlight);
  m.byteCount = result.DownloadByteCount;
  return m;
}

SessionMessage MessageFor(const ZeroingResult& result) {
  switch (result.outcome) {
    case ZeroingOutcome::Ok:
      return Success(Txt::ResetOk, Txt::ResetOkCaption);
    case ZeroingOutcome::Refused:
      return Box(Txt::ResetError);
    case ZeroingOutcome::NoAnswer:
      return {};
    case ZeroingOutcome::PortOpenFailed:
      return PortOpenMessage(result.port);
    case ZeroingOutcome::CommunicationError:
      return Box(Txt::CommunicationError);
    case ZeroingOutcome::Cancelled:  // the user knows
      return {};
  }
  return {};
}

SessionMessage MessageFor(const DownloadResult& result) {
  switch (result.outcome) {
    case DownloadOutcome::Ok:
      return {};
    case DownloadOutcome::PortOpenFailed:
      return PortOpenMessage(result.port);
    case DownloadOutcome::CommunicationError:
      return Box(Txt::CommunicationError);
    case DownloadOutcome::Cancelled:
      return {};
  }
  return {};
}

SessionMessage MessageFor(const SettingsReadResult& result) {
  if (result.outcome == SettingsReadOutcome::CommunicationError)
    return Box(Txt::CommunicationError);
  return {};
}

SessionMessage TooLargeMessage() {
  return Box(Txt::TooLargeValue);
}
SessionMessage FieldEmptyMessage() {
  return Box(Txt::FieldEmpty);
}

SessionMessage NotANumberMessage(const QString& text) {
  SessionMessage m = Box(Txt::NotAnInteger);
  m.argument = text;
  return m;
}

SessionMessage MessageFor(const UploadResult& result) {
  switch (result.outcome) {
    case UploadOutcome::Accepted:
      return Success(Txt::SetupOk, Txt::SetupCaption);
    case UploadOutcome::Refused:
      return Box(Txt::SetupFailed, Txt::SetupCaption);
    case UploadOutcome::FieldEmpty:
      return FieldEmptyMessage();
    case UploadOutcome::TooLarge:
      return TooLargeMessage();
    case UploadOutcome::NotANumber:
      return NotANumberMessage(result.badText);
    case UploadOutcome::PortClosed:
      return {};
    case UploadOutcome::CommunicationError:
      return Box(Txt::CommunicationError);
  }
  return {};
}

}  // namespace hypsor
