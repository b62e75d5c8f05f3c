// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CommunicationLog.h"

namespace hypsor {

void CommunicationLog::Add(Entry entry) {
  if (entry.kind == Kind::Read) ++reads_;
  entries_.push_back(std::move(entry));
  // Keep the last MaxReads reads: drop from the front up to and including the oldest read.
  while (reads_ > MaxReads && !entries_.empty()) {
    if (entries_.front().kind == Kind::Read) --reads_;
    entries_.pop_front();
    ++droppedEntries_;
  }
}

void CommunicationLog::PortOpened(const QString& name, const QString& location) {
  sinceOpen_.start();
  Add({0, Kind::Open, {}, 0, 0, QStringLiteral("%1 (%2)").arg(name, location)});
}

void CommunicationLog::OpenFailed(const QString& name, const QString& reason) {
  const std::int64_t ms = sinceOpen_.isValid() ? sinceOpen_.elapsed() : -1;
  Add({ms, Kind::OpenFailed, {}, 0, 0, QStringLiteral("%1: %2").arg(name, reason)});
}

void CommunicationLog::PortClosed() {
  Add({sinceOpen_.isValid() ? sinceOpen_.elapsed() : -1, Kind::Close, {}, 0, 0, {}});
}

void CommunicationLog::Sent(std::span<const std::uint8_t> bytes, bool ok) {
  Add({sinceOpen_.isValid() ? sinceOpen_.elapsed() : -1,
       Kind::Send,
       QByteArray(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<qsizetype>(bytes.size())),
       ok ? 1 : 0,
       0,
       {}});
}

void CommunicationLog::Read(std::span<const std::uint8_t> stored, std::int64_t waiting,
                            std::int64_t discarded) {
  Add({sinceOpen_.isValid() ? sinceOpen_.elapsed() : -1,
       Kind::Read,
       QByteArray(reinterpret_cast<const char*>(stored.data()),
                  static_cast<qsizetype>(stored.size())),
       waiting,
       discarded,
       {}});
}

void CommunicationLog::Note(const QString& text) {
  Add({sinceOpen_.isValid() ? sinceOpen_.elapsed() : -1, Kind::Note, {}, 0, 0, text});
}

void CommunicationLog::Clear() {
  entries_.clear();
  reads_ = 0;
  droppedEntries_ = 0;
}

QByteArray CommunicationLog::Text() const {
  QByteArray out;
  out += "# time in ms since the port was opened; bytes in hexadecimal\n";
  if (droppedEntries_ > 0)
    out += QStringLiteral("# %1 earlier entries dropped (only the last %2 reads are kept)\n")
               .arg(droppedEntries_)
               .arg(MaxReads)
               .toUtf8();
  for (const Entry& e : entries_) {
    QString line = e.ms < 0 ? QStringLiteral("%1").arg(QStringLiteral("-"), 8)
                            : QStringLiteral("%1").arg(e.ms, 8);
    line += QStringLiteral("  ");
    switch (e.kind) {
      case Kind::Open:
        line += QStringLiteral("open    ") + e.text;
        break;
      case Kind::OpenFailed:
        line += QStringLiteral("failed  ") + e.text;
        break;
      case Kind::Close:
        line += QStringLiteral("close");
        break;
      case Kind::Send:
        line += QStringLiteral("send    %1 bytes %2: %3")
                    .arg(e.bytes.size())
                    .arg(e.a ? QStringLiteral("sent") : QStringLiteral("FAILED"),
                         QString::fromLatin1(e.bytes.toHex(' ')));
        break;
      case Kind::Read:
        line += QStringLiteral("read    %1 bytes (%2 waiting").arg(e.bytes.size()).arg(e.a);
        if (e.b > 0) line += QStringLiteral(", %1 discarded").arg(e.b);
        line += QLatin1Char(')');
        if (!e.bytes.isEmpty())
          line += QStringLiteral(": ") + QString::fromLatin1(e.bytes.toHex(' '));
        break;
      case Kind::Note:
        line += QStringLiteral("note    ") + e.text;
        break;
    }
    out += line.toUtf8();
    out += '\n';
  }
  return out;
}

}  // namespace hypsor
