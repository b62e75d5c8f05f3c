// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-sim: a simulated altimeter on a pseudo-terminal.
//
// Prints the port name (relative to /dev, e.g. "pts/3") as the only line on stdout, then answers
// command frames as the device does until SIGTERM or SIGINT. Diagnostics go to stderr.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

#include "platform/Licence.h"
#include "sim/Altimeter.h"
#include "sim/Diagnostics.h"
#include "sim/Flight.h"
#include "sim/Transmitter.h"

#ifndef HYPSOR_DEFAULT_FLIGHT
#define HYPSOR_DEFAULT_FLIGHT ""
#endif
#ifndef HYPSOR_VERSION
#define HYPSOR_VERSION "unknown"
#endif

namespace {

using hypsor::sim::Altimeter;
using hypsor::sim::DeviceSettings;
using hypsor::sim::Fault;
using hypsor::sim::Frame;
using hypsor::sim::FrameAssembler;
using hypsor::sim::Transmitter;
using Clock = std::chrono::steady_clock;

volatile sig_atomic_t g_stop = 0;
void OnStopSignal(int) {
  g_stop = 1;
}

struct Options {
  DeviceSettings settings;
  std::string flight = HYPSOR_DEFAULT_FLIGHT;
  bool flightGiven = false;
  std::string log;
  bool pacing = true;
  int byteGapMs = 0;
  Fault fault = Fault::kNone;
};

// The fault names broken into lines that fit the option column of the usage text.
std::string WrappedFaultNames() {
  const std::string_view names = hypsor::sim::FaultNames();
  const std::string indent(25, ' ');
  std::string text;
  std::size_t lineLength = 0;
  std::size_t at = 0;
  while (at < names.size()) {
    std::size_t end = names.find(' ', at);
    if (end == std::string_view::npos) end = names.size();
    const std::string_view word = names.substr(at, end - at);
    if (lineLength > 0 && lineLength + 1 + word.size() > 52) {
      text += "\n" + indent;
      lineLength = 0;
    } else if (lineLength > 0) {
      text += ' ';
      ++lineLength;
    }
    text += word;
    lineLength += word.size();
    at = end + 1;
  }
  return text;
}

void PrintUsage(FILE* to) {
  std::fprintf(to,
               "Usage: hypsor-sim [OPTION]...\n"
               "A simulated altimeter on a pseudo-terminal. Prints the port name relative to\n"
               "/dev (e.g. pts/3) as the only line on standard output, then answers command\n"
               "frames until it gets SIGTERM or SIGINT.\n"
               "\n"
               "  --flight FILE          flight sent on \"1\", byte for byte\n"
               "                         (default %s;\n"
               "                         a built-in flight when that file is missing)\n"
               "  --built-in-flight      send the built-in flight, whose header follows the\n"
               "                         current settings, whatever files exist\n"
               "  --calibration N        calibration word reported by \"D\" (default 10000)\n"
               "  --competitor N         competitor number, 0..255 (default 7)\n"
               "  --serial N             serial number, 0..65535 (default 1234)\n"
               "  --temp-calibration N   temperature calibration, 0..65535 (default 25)\n"
               "  --trigger N            trigger height, 0..65535 (default 50)\n"
               "  --sampling N           sampling code, 0..255 (default 3, 10 per second)\n"
               "  --manual-zero N        manual-zeroing mode, 0..255 (default 0)\n"
               "  --no-pacing            send at once instead of at 115200 baud, 11 bits a byte\n"
               "  --byte-gap MS          send every reply one byte at a time, MS ms apart\n"
               "  --log FILE             append every frame received as 16 hex digits a line\n"
               "  --fault MODE           misbehave on purpose, one of:\n"
               "                         %s\n"
               "  --help                 show this text\n"
               "  --version              show the version\n",
               *HYPSOR_DEFAULT_FLIGHT ? HYPSOR_DEFAULT_FLIGHT : "none",
               WrappedFaultNames().c_str());
}

bool ParseNumber(std::string_view text, long max, long& out) {
  long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < 0 || value > max) return false;
  out = value;
  return true;
}

