// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CommunicationLog.h"

namespace hypsor {

namespace {

QByteArray Bytes(std::span<const std::uint8_t> bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
}

}  // namespace

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
  Entry e{0, Kind::Open};
  e.name = name;
  e.detail = location;
  Add(std::move(e));
}

void CommunicationLog::OpenFailed(const QString& name, const QString& reason) {
  Entry e{Now(), Kind::OpenFailed};
  e.name = name;
  e.detail = reason;
  Add(std::move(e));
}

void CommunicationLog::PortClosed() {
  Add({Now(), Kind::Close});
}

void CommunicationLog::Sent(std::span<const std::uint8_t> bytes, bool ok) {
  Entry e{Now(), Kind::Send, Bytes(bytes)};
  e.a = ok ? 1 : 0;
  Add(std::move(e));
}

void CommunicationLog::Read(std::span<const std::uint8_t> stored, std::int64_t waiting,
                            std::int64_t discarded) {
  Entry e{Now(), Kind::Read, Bytes(stored)};
  e.a = waiting;
  e.b = discarded;
  Add(std::move(e));
}

void CommunicationLog::Fault(FailureKind fault) {
  Entry e{Now(), Kind::Fault};
  e.fault = fault;
  Add(std::move(e));
}

void CommunicationLog::Note(SessionNote note, std::int64_t a, std::int64_t b, std::int64_t c,
                            std::int64_t d) {
  Entry e{Now(), Kind::Note};
  e.note = note;
  e.a = a;
  e.b = b;
  e.c = c;
  e.d = d;
  Add(std::move(e));
}

void CommunicationLog::Clear() {
  entries_.clear();
  reads_ = 0;
  droppedEntries_ = 0;
}

}  // namespace hypsor
