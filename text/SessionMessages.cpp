// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SessionMessages.h"

#include "text/FailureText.h"

namespace hypsor {

namespace {

SessionMessage Box(Txt text, Txt caption) {
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

SessionMessage FailureBox(FailureKind kind, Txt caption = Txt::ErrorCaption) {
  SessionMessage m;
  m.show = true;
  m.failure = Failure::Of(kind, {});
  m.caption = caption;
  return m;
}

}  // namespace

QString SessionMessage::Text(int languageIndex) const {
  QString s;
  if (text) {
    s = hypsor::Text(*text, languageIndex);
    if (byteCount) s = s.arg(CountText(Txt::ByteCount, *byteCount, languageIndex));
    s += suffix;
  }
  const QString why = FailureText(failure, languageIndex);
  if (why.isEmpty()) return s;
  return s.isEmpty() ? why : s + QStringLiteral("\n\n") + why;
}

QString SessionMessage::Caption(int languageIndex) const {
  return hypsor::Text(caption, languageIndex);
}

SessionMessage PortOpenMessage(const Failure& failure) {
  SessionMessage m = Box(Txt::PortOpenFailed, Txt::ErrorCaption);
  m.suffix = failure.path;
  m.failure = failure;
  return m;
}

SessionMessage IncompleteFlightMessage(const DownloadResult& result) {
  if (result.outcome != DownloadOutcome::Ok) return {};
  if (result.endMarkerSeen) {
    if (result.bytesAfterEndMarker <= 0) return {};
    SessionMessage m = Box(Txt::DataAfterEndMarker, Txt::ErrorCaption);
    m.byteCount = result.bytesAfterEndMarker;
    return m;
  }
  SessionMessage m = Box(Txt::IncompleteFlight, Txt::ErrorCaption);
  m.byteCount = result.DownloadByteCount;
  return m;
}

SessionMessage MessageFor(const ZeroingResult& result) {
  switch (result.outcome) {
    case ZeroingOutcome::Ok:
      return Success(Txt::ResetOk, Txt::ResetOkCaption);
    case ZeroingOutcome::Refused:
      return FailureBox(FailureKind::ZeroingRefused);
    case ZeroingOutcome::NoAnswer:
      return {};
    case ZeroingOutcome::PortOpenFailed:
      return PortOpenMessage(result.port);
    case ZeroingOutcome::CommunicationError:
      return FailureBox(FailureKind::CommunicationError);
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
      return FailureBox(FailureKind::CommunicationError);
    case DownloadOutcome::Cancelled:
      return {};
  }
  return {};
}

SessionMessage MessageFor(const SettingsReadResult& result) {
  if (result.outcome == SettingsReadOutcome::CommunicationError)
    return FailureBox(FailureKind::CommunicationError);
  return {};
}

SessionMessage TooLargeMessage() {
  return FailureBox(FailureKind::ValueTooLarge);
}
SessionMessage FieldEmptyMessage() {
  return FailureBox(FailureKind::FieldEmpty);
}

SessionMessage NotANumberMessage(const QString& text) {
  SessionMessage m = FailureBox(FailureKind::NotAnInteger);
  m.failure.found = text;
  return m;
}

SessionMessage MessageFor(const UploadResult& result) {
  switch (result.outcome) {
    case UploadOutcome::Accepted:
      return Success(Txt::SetupOk, Txt::SetupCaption);
    case UploadOutcome::Refused:
      return FailureBox(FailureKind::SettingsRefused, Txt::SetupCaption);
    case UploadOutcome::FieldEmpty:
      return FieldEmptyMessage();
    case UploadOutcome::TooLarge:
      return TooLargeMessage();
    case UploadOutcome::NotANumber:
      return NotANumberMessage(result.badText);
    case UploadOutcome::PortClosed:
      return {};
    case UploadOutcome::CommunicationError:
      return FailureBox(FailureKind::CommunicationError);
  }
  return {};
}

}  // namespace hypsor