// Returns 0 to go on, or the exit status.
int ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string_view value;
    bool hasValue = false;
    if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    auto next = [&](std::string_view& v) {
      if (hasValue) {
        v = value;
        return true;
      }
      if (i + 1 >= argc) return false;
      v = argv[++i];
      return true;
    };
    auto number = [&](long max, auto& field) {
      std::string_view v;
      long n = 0;
      if (!next(v) || !ParseNumber(v, max, n)) {
        std::fprintf(stderr, "hypsor-sim: %.*s needs a number from 0 to %ld\n",
                     static_cast<int>(arg.size()), arg.data(), max);
        return false;
      }
      field = static_cast<std::remove_reference_t<decltype(field)>>(n);
      return true;
    };

    if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return -1;
    }
    if (arg == "--version") {
      std::printf("hypsor-sim %s\n%s", HYPSOR_VERSION, hypsor::kLicenceNotice);
      return -1;
    }
    bool ok = true;
    if (arg == "--no-pacing") {
      o.pacing = false;
    } else if (arg == "--built-in-flight") {
      o.flight.clear();
      o.flightGiven = false;
    } else if (arg == "--calibration") {
      ok = number(65535, o.settings.calibrationWord);
    } else if (arg == "--competitor") {
      ok = number(255, o.settings.competitor);
    } else if (arg == "--serial") {
      ok = number(65535, o.settings.serial);
    } else if (arg == "--temp-calibration") {
      ok = number(65535, o.settings.temperatureCalibration);
    } else if (arg == "--trigger") {
      ok = number(65535, o.settings.triggerHeight);
    } else if (arg == "--sampling") {
      ok = number(255, o.settings.samplingCode);
    } else if (arg == "--manual-zero") {
      ok = number(255, o.settings.manualZeroing);
    } else if (arg == "--byte-gap") {
      ok = number(60000, o.byteGapMs);
    } else if (arg == "--flight" || arg == "--log" || arg == "--fault") {
      std::string_view v;
      if (!next(v) || v.empty()) {
        std::fprintf(stderr, "hypsor-sim: %.*s needs a value\n", static_cast<int>(arg.size()),
                     arg.data());
        return 2;
      }
      if (arg == "--flight") {
        o.flight = v;
        o.flightGiven = true;
      } else if (arg == "--log") {
        o.log = v;
      } else if (const auto fault = hypsor::sim::ParseFault(v)) {
        o.fault = *fault;
      } else {
        std::fprintf(stderr, "hypsor-sim: unknown fault mode \"%.*s\"; known: %s\n",
                     static_cast<int>(v.size()), v.data(),
                     std::string(hypsor::sim::FaultNames()).c_str());
        return 2;
      }
    } else {
      std::fprintf(stderr, "hypsor-sim: unknown option %s (see --help)\n", argv[i]);
      return 2;
    }
    if (!ok) return 2;
  }
  return 0;
}

std::string Hex(const Frame& frame) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string line;
  for (std::uint8_t b : frame) {
    line += kDigits[b >> 4];
    line += kDigits[b & 0x0F];
  }
  return line;
}

