// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include <QString>

#include "device/CommunicationLog.h"
#include "flight/FlightData.h"
#include "platform/Clock.h"
#include "platform/Failure.h"
#include "platform/SerialLine.h"

namespace hypsor {

class SerialPort;

inline constexpr int CommandFrameSize = 8;
inline constexpr int ReadCap = 9000;        // bytes taken from the input queue per read
inline constexpr int SettleStepMs = 250;    // one step of the settle wait
inline constexpr int SettleLimitMs = 3000;  // a reply still growing after this is not a reply

// Parameter bytes 2-7 of a command frame. A command writes only the bytes set here; the others
// keep what earlier commands left in the frame.
class CommandBytes {
 public:
  // Sets frame byte `index` (2-7).
  CommandBytes& Set(int index, std::uint8_t value);
  // Sets frame bytes from `first` on, one for each value.
  CommandBytes& Set(int first, std::span<const std::uint8_t> values);
  void WriteInto(std::array<std::uint8_t, CommandFrameSize>& frame) const;

 private:
  std::array<std::uint8_t, CommandFrameSize> bytes_{};
  std::array<bool, CommandFrameSize> set_{};
};

// The serial channel to the altimeter: one port, one persistent command frame, one receive
// buffer. One object serves the whole program (the main window and the device window share it
// through the device controller, whose thread runs every exchange). By default it drives the
// real serial port and sleeps on the real clock; tests and the fuzzer give it another line and
// a virtual clock.
class DeviceChannel {
 public:
  DeviceChannel();
  // Drives the given line and waits on the given clock; both must outlive the channel.
  DeviceChannel(SerialLine& line, Clock& clock);
  ~DeviceChannel();
  DeviceChannel(const DeviceChannel&) = delete;
  DeviceChannel& operator=(const DeviceChannel&) = delete;

  // Absolute paths are the command line's: names from the window or the settings file stay
  // under /dev.
  void SetAcceptPaths(bool accept) { AcceptPaths_ = accept; }
  // When set, every open, frame, read and close is recorded there.
  void SetLog(CommunicationLog* log) { Log_ = log; }

  // Opens the named port unless one is open already. False if it could not be opened;
  // LastOpenFailure() then says why (a Port... kind, with the port's name as its path).
  bool OpenPort(const QString& portName);
  // True if a port was closed, false if none was open.
  bool ClosePort();
  bool IsOpen() const { return port_->IsOpen(); }
  const Failure& LastOpenFailure() const { return openFailure_; }

  // Appends what waits in the input queue (at most ReadCap bytes) to RxBuffer at RxCount and
  // returns the number of bytes stored. Byte 0 of RxBuffer is cleared on every call with an open
  // port. Bytes that do not fit into RxBuffer are discarded and flagged as ReceiveOverflow.
  int ReadPending();
  // Waits in SettleStepMs steps until the input queue stops growing. False (with a fault set)
  // when the device went away or the reply kept growing; true otherwise.
  bool SettleWait();
  // Waits until everything written has been sent; received bytes stay.
  void FlushOutput();
  // The opening of every command: counters reset, output flushed, frame bytes 0-1 set ("e" and
  // the code) and the given parameter bytes written. Not followed by SendCommand, it leaves
  // those bytes to the commands after it (an upload stopped at a bad value).
  void BeginCommand(std::uint8_t code, const CommandBytes& bytes = {});
  // BeginCommand and the whole frame sent. True once it has gone out; false at once when it
  // could not be sent (the fault says why, and nothing should be waited for).
  bool SendCommand(std::uint8_t code, const CommandBytes& bytes = {});
  // SendCommand, SettleWait, ReadPending: the bytes of the reply (none when the frame did not
  // go out). A complete query reply is exactly 8 bytes.
  int QueryDevice(std::uint8_t code);

  // The bytes received since the last reset: the first RxCount bytes of RxBuffer, whose byte 0
  // every read clears before it appends. Valid until the next read or command.
  std::span<const std::uint8_t> Received() const {
    return {RxBuffer_.data(), static_cast<std::size_t>(RxCount_)};
  }
  std::int32_t RxCount() const { return RxCount_; }
  // Bytes taken off the input queue and thrown away because RxBuffer was full, since the last
  // reset by a command.
  std::int64_t DiscardedCount() const { return DiscardedCount_; }
  // The manual-zeroing mode last read from the device (0 until a read succeeds); the settings
  // read sets it.
  std::int32_t ManualZeroingMode() const { return ManualZeroingMode_; }
  void SetManualZeroingMode(std::int32_t mode) { ManualZeroingMode_ = mode; }

  // Every wait of an exchange goes through this clock.
  Clock& Time() const { return *clock_; }
  // Waits ms on the clock in short steps and returns early once the exchange is cancelled (the
  // fault is then Cancelled): a Cancel ends any wait within kWaitStepMs.
  void Wait(int ms);
  static constexpr int kWaitStepMs = 50;
  // The flag a Cancel sets, from any thread; the channel's waits look at it, and so does the
  // real port's wait for its output to drain. Null: none.
  void SetCancelFlag(const std::atomic<bool>* flag);
  // True (and the fault set to Cancelled) when the exchange has been cancelled.
  bool CheckCancelled();

  // What went wrong that an exchange's own length checks would not notice: None, DeviceGone,
  // ReceiveOverflow, EndlessReply, Cancelled or FrameNotSent.
  FailureKind Fault() const { return fault_; }
  void ClearFault() { fault_ = FailureKind::None; }
  // Notes how a session went in the log, if there is one.
  void Note(SessionNote note, std::int64_t a = 0, std::int64_t b = 0, std::int64_t c = 0,
            std::int64_t d = 0) {
    if (Log_) Log_->Note(note, a, b, c, d);
  }

 private:
  // Writes the bytes and waits until they have been sent; false (and a fault) when they were not.
  bool SendFrame(std::span<const std::uint8_t> bytes);
  void DeviceGone();
  void SetFault(FailureKind fault);
  // Bytes waiting, pumped until more than the buffer's room is seen; nothing if the device is
  // gone.
  std::optional<std::int64_t> QueryPending();

  // Every command sends all 8 bytes; a command writes only its own bytes, the others keep what
  // earlier commands left (a zeroing after an upload carries the upload's bytes 4-7).
  std::array<std::uint8_t, CommandFrameSize> CommandFrame_{};
  std::array<std::uint8_t, RxBufferSize> RxBuffer_{};
  std::int32_t RxCount_ = 0;        // bytes appended to RxBuffer since the last reset
  std::int32_t ReadPosition_ = 0;   // reset with RxCount
  std::uint32_t PendingCount_ = 0;  // bytes waiting in the input queue, as last seen
  std::int32_t ManualZeroingMode_ = 0;
  std::int64_t DiscardedCount_ = 0;
  bool AcceptPaths_ = false;
  CommunicationLog* Log_ = nullptr;

  std::unique_ptr<SerialPort> ownPort_;
  SerialLine* port_;
  Clock* clock_;
  Failure openFailure_;
  FailureKind fault_ = FailureKind::None;
  const std::atomic<bool>* cancel_ = nullptr;
};

}  // namespace hypsor
