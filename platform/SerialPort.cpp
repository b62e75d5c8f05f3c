// SPDX-License-Identifier: GPL-3.0-or-later
// The serial line over QSerialPort, on Linux and the other POSIX systems (Windows has its own,
// win32/SerialPort.cpp).
#include "platform/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QSerialPort>
#include <QThread>

namespace hypsor {

namespace {

// A buffered-read pump that keeps finding new bytes is stopped after this many rounds.
constexpr int kMaxPumpRounds = 64;

// A line that has been hung up (peer gone, adapter unplugged) reads as an endless end of file,
// which QSerialPort takes for "nothing yet"; poll() tells it apart.
bool HungUp(qintptr handle) {
  pollfd p{static_cast<int>(handle), POLLIN, 0};
  if (::poll(&p, 1, 0) < 0) return false;
  return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// What a look at a device node found, with the system's own words for an error.
struct NodeProbe {
  PortOpenError error = PortOpenError::None;
  QString systemText;
};

// Looks at the device node before anything configures it: whether it exists, is a terminal, and
// whether we may open it. None means QSerialPort may go ahead.
NodeProbe ProbeNode(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  auto fromErrno = [](int code) {
    NodeProbe probe{PortOpenError::Other, QString::fromLocal8Bit(std::strerror(code))};
    switch (code) {
      case ENOENT:
      case ENOTDIR:
      case ENODEV:
      case ENXIO:
        probe.error = PortOpenError::NotFound;
        break;
      case EACCES:
      case EPERM:
        probe.error = PortOpenError::Permission;
        break;
      case EBUSY:
        probe.error = PortOpenError::Busy;
        break;
      default:
        break;
    }
    return probe;
  };
  struct stat st {};
  if (::stat(native.constData(), &st) != 0) return fromErrno(errno);
  if (!S_ISCHR(st.st_mode)) return {PortOpenError::NotASerialPort, {}};
  const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fromErrno(errno);
  const bool terminal = ::isatty(fd) == 1;
  ::close(fd);
  return {terminal ? PortOpenError::None : PortOpenError::NotASerialPort, {}};
}

}  // namespace

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() {
  Close();
}

bool SerialPort::Open(const QString& name) {
  Close();
  gone_ = false;
  openError_ = PortOpenError::None;
  errorText_.clear();
  location_ = SystemLocation(name);

  const NodeProbe probe = ProbeNode(location_);
  openError_ = probe.error;
  errorText_ = probe.systemText;
  if (openError_ != PortOpenError::None) return false;
  port_ = std::make_unique<QSerialPort>();
  port_->setPortName(location_);
  // Line settings given before open() are applied by open().
  port_->setBaudRate(QSerialPort::Baud115200);
  port_->setDataBits(QSerialPort::Data8);
  port_->setParity(QSerialPort::NoParity);
  port_->setStopBits(QSerialPort::TwoStop);
  port_->setFlowControl(QSerialPort::NoFlowControl);
  if (!port_->open(QIODevice::ReadWrite)) {
    switch (port_->error()) {
      case QSerialPort::DeviceNotFoundError:
        openError_ = PortOpenError::NotFound;
        break;
      case QSerialPort::PermissionError:
        // The node itself could be opened just now, so what stops us is another program's
        // lock file or exclusive use.
        openError_ = PortOpenError::Busy;
        break;
      default:
        openError_ = PortOpenError::Other;
        break;
    }
    errorText_ = port_->errorString();
    port_.reset();
    return false;
  }
  // A pseudo-terminal has no modem lines and refuses these; that is not an error.
  port_->setDataTerminalReady(false);
  port_->setRequestToSend(false);
  // Qt 6.4 keeps whatever waited in the input queue before the open.
  port_->clear(QSerialPort::AllDirections);
  port_->clearError();
  return true;
}

bool SerialPort::IsOpen() const {
  return port_ && port_->isOpen();
}

void SerialPort::Close() {
  if (!port_) return;
  if (port_->isOpen()) port_->close();
  port_.reset();
}

bool SerialPort::CheckGone() {
  if (port_ && port_->error() == QSerialPort::ResourceError) gone_ = true;
  return gone_;
}

std::int64_t SerialPort::BytesWaiting(std::int64_t enough) {
  if (!IsOpen()) return -1;
  if (!gone_) {
    // Bytes only reach QSerialPort's buffer when someone waits on it.
    for (int round = 0; round < kMaxPumpRounds && port_->bytesAvailable() < enough; ++round) {
      if (!port_->waitForReadyRead(0)) break;
    }
    CheckGone();
    if (!gone_ && port_->bytesAvailable() < enough && HungUp(port_->handle())) gone_ = true;
  }
  // What arrived before the device went away is still handed out; only then is it gone.
  const std::int64_t available = port_->bytesAvailable();
  if (gone_) return available > 0 ? available : -1;
  // An empty wait leaves TimeoutError behind; it means nothing.
  port_->clearError();
  return available;
}

std::int64_t SerialPort::Read(std::uint8_t* dest, std::int64_t max) {
  if (!IsOpen() || max <= 0) return max == 0 ? 0 : -1;
  const qint64 n = port_->read(reinterpret_cast<char*>(dest), max);
  if (n < 0) CheckGone();
  return n;
}

bool SerialPort::WriteAndWait(const std::uint8_t* data, std::int64_t length, int timeoutMs) {
  if (!IsOpen() || gone_) return false;
  const qint64 written = port_->write(reinterpret_cast<const char*>(data), length);
  if (written != length) {
    CheckGone();
    return false;
  }
  return FlushOutput(timeoutMs);
}

bool SerialPort::FlushOutput(int timeoutMs) {
  if (!IsOpen() || gone_) return false;
  QDeadlineTimer deadline(timeoutMs);
  while (port_->bytesToWrite() > 0) {
    if (deadline.hasExpired() || !port_->waitForBytesWritten(static_cast<int>(
                                     std::max<qint64>(1, deadline.remainingTime())))) {
      CheckGone();
      return false;
    }
  }
  port_->clearError();
  return DrainOutput(timeoutMs);
}

bool SerialPort::DrainOutput(int timeoutMs) {
  const int fd = static_cast<int>(port_->handle());
  // Wait for the kernel's queue with a bound first: tcdrain() alone would block without one
  // if the line never drained.
  QDeadlineTimer deadline(timeoutMs);
  for (;;) {
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
    if (deadline.hasExpired() || Cancelled()) return false;
    QThread::msleep(1);
  }
  if (::tcdrain(fd) != 0) {
    if (errno == EIO) gone_ = true;
    return false;
  }
  return true;
}

}  // namespace hypsor
