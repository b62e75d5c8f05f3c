// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <deque>
#include <span>

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

namespace hypsor {

// A record of one or more exchanges with the altimeter, for a user to attach to a report when a
// download fails in the field: every frame sent, every read (also the empty ones), the opening and
// closing of the port, faults and outcomes, each with the time in ms since the port was opened.
// Entries are kept in memory and cost a few hundred nanoseconds each; only the last MaxReads
// reads (and what came between them) are kept.
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
  void Note(const QString& text);

  // The log as text, one entry a line.
  QByteArray Text() const;
  int Reads() const { return reads_; }
  bool IsEmpty() const { return entries_.empty(); }
  void Clear();

 private:
  enum class Kind { Open, OpenFailed, Close, Send, Read, Note };
  struct Entry {
    std::int64_t ms;  // -1 before any port was opened
    Kind kind;
    QByteArray bytes;
    std::int64_t a = 0, b = 0;  // Send: ok; Read: waiting, discarded
    QString text;
  };
  void Add(Entry entry);

  std::deque<Entry> entries_;
  int reads_ = 0;
  std::int64_t droppedEntries_ = 0;
  QElapsedTimer sinceOpen_;
};

}  // namespace hypsor