// Waits until whoever has the slave side open has read what we sent (or gives up after a while),
// so a device that hangs up mid-flight still delivers the part it sent before it went away.
void WaitForDrain(int slave) {
  const auto giveUp = Clock::now() + std::chrono::seconds(2);
  int queued = 1;
  while (!g_stop && Clock::now() < giveUp) {
    if (::ioctl(slave, FIONREAD, &queued) != 0 || queued == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int status = ParseOptions(argc, argv, options); status != 0) {
    return status < 0 ? 0 : status;
  }
  if (options.flightGiven && !hypsor::sim::ReadFlightFile(options.flight)) {
    std::fprintf(stderr, "hypsor-sim: cannot read flight file %s\n", options.flight.c_str());
    return 2;
  }

  FILE* log = nullptr;
  if (!options.log.empty()) {
    log = std::fopen(options.log.c_str(), "a");
    if (!log) {
      std::fprintf(stderr, "hypsor-sim: cannot open log %s: %s\n", options.log.c_str(),
                   std::strerror(errno));
      return 2;
    }
  }

  // Block the stop signals except while waiting in ppoll, so none slips in between checks.
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  sigset_t stopSignals, waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  ::sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);

  // Raw from the start, or whatever the program writes would be echoed back to it before it
  // gets to configure its side.
  struct termios raw {};
  ::cfmakeraw(&raw);
  ::cfsetispeed(&raw, B115200);
  ::cfsetospeed(&raw, B115200);
  int master = -1, slave = -1;
  char slaveName[128] = {};
  if (::openpty(&master, &slave, slaveName, &raw, nullptr) != 0) {
    std::fprintf(stderr, "hypsor-sim: openpty failed: %s\n", std::strerror(errno));
    return 1;
  }
  // The slave stays open here for the whole run: with no slave open, reads on the master fail
  // with EIO between the program's sessions.
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave, F_SETFD, FD_CLOEXEC);

  std::string_view name = slaveName;
  if (name.starts_with("/dev/")) name.remove_prefix(5);
  std::fprintf(stdout, "%.*s\n", static_cast<int>(name.size()), name.data());
  std::fflush(stdout);

  const std::string flightPath = options.flight;
  const bool flightGiven = options.flightGiven;
  Altimeter altimeter(options.settings, options.fault, [&](const DeviceSettings& s) {
    if (!flightPath.empty()) {
      if (auto file = hypsor::sim::ReadFlightFile(flightPath)) return *file;
      if (flightGiven) {
        hypsor::sim::Diagnose("cannot read %s now, sending the built-in flight",
                              flightPath.c_str());
      }
    }
    return hypsor::sim::BuiltInFlight(s);
  });

  Transmitter::Pacing pacing;
  if (options.byteGapMs > 0) {
    pacing.spacing = std::chrono::milliseconds(options.byteGapMs);
    pacing.oneBytePerWrite = true;
  } else if (options.pacing) {
    pacing.spacing = Transmitter::kLineByteTime;
  }
  pacing.honourDelays = options.pacing;
  Transmitter transmitter(pacing);
  FrameAssembler assembler;

  std::vector<Frame> frames;
  std::uint8_t out[4096];
  std::uint8_t in[512];
  bool writeBlocked = false;

  while (!g_stop) {
    // Put on the line whatever is due.
    while (!writeBlocked) {
      const std::size_t due = transmitter.Due(Clock::now(), out, sizeof out);
      if (due == 0) break;
      const ssize_t n = ::write(master, out, due);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
          writeBlocked = true;
          break;
        }
        hypsor::sim::Diagnose("write failed: %s", std::strerror(errno));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        writeBlocked = true;
        break;
      }
      transmitter.Sent(static_cast<std::size_t>(n));
      if (static_cast<std::size_t>(n) < due) writeBlocked = true;  // the terminal is full
    }

    if (transmitter.HangUpReached()) {
      WaitForDrain(slave);
      hypsor::sim::Diagnose("hanging up");
      ::close(master);
      ::close(slave);
      if (log) std::fclose(log);
      return 0;
    }

    timespec timeout{};
    timespec* timeoutPtr = nullptr;
    if (!writeBlocked) {
      if (const auto wake = transmitter.NextWake()) {
        const auto wait = std::max(Clock::duration::zero(), *wake - Clock::now());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        timeoutPtr = &timeout;
      }
    }
    pollfd pfd{master, static_cast<short>(POLLIN | (writeBlocked ? POLLOUT : 0)), 0};
    const int ready = ::ppoll(&pfd, 1, timeoutPtr, &waitMask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      hypsor::sim::Diagnose("poll failed: %s", std::strerror(errno));
      break;
    }
    if (ready == 0) continue;
    if (pfd.revents & (POLLOUT | POLLERR)) writeBlocked = false;
    if (!(pfd.revents & (POLLIN | POLLHUP))) continue;

    const ssize_t n = ::read(master, in, sizeof in);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      // EIO: nobody has the slave open for a moment; we hold it, so this passes.
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    frames.clear();
    const std::size_t dropped =
        assembler.Push(in, static_cast<std::size_t>(n), Clock::now(), frames);
    if (dropped > 0) {
      hypsor::sim::Diagnose("dropped %zu byte(s) outside a frame", dropped);
    }
    for (const Frame& frame : frames) {
      if (log) {
        std::fprintf(log, "%s\n", Hex(frame).c_str());
        std::fflush(log);
      }
      if (auto reply = altimeter.Answer(frame)) transmitter.Queue(std::move(*reply), Clock::now());
    }
  }

  ::close(master);
  ::close(slave);
  if (log) std::fclose(log);
  return 0;
}
