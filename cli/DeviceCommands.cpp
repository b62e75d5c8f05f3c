// SPDX-License-Identifier: GPL-3.0-or-later
// download, reset and settings: the window's exchanges with the altimeter, from the command line.
// They run the same sessions and report with the same (English) texts.
#include <atomic>
#include <csignal>
#include <memory>
#include <span>

#include <QCoreApplication>
#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QString>
#include <QTemporaryFile>

#include "cli/Commands.h"
#include "contest/ContestSession.h"
#include "device/CommunicationLog.h"
#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "text/SessionMessages.h"
#include "device/Sessions.h"
#include "files/FlightFile.h"
#include "files/SettingsFile.h"
#include "platform/AtomicFile.h"
#include "contest/RulePack.h"
#include "session/DeviceController.h"
#include "text/CommunicationLogText.h"
#include "text/FailureText.h"

namespace hypsor::cli {

namespace {


// The window takes names of at most 7 characters; a path is the command line's own extra.
bool PortNameAccepted(const QString& port, QTextStream& err) {
  if (port.startsWith(QLatin1Char('/'))) return true;
  SettingsRecord probe{};
  if (SetPortName(probe, port)) return true;
  err << "hypsor-cli: " << FailureText(Failure::Of(FailureKind::PortNameTooLong, port), kEnglish)
      << '\n';
  return false;
}

// --port and --log, which every exchange takes.
void AddPortOptions(CommandOptions& options) {
  options.AddValue(QStringLiteral("port"), QStringLiteral("PORT"),
#ifdef Q_OS_WIN
                   QStringLiteral("The altimeter's serial port: COM1 to COM25, or another COM "
                                  "port of at most 7 characters."));
#else
                   QStringLiteral("The altimeter's serial port: COM1 to COM25, a name under "
                                  "/dev of at most 7 characters (ttyUSB0, pts/3) or a path."));
#endif
  options.AddValue(QStringLiteral("log"), QStringLiteral("LOG"),
                   QStringLiteral("Record every frame sent and every read, with its time, into "
                                  "LOG (for a support request)."));
}

// The port named by --port, or a usage error.
std::optional<QString> PortOf(const CommandOptions& options, QTextStream& err) {
  const QString port = options.Value(QStringLiteral("port"));
  if (port.isEmpty()) {
    options.Fail(err, QStringLiteral("--port PORT missing"));
    return std::nullopt;
  }
  if (!PortNameAccepted(port, err)) return std::nullopt;
  return port;
}

void Report(QTextStream& stream, const SessionMessage& m) {
  if (m.show) stream << m.Text(kEnglish) << '\n';
}

// The line the exchanges use instead of the serial port, with its clock; none: the real port.
SerialLine* givenLine = nullptr;
Clock* givenClock = nullptr;

std::unique_ptr<DeviceController> MakeController() {
  if (givenLine && givenClock) return std::make_unique<DeviceController>(*givenLine, *givenClock);
  return std::make_unique<DeviceController>();
}

// The link of one command: the program's device controller, and the file its log goes to.
struct Link {
  std::unique_ptr<DeviceController> controller = MakeController();
  DeviceController& device = *controller;
  CommunicationLog& log;
  QString logPath;

