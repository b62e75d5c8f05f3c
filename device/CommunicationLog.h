// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include "platform/Failure.h"

namespace hypsor {

// How a session went, as the log records it besides the traffic.
enum class SessionNote {
  ZeroingAcknowledged,  // a: the reply's bytes, as for every zeroing
  ZeroingRefused,
  ZeroingNoAnswer,
  ZeroingFailed,
  ZeroingCancelled,
  DownloadFailed,
  FlightReceived,  // a: bytes stored, b: bytes arrived, c: polls, d: 1 when the end marker came
  DownloadComplete,
  DownloadWithoutMarker,
  SettingsAccepted,
  SettingsRefused,
};

// A record of one or more exchanges with the altimeter, for a user to attach to a report when a
// download fails in the field: every frame sent, every read (also the empty ones), the opening and
// closing of the port, faults and outcomes, each with the time in ms since the port was opened.
// Entries are kept in memory and cost a few hundred nanoseconds each; only the last MaxReads
// reads (and what came between them) are kept. text/CommunicationLogText.h writes it out.
class CommunicationLog {
 public:
  static constexpr int MaxReads = 20000;

  void PortOpened(const QString& name, const QString& location);
  void OpenFailed(const QString& name, const QString& reason);
  void PortClosed();
  void Sent(std::span<const std::uint8_t> bytes, bool ok);
  // stored: the bytes appended to the receive buffer; waiting: the queue as seen before the read;
  // discarded: bytes taken off the queue that did not fit.
  void Read(std::span<const std::uint8_t> stored, std::int64_t waiting, std::int64_t discarded);
  // One of the channel's faults (DeviceChannel::Fault).
  void Fault(FailureKind fault);
  void Note(SessionNote note, std::int64_t a = 0, std::int64_t b = 0, std::int64_t c = 0,
            std::int64_t d = 0);

  enum class Kind { Open, OpenFailed, Close, Send, Read, Fault, Note };
  struct Entry {
    std::optional<std::int64_t> ms;  // since the port was opened; nothing before any was
    Kind kind;
    QByteArray bytes;  // Send, Read
    // Send: a is 1 when the bytes went out; Read: a waiting, b discarded; Note: its numbers.
    std::int64_t a = 0, b = 0, c = 0, d = 0;
    QString name, detail;  // Open: the port and its device node; OpenFailed: the port and why
    FailureKind fault = FailureKind::None;
    SessionNote note = SessionNote::DownloadFailed;
  };
  const std::deque<Entry>& Entries() const { return entries_; }
  // Entries dropped from the front to keep the last MaxReads reads.
  std::int64_t DroppedEntries() const { return droppedEntries_; }
  int Reads() const { return reads_; }
  bool IsEmpty() const { return entries_.empty(); }
  void Clear();

 private:
  std::optional<std::int64_t> Now() const {
    if (!sinceOpen_.isValid()) return std::nullopt;
    return sinceOpen_.elapsed();
  }
  void Add(Entry entry);

  std::deque<Entry> entries_;
  int reads_ = 0;
  std::int64_t droppedEntries_ = 0;
  QElapsedTimer sinceOpen_;
};

}  // namespace hypsor
