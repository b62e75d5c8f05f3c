// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

#include <QString>

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

// The line to the altimeter as the device channel drives it: by polling, never blocking longer
// than the bounds its callers give. SerialPort is the real one; ScriptedLine plays a device from
// a script in memory.
class SerialLine {
 public:
  virtual ~SerialLine() = default;

  // Opens the named port and configures the line (115200 baud, 8 data bits, no parity, two stop
  // bits, no flow control); what waited in the input queue before is dropped.
  virtual bool Open(const QString& name) = 0;
  virtual bool IsOpen() const = 0;
  virtual void Close() = 0;
  virtual PortOpenError OpenError() const = 0;
  virtual QString ErrorText() const = 0;
  // The device node the last Open() tried.
  virtual QString Location() const = 0;

  // Returns how many received bytes are ready to read, looking no further once `enough` are.
  // What arrived before the device went away is still counted; -1 once nothing is left of it.
  virtual std::int64_t BytesWaiting(std::int64_t enough) = 0;
  // Reads at most max ready bytes into dest; returns the number read, -1 on failure.
  virtual std::int64_t Read(std::uint8_t* dest, std::int64_t max) = 0;
  // Writes the bytes and waits until they have left the line (at most timeoutMs for the system
  // to take them and as long again for the line to drain). False on any failure.
  virtual bool WriteAndWait(const std::uint8_t* data, std::int64_t length,
                            int timeoutMs = 1000) = 0;
  // Waits until everything written so far has been sent; received bytes stay.
  virtual bool FlushOutput(int timeoutMs = 1000) = 0;
  // True once the device is known to be gone (cable pulled, peer hung up).
  virtual bool DeviceGone() const = 0;
};

}  // namespace hypsor