  explicit Link(QString path)
      : log(device.Log()), logPath(std::move(path)) {
    device.AcceptPaths(true);
  }
  // Writes the log, if one was asked for; a failure to write it is reported but does not change
  // what the command did with the altimeter.
  void SaveLog(QTextStream& err) {
    if (logPath.isEmpty()) return;
    Failure error;
    if (!WriteFileAtomically(logPath, CommunicationLogText(log), &error))
      err << "hypsor-cli: cannot write the log: " << FailureText(error, kEnglish) << '\n';
  }
};

// Ctrl+C during an exchange cancels it, as the window's Cancel does: the port is closed within
// a wait step and nothing is written. The handler only sets the controller's atomic flag.
std::atomic<DeviceController*> interruptible{nullptr};
std::atomic<bool> interrupted{false};

extern "C" void CancelOnInterrupt(int) {
  interrupted.store(true);
  if (DeviceController* d = interruptible.load()) d->Cancel();
}

// Runs one exchange of the controller to its end and returns its result. The exchange runs on
// the controller's thread; meanwhile this thread runs the application's event loop, which
// delivers the reports and ends once the controller is idle. Called where no event loop runs.
template <class Result, class Signal, class Start>
Result RunToEnd(DeviceController& device, Signal finished, Start start) {
  Result result{};
  const QMetaObject::Connection taken =
      QObject::connect(&device, finished, &device, [&result](const Result& r) { result = r; });
  const QMetaObject::Connection ended =
      QObject::connect(&device, &DeviceController::idle, &device, [] { QCoreApplication::exit(); });
  interrupted.store(false);
  interruptible.store(&device);
  const auto previous = std::signal(SIGINT, CancelOnInterrupt);
  if (start()) QCoreApplication::exec();
  std::signal(SIGINT, previous);
  interruptible.store(nullptr);
  QObject::disconnect(ended);
  QObject::disconnect(taken);
  return result;
}

// The folder of FILE takes a new file: tried with a temporary file, so a read-only mount or a
// missing folder is found before the altimeter is asked anything.
bool FolderTakesFiles(const QString& path, Failure* error) {
  const QString folder = QFileInfo(path).absolutePath();
  QTemporaryFile probe(folder + QStringLiteral("/.hypsor-probe-XXXXXX"));
  if (probe.open()) return true;
  return Fail(error, Failure::System(FailureKind::WriteIntoFolder, QDir::toNativeSeparators(folder),
                                     probe.errorString()));
}

// "--out -": the flight's bytes go to standard output, after whatever out already holds.
bool WriteToOut(QTextStream& out, const std::span<const std::uint8_t> bytes, Failure* error) {
  out.flush();
  QIODevice* device = out.device();
  const auto size = static_cast<qint64>(bytes.size());
  // Flushed here, so a full disk is found before the summary says the flight is out.
  auto* file = qobject_cast<QFileDevice*>(device);
  if (device && device->write(reinterpret_cast<const char*>(bytes.data()), size) == size &&
      (!file || file->flush()))
    return true;
  return Fail(error, Failure::System(FailureKind::FlightToOutput, QStringLiteral("-"),
                                     device ? device->errorString() : QString()));
}

}  // namespace

void UseLine(SerialLine* line, Clock* clock) {
  givenLine = line;
  givenClock = clock;
}

