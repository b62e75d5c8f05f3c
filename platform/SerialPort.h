#pragma once
#include <cstdint>
#include <memory>

#include <QString>

class QSerialPort;

namespace hypsor {

// Why a port could not be opened.
enum class PortOpenError {
  None,
  NotFound,        // no such device node
  Busy,            // another program holds the port (lock file or exclusive use)
  Permission,      // the user may not use the device node
  NotASerialPort,  // the name leads to something that is not a terminal (a file, /dev/null)
  BadName,         // a name that would lead out of /dev
  Other,           // anything else: the system's text says what
};

// The altimeter's serial line: 115200 baud, 8 data bits, no parity, two stop bits, no flow
// control, DTR and RTS off. A thin layer over QSerialPort that the device channel drives by
// polling; it never waits longer than the bounds its callers give it.
class SerialPort {
 public:
  SerialPort();
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // The system location a port name opens. On Linux "COMn" is the n-th serial port (/dev/ttyS
  // n-1), a name starting with '/' is a path and any other name lives under /dev (ttyUSB0,
  // pts/3). On Windows names of five or more characters go through the "\\.\" namespace.
  static QString SystemLocation(const QString& name);
  // A port name as the window and the settings file may hold it: a name under /dev, so neither
  // absolute nor with a ".." segment. Paths are the command line's own extra.
  static bool RelativeNameAllowed(const QString& name);

  bool Open(const QString& name);
  bool IsOpen() const;
  void Close();
  PortOpenError OpenError() const { return openError_; }
  QString ErrorText() const { return errorText_; }
  // The device node the last Open() tried.
  QString Location() const { return location_; }

  // Takes what the system holds for us into the port's buffer and returns how many bytes are
  // ready to read. Stops pumping once `enough` bytes are buffered, so a peer that never stops
  // sending cannot keep it here. -1 when the device has gone.
  std::int64_t BytesWaiting(std::int64_t enough);
  // Reads at most max buffered bytes into dest; returns the number read, -1 on failure.
  std::int64_t Read(std::uint8_t* dest, std::int64_t max);
  // Writes the bytes and waits until they have left the line (at most timeoutMs for the kernel
  // to take them and as long again for the line to drain). False on any failure.
  bool WriteAndWait(const std::uint8_t* data, std::int64_t length, int timeoutMs = 1000);
  // Waits until everything written so far has been sent; received bytes stay.
  bool FlushOutput(int timeoutMs = 1000);

  // True once the system reported the device gone (cable pulled, peer hung up).
  bool DeviceGone() const { return gone_; }

 private:
  bool CheckGone();
  bool DrainOutput(int timeoutMs);

  std::unique_ptr<QSerialPort> port_;
  PortOpenError openError_ = PortOpenError::None;
  QString errorText_;
  QString location_;
  bool gone_ = false;
};

}  // namespace hypsor
