#include "device/SessionMessages.h"

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
  if (!argument.isEmpty()) s = s.arg(argument);
  s += suffix;
  if (permissionHint) s += QLatin1Char('\n') + hypsor::Text(Txt::PortPermissionHint, languageIndex);
  return s;
}

QString SessionMessage::Caption(int languageIndex) const {
  return hypsor::Text(caption, languageIndex);
}

SessionMessage PortOpenMessage(const PortFailure& failure) {
  SessionMessage m = Box(Txt::PortOpenFailed);
  m.suffix = failure.portName;
  m.permissionHint = failure.error == PortOpenError::Permission;
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
  }
  return {};
}

SessionMessage MessageFor(const SettingsReadResult& result) {
  if (result.outcome == SettingsReadOutcome::CommunicationError)
    return Box(Txt::CommunicationError);
  return {};
}

SessionMessage SettingsWriteRefusedMessage() {
  return Box(Txt::SetupFailed, Txt::SetupCaption);
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