int RunDeviceDownload(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("download"),
                   QStringLiteral("--port PORT (--out FILE|- [--force] | --session DIR "
                                  "[--event ID --round N]) [--log LOG]"),
                   QStringLiteral("Fetch the altimeter's last flight into a flight file, or keep "
                                  "it in a contest folder."));
  AddPortOptions(o);
  o.AddValue(QStringLiteral("out"), QStringLiteral("FILE"),
             QStringLiteral("The flight file to write; - writes it to standard output."));
  o.AddFlag(QStringLiteral("force"), QStringLiteral("Replace an existing FILE."));
  o.AddValue(QStringLiteral("session"), QStringLiteral("DIR"),
             QStringLiteral("Keep the flight in the contest folder DIR as "
                            "C<competitor>_S<serial>_<time>.hyp, recorded in its contest.log and "
                            "results.csv. Exit status 6: kept, but not recorded yet."));
  o.AddValue(QStringLiteral("event"), QStringLiteral("ID"),
             QStringLiteral("With --session: the event the flight is for (see contest init)."));
  o.AddValue(QStringLiteral("round"), QStringLiteral("N"),
             QStringLiteral("With --event: the round the flight is for, from 1."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  const QString path = o.Value(QStringLiteral("out"));
  const QString session = o.Value(QStringLiteral("session"));
  const QString event = o.Value(QStringLiteral("event"));
  std::int32_t round = 0;
  if (event.isEmpty() != !o.IsSet(QStringLiteral("round")) || (!event.isEmpty() && session.isEmpty()))
    return o.Fail(err, QStringLiteral("give --event and --round together, with --session"));
  if (!event.isEmpty() && !o.ReadInteger(QStringLiteral("round"), round, err)) return ExitUsage;
  if (path.isEmpty() == session.isEmpty())
    return o.Fail(err, QStringLiteral("give either --out FILE or --session DIR"));
  const std::optional<QString> portName = PortOf(o, err);
  if (!portName) return ExitUsage;
  const QString& port = *portName;
  const bool toStdout = path == QLatin1String("-");
  // A target that would be refused is refused before the altimeter is asked: a special file, a
  // flight file that exists (unless --force), a folder that takes no new file.
  Failure error;
  if (!session.isEmpty() && QFileInfo::exists(session) && !QFileInfo(session).isDir()) {
    err << "hypsor-cli: " << FailureText(Failure::Of(FailureKind::NotAFolder, session), kEnglish)
        << '\n';
    return ExitFile;
  }
  if (session.isEmpty() && !toStdout) {
    if (!CheckSaveTarget(path, &error)) {
      err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
      return ExitFile;
    }
    if (QFileInfo::exists(path) && !o.IsSet(QStringLiteral("force"))) {
      err << "hypsor-cli: " << path << " exists; give --force to replace it\n";
      return ExitUsage;
    }
  }
  if (session.isEmpty() && !toStdout && !FolderTakesFiles(path, &error)) {
    err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
    return ExitFile;
  }

  // A contest folder that could not keep the flight is found before the altimeter is asked.
  ContestSession contest;
  contest.SetClock(givenClock);  // the line's clock times the wait for the folder's lock too
  if (!event.isEmpty()) {
    std::map<QString, RulePack> packs;
    if (!LoadRulePacks(RulePackFolder(), packs, &error)) {
      err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
      return ExitFile;
    }
    contest.SetRound(event, round, std::move(packs));
  }
  if (!session.isEmpty()) {
    if (const int status = OpenSessionForKeep(session, contest, err)) return status;
  }

  Link link(o.Value(QStringLiteral("log")));
  const DownloadResult r = RunToEnd<DownloadResult>(
      link.device, &DeviceController::downloadFinished,
      [&] { return link.device.StartDownload(port); });
  link.SaveLog(err);
  if (r.outcome == DownloadOutcome::Cancelled) {
    err << "hypsor-cli: " << FailureText(Failure::Of(FailureKind::DownloadCancelled, port), kEnglish)
        << '\n';
    return ExitInterrupted;
  }
  if (r.outcome != DownloadOutcome::Ok || !r.flight) {
    Report(err, MessageFor(r));
    if (r.outcome == DownloadOutcome::CommunicationError && r.flightRequested)
      err << "hypsor-cli: " << r.bytesArrived << " bytes of the flight received\n";
    return r.outcome == DownloadOutcome::PortOpenFailed ? ExitPort : ExitDevice;
  }
  if (!session.isEmpty()) {
    const int status = KeepIntoSession(
        contest, {r.flight->bytes.data(), static_cast<std::size_t>(r.DownloadByteCount)}, out,
        err);
    if (status != ExitFile && IncompleteFlightMessage(r).show)
      err << "warning: " << IncompleteFlightMessage(r).Text(kEnglish) << '\n';
    return status != ExitOk || r.endMarkerSeen ? status : ExitIncomplete;
  }
  // The file is what the window's Save writes: the bytes of the download, calibration included.
  const std::span<const std::uint8_t> bytes(r.flight->bytes.data(),
                                            static_cast<std::size_t>(r.DownloadByteCount));
  if (toStdout ? !WriteToOut(out, bytes, &error) : !SaveFlightFile(path, bytes, &error)) {
    err << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
    return ExitFile;
  }
  // With the flight on standard output, its summary goes to standard error.
  PrintFlightInfo(*r.flight, toStdout ? err : out);
  if (IncompleteFlightMessage(r).show)
    err << "warning: " << IncompleteFlightMessage(r).Text(kEnglish) << '\n';
  if (r.endMarkerSeen) return ExitOk;
  if (r.bytesArrived > r.DownloadByteCount)
    err << "hypsor-cli: " << r.bytesArrived << " bytes arrived; "
        << r.bytesArrived - r.DownloadByteCount << " did not fit the receive buffer\n";
  return ExitIncomplete;
}

int RunDeviceReset(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("reset"), QStringLiteral("--port PORT --yes [--log LOG]"),
                   QStringLiteral("Zero the altimeter before a flight."));
  AddPortOptions(o);
  o.AddFlag(QStringLiteral("yes"), QStringLiteral("Confirm the zeroing, as the window asks to."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  const std::optional<QString> port = PortOf(o, err);
  if (!port) return ExitUsage;
  // Zeroing clears the altimeter's reference: the window asks first, here --yes answers.
  if (!o.IsSet(QStringLiteral("yes")))
    return o.Fail(err, QStringLiteral("reset zeroes the altimeter; confirm with --yes"));

  Link link(o.Value(QStringLiteral("log")));
  const ZeroingResult r = RunToEnd<ZeroingResult>(
      link.device, &DeviceController::zeroingFinished,
      [&] { return link.device.StartZeroing(*port); });
  link.SaveLog(err);
  switch (r.outcome) {
    case ZeroingOutcome::Ok:
      Report(out, MessageFor(r));
      return ExitOk;
    case ZeroingOutcome::PortOpenFailed:
      Report(err, MessageFor(r));
      return ExitPort;
    case ZeroingOutcome::Cancelled:
      err << "hypsor-cli: "
          << FailureText(Failure::Of(FailureKind::ZeroingCancelled, *port), kEnglish) << '\n';
      return ExitInterrupted;
    case ZeroingOutcome::NoAnswer:
      // The window stays silent here; a script needs to know the zeroing is not confirmed.
      err << FailureText(Failure::Of(FailureKind::CommunicationError, *port), kEnglish) << '\n';
      return ExitDevice;
    default:
      Report(err, MessageFor(r));
      return ExitDevice;
  }
}

int RunDeviceSettings(const QStringList& args, QTextStream& out, QTextStream& err) {
  CommandOptions o(QStringLiteral("settings"),
                   QStringLiteral("--port PORT [--set KEY=VALUE]... [--strict] [--log LOG]"),
                   QStringLiteral("Show the altimeter's settings, or change the ones named; the "
                                  "others are written back as the altimeter reported them."));
  AddPortOptions(o);
  o.AddValue(QStringLiteral("set"), QStringLiteral("KEY=VALUE"),
             QStringLiteral("Change one setting; KEY is one of %1.")
                 .arg(NamedSettingKeys().join(QStringLiteral(", "))));
  o.AddFlag(QStringLiteral("strict"),
            QStringLiteral("Write nothing when a value not named lies outside the window's "
                           "limits, instead of writing it back with a warning."));
  if (const auto status = o.Parse(args, out, err)) return *status;
  const std::optional<QString> portName = PortOf(o, err);
  if (!portName) return ExitUsage;
  const QString& port = *portName;

  // The assignments, checked before the device is asked anything. Only named values are
  // checked and written; the others go back as the device reported them.
  QList<std::pair<QString, QString>> sets;
  QStringList named;
  for (const QString& assignment : o.Values(QStringLiteral("set"))) {
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    const QString key = eq > 0 ? assignment.left(eq) : assignment;
    const QString value = eq > 0 ? assignment.mid(eq + 1) : QString();
    RawSettings scratch;
    Failure problem;
    if (!ApplyNamedSetting(scratch, key, value, &problem))
      return o.Fail(err, FailureText(problem, kEnglish));
    sets.append({key, value});
    named.append(key);
  }

  Link link(o.Value(QStringLiteral("log")));
  DeviceController& device = link.device;
  // Ctrl+C ends the exchange at its next wait; nothing more is sent after it.
  auto cancelled = [&] {
    if (!interrupted.load()) return false;
    device.ClosePort();
    link.SaveLog(err);
    err << "hypsor-cli: "
        << FailureText(Failure::Of(FailureKind::SettingsCancelled, port), kEnglish) << '\n';
    return true;
  };
  const SettingsReadReport report = RunToEnd<SettingsReadReport>(
      device, &DeviceController::settingsRead, [&] { return device.StartSettingsRead(port); });
  if (cancelled()) return ExitInterrupted;
  if (!report.opened) {
    link.SaveLog(err);
    Report(err, PortOpenMessage(report.openFailure));
    return ExitPort;
  }
  const SettingsReadResult& read = report.result;
  if (read.outcome != SettingsReadOutcome::Ok) {
    device.ClosePort();
    link.SaveLog(err);
    Report(err, MessageFor(read));
    return ExitDevice;
  }
  const DeviceSettings& s = read.settings;
  if (sets.isEmpty()) {
    device.ClosePort();
    link.SaveLog(err);
    out << "competitor: " << s.competitor << '\n';
    out << "serial: " << s.serial << '\n';
    out << "calibration: " << s.calibration << '\n';
    out << "trigger: " << s.trigger << '\n';
    out << "sampling: " << s.samplingCode << '\n';
    out << "manual_zero: " << s.manualZeroing << '\n';
    return ExitOk;
  }

  RawSettings raw = RawSettingsOf(s);
  for (const auto& [key, value] : sets) ApplyNamedSetting(raw, key, value, nullptr);
  // What the altimeter reported goes back unchanged, but not unseen: a value the window would
  // not let a user choose is named, and with --strict nothing is written.
  const bool strict = o.IsSet(QStringLiteral("strict"));
  const std::vector<ValueAboveLimit> odd = ValuesAboveLimits(raw, named);
  for (const ValueAboveLimit& v : odd) {
    err << (strict ? "hypsor-cli: " : "warning: ") << v.key << ' ' << v.value
        << " reported by the altimeter is above " << v.limit
        << (strict ? "; nothing written (--strict)\n" : "; written back unchanged\n");
  }
  if (strict && !odd.empty()) {
    device.ClosePort();
    link.SaveLog(err);
    return ExitUsage;
  }
  const UploadResult r = RunToEnd<UploadResult>(device, &DeviceController::settingsUploaded,
                                                [&] { return device.StartSettingsUpload(raw); });
  device.ClosePort();
  if (cancelled()) return ExitInterrupted;
  link.SaveLog(err);
  // A refused settings write is one "Setup failed", like any other refusal.
  if (r.outcome == UploadOutcome::Accepted) {
    Report(out, MessageFor(r));
    return ExitOk;
  }
  Report(err, MessageFor(r));
  return ExitDevice;
}

}  // namespace hypsor::cli
