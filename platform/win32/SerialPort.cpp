// SPDX-License-Identifier: GPL-3.0-or-later
// The serial line on the Win32 API. The port is opened for synchronous use with timeouts that
// make ReadFile return at once with what has arrived, so the device code polls it exactly as it
// polls the Qt line on Linux, and its waits stay on the project's clock. Every call's failure is
// kept with the system's reason (ErrorText).
#include "platform/SerialPort.h"

#include <windows.h>

#include <algorithm>

#include <QDeadlineTimer>
#include <QThread>

namespace hypsor {

namespace {

// A read pump that keeps finding new bytes is stopped after this many rounds.
constexpr int kMaxPumpRounds = 64;
constexpr DWORD kChunk = 4096;
// The driver's queues: the input one holds a whole download's worth, should polls fall behind;
// the output one far more than a frame.
constexpr DWORD kInputQueue = 32768;
constexpr DWORD kOutputQueue = 4096;

HANDLE H(void* handle) {
  return static_cast<HANDLE>(handle);
}

QString SystemText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  QString s = n > 0 ? QString::fromWCharArray(text, static_cast<int>(n)).trimmed()
                    : QStringLiteral("system error %1").arg(code);
  if (text) LocalFree(text);
  return s;
}

PortOpenError OpenErrorOf(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_DEVICE_NOT_CONNECTED:
      return PortOpenError::NotFound;
    // A COM port is opened for exclusive use: a second opener is refused with "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return PortOpenError::Busy;
    case ERROR_PRIVILEGE_NOT_HELD:
      return PortOpenError::Permission;
    default:
      return PortOpenError::Other;
  }
}

// A read or write that fails this way means the adapter was unplugged or the port taken away.
bool GoneError(DWORD code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_FILE_NOT_FOUND:
      return true;
    default:
      return false;
  }
}

// 115200 baud, 8 data bits, no parity, two stop bits; no flow control, DTR and RTS off.
bool Configure(HANDLE h) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(h, &dcb)) return false;
  dcb.BaudRate = CBR_115200;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = TWOSTOPBITS;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fAbortOnError = FALSE;
  if (!SetCommState(h, &dcb)) return false;
  // Reads return at once with what is there; writes are bounded per call (WriteAndWait).
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.WriteTotalTimeoutConstant = 1000;
  return SetCommTimeouts(h, &timeouts) != 0;
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

  HANDLE h =
      CreateFileW(reinterpret_cast<const wchar_t*>(location_.utf16()), GENERIC_READ | GENERIC_WRITE,
                  0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    openError_ = OpenErrorOf(code);
    errorText_ = SystemText(code);
    return false;
  }
  // Closes the handle of an open that failed half-way, with why.
  auto refuse = [this, h](PortOpenError error, DWORD code) {
    CloseHandle(h);  // nothing more to learn from a handle given up
    openError_ = error;
    if (code != ERROR_SUCCESS) errorText_ = SystemText(code);
    return false;
  };
  SetLastError(ERROR_SUCCESS);
  if (GetFileType(h) != FILE_TYPE_CHAR) {
    const DWORD code = GetLastError();
    return refuse(code == ERROR_SUCCESS ? PortOpenError::NotASerialPort : PortOpenError::Other,
                  code);
  }
  if (!SetupComm(h, kInputQueue, kOutputQueue) || !Configure(h)) {
    const DWORD code = GetLastError();
    // A character device that takes no queue sizes or line settings is no serial port.
    return refuse(code == ERROR_INVALID_FUNCTION || code == ERROR_NOT_SUPPORTED
                      ? PortOpenError::NotASerialPort
                      : PortOpenError::Other,
                  code);
  }
  // What waited in the queues before the open is not ours.
  if (!PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR))
    return refuse(PortOpenError::Other, GetLastError());
  handle_ = h;
  buffer_.clear();
  return true;
}

bool SerialPort::IsOpen() const {
  return handle_ != nullptr;
}

void SerialPort::Close() {
  if (!handle_) return;
  // A handle that does not close (one already invalid) is gone either way.
  CloseHandle(H(handle_));
  handle_ = nullptr;
  buffer_.clear();
}

bool SerialPort::CheckGone() {
  return gone_;
}

bool SerialPort::Failed() {
  const DWORD code = GetLastError();
  errorText_ = SystemText(code);
  if (GoneError(code)) gone_ = true;
  return false;
}

void SerialPort::Pump(std::int64_t enough) {
  char chunk[kChunk];
  for (int round = 0; round < kMaxPumpRounds && buffer_.size() < enough; ++round) {
    DWORD got = 0;
    if (!ReadFile(H(handle_), chunk, kChunk, &got, nullptr)) {
      Failed();
      return;
    }
    if (got == 0) return;
    buffer_.append(chunk, static_cast<qsizetype>(got));
  }
}

std::int64_t SerialPort::BytesWaiting(std::int64_t enough) {
  if (!IsOpen()) return -1;
  if (!gone_) Pump(enough);
  // What arrived before the device went away is still handed out; only then is it gone.
  if (gone_ && buffer_.isEmpty()) return -1;
  return buffer_.size();
}

std::int64_t SerialPort::Read(std::uint8_t* dest, std::int64_t max) {
  if (!IsOpen() || max <= 0) return max == 0 ? 0 : -1;
  if (buffer_.isEmpty() && !gone_) Pump(max);
  if (buffer_.isEmpty()) return gone_ ? -1 : 0;
  const qsizetype n = static_cast<qsizetype>(std::min<std::int64_t>(max, buffer_.size()));
  std::copy_n(buffer_.constData(), n, reinterpret_cast<char*>(dest));
  buffer_.remove(0, n);
  return n;
}

bool SerialPort::WriteAndWait(const std::uint8_t* data, std::int64_t length, int timeoutMs) {
  if (!IsOpen() || gone_) return false;
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(std::max(1, timeoutMs));
  if (!SetCommTimeouts(H(handle_), &timeouts)) return Failed();
  DWORD written = 0;
  if (!WriteFile(H(handle_), data, static_cast<DWORD>(length), &written, nullptr)) return Failed();
  if (static_cast<std::int64_t>(written) != length) {
    // The write's time ran out with bytes left.
    errorText_ = SystemText(ERROR_TIMEOUT);
    return false;
  }
  return FlushOutput(timeoutMs);
}

bool SerialPort::FlushOutput(int timeoutMs) {
  if (!IsOpen() || gone_) return false;
  return DrainOutput(timeoutMs);
}

bool SerialPort::DrainOutput(int timeoutMs) {
  // FlushFileBuffers would wait with no bound and no ear for a Cancel: the driver's output
  // queue is watched instead, as the POSIX line watches the kernel's.
  const QDeadlineTimer deadline(timeoutMs);
  for (;;) {
    DWORD errors = 0;  // line errors (overrun, framing) lose input the replies' lengths show
    COMSTAT status{};
    if (!ClearCommError(H(handle_), &errors, &status)) return Failed();
    if (status.cbOutQue == 0) return true;
    if (deadline.hasExpired()) {
      errorText_ = SystemText(ERROR_TIMEOUT);
      return false;
    }
    if (Cancelled()) return false;
    QThread::msleep(1);
  }
}

}  // namespace hypsor
