// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include <QByteArray>
#include <QString>

#include "platform/SerialLine.h"

#ifndef Q_OS_WIN
class QSerialPort;
#endif

namespace hypsor {

// The altimeter's serial line: 115200 baud, 8 data bits, no parity, two stop bits, no flow
// control, DTR and RTS off. A thin layer over QSerialPort; on Windows over the Win32 API
// (win32/SerialPort.cpp), as Qt's serial module is not built there.
class SerialPort final : public SerialLine {
 public:
  SerialPort();
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // The system location a port name opens. On Linux "COMn" is the n-th serial port (/dev/ttyS
  // n-1), a name starting with '/' is a path and any other name lives under /dev (ttyUSB0,
  // pts/3). On Windows names of five or more characters go through the "\\.\" namespace.
  static QString SystemLocation(const QString& name);
  // A port name as the window and the settings file may hold it: a name under /dev, so neither
  // absolute nor with a ".." segment. Paths are the command line's own extra.
  static bool RelativeNameAllowed(const QString& name);

  bool Open(const QString& name) override;
  bool IsOpen() const override;
  void Close() override;
  PortOpenError OpenError() const override { return openError_; }
  QString ErrorText() const override { return errorText_; }
  QString Location() const override { return location_; }

  // Takes what the system holds for us into the port's buffer first. Stops taking once `enough`
  // bytes are buffered, so a peer that never stops sending cannot keep it here.
  std::int64_t BytesWaiting(std::int64_t enough) override;
  std::int64_t Read(std::uint8_t* dest, std::int64_t max) override;
  bool WriteAndWait(const std::uint8_t* data, std::int64_t length, int timeoutMs = 1000) override;
  bool FlushOutput(int timeoutMs = 1000) override;
  bool DeviceGone() const override { return gone_; }
  // The flag a Cancel sets (the device channel's): the wait for the output to drain ends early
  // once it is set, as the channel's own waits do. Null: none.
  void SetCancelFlag(const std::atomic<bool>* flag) { cancel_ = flag; }

 private:
  bool CheckGone();
  bool Cancelled() const { return cancel_ && cancel_->load(); }
  // Waits in short sleeps until the system's output queue is empty: false at the deadline or a
  // Cancel.
  bool DrainOutput(int timeoutMs);

#ifdef Q_OS_WIN
  // Takes what the system holds into buffer_ until `enough` bytes are there or none are left.
  void Pump(std::int64_t enough);
  // Keeps the system's reason for the failure of the last call (and whether it means the
  // device is gone); false, for `return Failed()`.
  bool Failed();
  void* handle_ = nullptr;  // the port's HANDLE; nullptr when closed
  QByteArray buffer_;       // received, not yet read
#else
  std::unique_ptr<QSerialPort> port_;
#endif
  PortOpenError openError_ = PortOpenError::None;
  QString errorText_;
  QString location_;
  bool gone_ = false;
  const std::atomic<bool>* cancel_ = nullptr;
};

}  // namespace hypsor
