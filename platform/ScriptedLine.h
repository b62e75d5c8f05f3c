// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "platform/Clock.h"
#include "platform/SerialLine.h"

namespace hypsor {

// What a scripted device does after a frame: pieces of reply that arrive at given times after the
// frame came in, and possibly hanging up.
struct ScriptedReply {
  struct Piece {
    int afterMs = 0;
    QByteArray bytes;
  };
  std::vector<Piece> pieces;
  // The device hangs up this long after the frame: pieces due before stay readable, later ones
  // never come, and the line is gone for good. -1: it stays.
  int hangUpAfterMs = -1;

  // The whole reply at once, afterMs after the frame.
  static ScriptedReply Whole(const QByteArray& bytes, int afterMs = 0);
  static ScriptedReply Silence() { return {}; }
  ScriptedReply& Then(int afterMs, const QByteArray& bytes);
  ScriptedReply& HangUp(int afterMs);
};

// A serial line to a device that lives in memory and answers each 8-byte frame it receives from a
// script: first the queued replies in order, then the responder, if any; a frame with neither
// goes unanswered. Time is the given clock's, so on a VirtualClock every wait of the device code
// passes instantly while replies still arrive piece by piece as their times come.
class ScriptedLine final : public SerialLine {
 public:
  using Frame = std::array<std::uint8_t, 8>;
  using Responder = std::function<ScriptedReply(const Frame& frame)>;

  explicit ScriptedLine(const Clock& clock, Responder responder = {});

  void SetResponder(Responder responder) { responder_ = std::move(responder); }
  // Answers the next frame that has no earlier queued reply.
  void QueueReply(ScriptedReply reply) { queued_.push_back(std::move(reply)); }
  // Writes fail from the frame with this number on (0: the first), while the line stays: a
  // stalled adapter. -1: they never fail.
  void FailWritesFrom(int frame) { failWritesFrom_ = frame; }
  // Every following Open() fails this way, until cleared with PortOpenError::None.
  void RefuseOpen(PortOpenError error, const QString& text = {});

  // The frames received, in order.
  const std::vector<Frame>& Frames() const { return frames_; }
  int Opens() const { return opens_; }

  bool Open(const QString& name) override;
  bool IsOpen() const override { return open_; }
  void Close() override;
  PortOpenError OpenError() const override { return openError_; }
  QString ErrorText() const override { return errorText_; }
  QString Location() const override { return location_; }
  std::int64_t BytesWaiting(std::int64_t enough) override;
  std::int64_t Read(std::uint8_t* dest, std::int64_t max) override;
  bool WriteAndWait(const std::uint8_t* data, std::int64_t length, int timeoutMs = 1000) override;
  bool FlushOutput(int timeoutMs = 1000) override;
  bool DeviceGone() const override { return gone_; }

 private:
  struct Arrival {
    std::int64_t at;
    QByteArray bytes;
  };
  // Moves what is due by now into the input queue and hangs up when that time has come.
  void Advance();
  void Answer(const Frame& frame);

  const Clock& clock_;
  Responder responder_;
  std::vector<ScriptedReply> queued_;
  std::size_t nextQueued_ = 0;
  std::vector<Frame> frames_;
  QByteArray partialFrame_;
  std::vector<Arrival> coming_;  // in time order
  QByteArray input_;             // arrived and not yet read, from readPosition_ on
  qsizetype readPosition_ = 0;
  std::optional<std::int64_t> hangUpAt_;
  bool open_ = false;
  bool gone_ = false;
  int opens_ = 0;
  int failWritesFrom_ = -1;
  PortOpenError refusal_ = PortOpenError::None;
  QString refusalText_;
  PortOpenError openError_ = PortOpenError::None;
  QString errorText_;
  QString location_;
};

}  // namespace hypsor
