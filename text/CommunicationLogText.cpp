// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/CommunicationLogText.h"

#include "device/CommunicationLog.h"
#include "text/FailureText.h"

namespace hypsor {

namespace {

using Entry = CommunicationLog::Entry;
using Kind = CommunicationLog::Kind;

QString ZeroingNote(const char* how, const Entry& e) {
  return QStringLiteral("zeroing: %1 (%2 reply bytes)").arg(QLatin1String(how)).arg(e.a);
}

QString NoteText(const Entry& e) {
  switch (e.note) {
    case SessionNote::ZeroingAcknowledged: return ZeroingNote("acknowledged", e);
    case SessionNote::ZeroingRefused: return ZeroingNote("refused", e);
    case SessionNote::ZeroingNoAnswer: return ZeroingNote("no answer", e);
    case SessionNote::ZeroingFailed: return ZeroingNote("failed", e);
    case SessionNote::ZeroingCancelled: return ZeroingNote("cancelled", e);
    case SessionNote::DownloadFailed: return QStringLiteral("download failed");
    case SessionNote::FlightReceived:
      return QStringLiteral("flight: %1 bytes stored, %2 arrived, %3 polls, end marker %4")
          .arg(e.a)
          .arg(e.b)
          .arg(e.c)
          .arg(e.d ? QStringLiteral("seen") : QStringLiteral("missing"));
    case SessionNote::DownloadComplete: return QStringLiteral("download complete");
    case SessionNote::DownloadWithoutMarker:
      return QStringLiteral("download taken without end marker");
    case SessionNote::SettingsAccepted: return QStringLiteral("settings accepted");
    case SessionNote::SettingsRefused: return QStringLiteral("settings refused");
  }
  return {};
}

QString EntryText(const Entry& e) {
  switch (e.kind) {
    case Kind::Open: return QStringLiteral("open    %1 (%2)").arg(e.name, e.detail);
    case Kind::OpenFailed: return QStringLiteral("failed  %1: %2").arg(e.name, e.detail);
    case Kind::Close: return QStringLiteral("close");
    case Kind::Send:
      return QStringLiteral("send    %1 bytes %2: %3")
          .arg(e.bytes.size())
          .arg(e.a ? QStringLiteral("sent") : QStringLiteral("FAILED"),
               QString::fromLatin1(e.bytes.toHex(' ')));
    case Kind::Read: {
      QString text = QStringLiteral("read    %1 bytes (%2 waiting").arg(e.bytes.size()).arg(e.a);
      if (e.b > 0) text += QStringLiteral(", %1 discarded").arg(e.b);
      text += QLatin1Char(')');
      if (!e.bytes.isEmpty()) text += QStringLiteral(": ") + QString::fromLatin1(e.bytes.toHex(' '));
      return text;
    }
    case Kind::Fault:
      return QStringLiteral("note    fault: ") + FailureText(Failure::Of(e.fault, {}), kEnglish);
    case Kind::Note: return QStringLiteral("note    ") + NoteText(e);
  }
  return {};
}

}  // namespace

QByteArray CommunicationLogText(const CommunicationLog& log) {
  QByteArray out;
  out += "# time in ms since the port was opened; bytes in hexadecimal\n";
  if (log.DroppedEntries() > 0)
    out += QStringLiteral("# %1 earlier entries dropped (only the last %2 reads are kept)\n")
               .arg(log.DroppedEntries())
               .arg(CommunicationLog::MaxReads)
               .toUtf8();
  for (const Entry& e : log.Entries()) {
    const QString time = e.ms ? QStringLiteral("%1").arg(*e.ms, 8)
                              : QStringLiteral("%1").arg(QStringLiteral("-"), 8);
    out += (time + QStringLiteral("  ") + EntryText(e)).toUtf8();
    out += '\n';
  }
  return out;
}

}  // namespace hypsor
