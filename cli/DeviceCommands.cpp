// download, reset and settings: the window's exchanges with the altimeter, from the command line.
// They run the same sessions and report with the same (English) texts.
#include <span>

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTemporaryFile>

#include "cli/Commands.h"
#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "device/SessionMessages.h"
#include "device/Sessions.h"
#include "files/FlightFile.h"
#include "files/SettingsFile.h"
#include "platform/AtomicFile.h"

namespace hypsor::cli {

namespace {

constexpr int kEnglish = 1;

// Options of the form "--name VALUE" or "--name=VALUE", and bare flags.
class Options {
 public:
  Options(const QStringList& args, QStringList valued, QStringList flags)
      : valued_(std::move(valued)), flags_(std::move(flags)) {
    for (qsizetype k = 0; k < args.size(); ++k) {
      const QString& a = args[k];
      if (flags_.contains(a)) {
        present_.append(a);
        continue;
      }
      const qsizetype eq = a.indexOf(QLatin1Char('='));
      const QString name = eq > 0 ? a.left(eq) : a;
      if (!valued_.contains(name)) {
        error_ = QStringLiteral("unknown argument '%1'").arg(a);
        return;
      }
      if (eq > 0) {
        values_.append({name, a.mid(eq + 1)});
      } else if (k + 1 < args.size()) {
        values_.append({name, args[++k]});
      } else {
        error_ = QStringLiteral("%1 needs a value").arg(name);
        return;
      }
    }
  }
  QString Error() const { return error_; }
  bool Has(const QString& flag) const { return present_.contains(flag); }
  QStringList All(const QString& name) const {
    QStringList out;
    for (const auto& [n, v] : values_)
      if (n == name) out.append(v);
    return out;
  }
  QString One(const QString& name) const {
    const QStringList all = All(name);
    return all.size() == 1 ? all.first() : QString();
  }

 private:
  QStringList valued_, flags_, present_;
  QList<std::pair<QString, QString>> values_;
  QString error_;
};

int Usage(QTextStream& err, const QString& problem, const char* usage) {
  if (!problem.isEmpty()) err << "hypsor-cli: " << problem << '\n';
  err << "hypsor-cli: usage: hypsor-cli " << usage << '\n';
  return ExitUsage;
}

// The window takes names of at most 7 characters; a path is the command line's own extra.
bool PortNameAccepted(const QString& port, QTextStream& err) {
  if (port.startsWith(QLatin1Char('/'))) return true;
  SettingsRecord probe{};
  if (SetPortName(probe, port)) return true;
  err << "hypsor-cli: " << Text(Txt::PortNameTooLong, kEnglish) << '\n';
  return false;
}

void Report(QTextStream& stream, const SessionMessage& m) {
  if (m.show) stream << m.Text(kEnglish) << '\n';
}

// A channel for one command; with --log it records the exchange.
struct Link {
  CommunicationLog log;
  DeviceChannel channel;
  QString logPath;

  explicit Link(QString path) : logPath(std::move(path)) {
    channel.AcceptPaths = true;
    if (!logPath.isEmpty()) channel.Log = &log;
  }
  // Writes the log, if one was asked for; a failure to write it is reported but does not change
  // what the command did with the altimeter.
  void SaveLog(QTextStream& err) {
    if (logPath.isEmpty()) return;
    QString error;
    if (!WriteFileAtomically(logPath, log.Text(), &error))
      err << "hypsor-cli: cannot write the log: " << error << '\n';
  }
};

// The folder of FILE takes a new file: tried with a temporary file, so a read-only mount or a
// missing folder is found before the altimeter is asked anything.
bool FolderTakesFiles(const QString& path, QString* error) {
  const QString folder = QFileInfo(path).absolutePath();
  QTemporaryFile probe(folder + QStringLiteral("/.hypsor-probe-XXXXXX"));
  if (probe.open()) return true;
  *error = QStringLiteral("cannot write into %1: %2")
               .arg(QDir::toNativeSeparators(folder), probe.errorString());
  return false;
}

constexpr char kDownloadUsage[] =
    "download --port PORT (--out FILE|- [--force] | --session DIR) [--log LOG]";

// "--out -": the flight's bytes go to standard output, after whatever out already holds.
bool WriteToOut(QTextStream& out, const std::span<const std::uint8_t> bytes, QString* error) {
  out.flush();
  QIODevice* device = out.device();
  const auto size = static_cast<qint64>(bytes.size());
  if (device && device->write(reinterpret_cast<const char*>(bytes.data()), size) == size)
    return true;
  if (error)
    *error = QStringLiteral("Cannot write the flight to standard output: %1")
                 .arg(device ? device->errorString() : QStringLiteral("no output"));
  return false;
}

constexpr char kResetUsage[] = "reset --port PORT --yes [--log LOG]";
constexpr char kSettingsUsage[] = "settings --port PORT [--set KEY=VALUE]... [--log LOG]";

}  // namespace

int RunDeviceDownload(const QStringList& args, QTextStream& out, QTextStream& err) {
  const Options o(args,
                  {QStringLiteral("--port"), QStringLiteral("--out"), QStringLiteral("--log"),
                   QStringLiteral("--session")},
                  {QStringLiteral("--force")});
  const QString port = o.One(QStringLiteral("--port"));
  const QString path = o.One(QStringLiteral("--out"));
  const QString session = o.One(QStringLiteral("--session"));
  if (!o.Error().isEmpty() || port.isEmpty() || path.isEmpty() == session.isEmpty())
    return Usage(err, o.Error(), kDownloadUsage);
  if (!PortNameAccepted(port, err)) return ExitUsage;
  const bool toStdout = path == QLatin1String("-");
  // A target that would be refused is refused before the altimeter is asked: a special file, a
  // flight file that exists (unless --force), a folder that takes no new file.
  QString error;
  if (!session.isEmpty() && QFileInfo::exists(session) && !QFileInfo(session).isDir()) {
    err << "hypsor-cli: " << session << " is not a folder\n";
    return ExitFile;
  }
  if (session.isEmpty() && !toStdout) {
    if (!CheckSaveTarget(path, &error)) {
      err << "hypsor-cli: " << error << '\n';
      return ExitFile;
    }
    if (QFileInfo::exists(path) && !o.Has(QStringLiteral("--force"))) {
      err << "hypsor-cli: " << path << " exists; give --force to replace it\n";
      return ExitUsage;
    }
  }
  if (session.isEmpty() && !toStdout && !FolderTakesFiles(path, &error)) {
    err << "hypsor-cli: " << error << '\n';
    return ExitFile;
  }

  Link link(o.One(QStringLiteral("--log")));
  const DownloadResult r = RunDownload(link.channel, port);
  link.SaveLog(err);
  if (r.outcome != DownloadOutcome::Ok || !r.flight) {
    Report(err, MessageFor(r));
    if (r.outcome == DownloadOutcome::CommunicationError && r.flightRequested)
      err << "hypsor-cli: " << r.bytesArrived << " bytes of the flight received\n";
    return r.outcome == DownloadOutcome::PortOpenFailed ? ExitPort : ExitDevice;
  }
  if (!session.isEmpty()) {
    const int status = DownloadIntoSession(session, *r.flight, r.DownloadByteCount, out, err);
    if (status != ExitOk || r.endMarkerSeen) return status;
    err << "warning: " << IncompleteFlightMessage(r).Text(kEnglish) << '\n';
    return ExitIncomplete;
  }
  // The file is what the window's Save writes: the bytes of the download, calibration included.
  const std::span<const std::uint8_t> bytes(r.flight->bytes.data(),
                                            static_cast<std::size_t>(r.DownloadByteCount));
  if (toStdout ? !WriteToOut(out, bytes, &error) : !SaveFlightFile(path, bytes, &error)) {
    err << "hypsor-cli: " << error << '\n';
    return ExitFile;
  }
  // With the flight on standard output, its summary goes to standard error.
  PrintFlightInfo(*r.flight, toStdout ? err : out);
  if (r.endMarkerSeen) return ExitOk;
  err << "warning: " << IncompleteFlightMessage(r).Text(kEnglish) << '\n';
  if (r.bytesArrived > r.DownloadByteCount)
    err << "hypsor-cli: " << r.bytesArrived << " bytes arrived; "
        << r.bytesArrived - r.DownloadByteCount << " did not fit the receive buffer\n";
  return ExitIncomplete;
}

int RunDeviceReset(const QStringList& args, QTextStream& out, QTextStream& err) {
  const Options o(args, {QStringLiteral("--port"), QStringLiteral("--log")},
                  {QStringLiteral("--yes")});
  const QString port = o.One(QStringLiteral("--port"));
  if (!o.Error().isEmpty() || port.isEmpty()) return Usage(err, o.Error(), kResetUsage);
  // Zeroing clears the altimeter's reference: the window asks first, here --yes answers.
  if (!o.Has(QStringLiteral("--yes")))
    return Usage(err, QStringLiteral("reset zeroes the altimeter; confirm with --yes"),
                 kResetUsage);
  if (!PortNameAccepted(port, err)) return ExitUsage;

  Link link(o.One(QStringLiteral("--log")));
  const ZeroingResult r = RunZeroing(link.channel, port);
  link.SaveLog(err);
  switch (r.outcome) {
    case ZeroingOutcome::Ok:
      Report(out, MessageFor(r));
      return ExitOk;
    case ZeroingOutcome::PortOpenFailed:
      Report(err, MessageFor(r));
      return ExitPort;
    case ZeroingOutcome::NoAnswer:
      // The window stays silent here; a script needs to know the zeroing is not confirmed.
      err << Text(Txt::CommunicationError, kEnglish) << '\n';
      return ExitDevice;
    default:
      Report(err, MessageFor(r));
      return ExitDevice;
  }
}

int RunDeviceSettings(const QStringList& args, QTextStream& out, QTextStream& err) {
  const Options o(args,
                  {QStringLiteral("--port"), QStringLiteral("--set"), QStringLiteral("--log")}, {});
  const QString port = o.One(QStringLiteral("--port"));
  if (!o.Error().isEmpty() || port.isEmpty()) return Usage(err, o.Error(), kSettingsUsage);
  if (!PortNameAccepted(port, err)) return ExitUsage;

  // The assignments, checked before the device is asked anything. Only named values are
  // checked and written; the others go back as the device reported them.
  QList<std::pair<QString, QString>> sets;
  for (const QString& s : o.All(QStringLiteral("--set"))) {
    const qsizetype eq = s.indexOf(QLatin1Char('='));
    const QString key = eq > 0 ? s.left(eq) : s;
    const QString value = eq > 0 ? s.mid(eq + 1) : QString();
    RawSettings scratch;
    QString problem;
    if (!ApplyNamedSetting(scratch, key, value, &problem))
      return Usage(err, problem, kSettingsUsage);
    sets.append({key, value});
  }

  Link link(o.One(QStringLiteral("--log")));
  DeviceChannel& channel = link.channel;
  if (!channel.OpenPort(port)) {
    link.SaveLog(err);
    Report(err, PortOpenMessage(channel.LastOpenFailure()));
    return ExitPort;
  }
  const SettingsReadResult read = ReadDeviceSettings(channel);
  if (read.outcome != SettingsReadOutcome::Ok) {
    channel.ClosePort();
    link.SaveLog(err);
    Report(err, MessageFor(read));
    return ExitDevice;
  }
  const DeviceSettings& s = read.settings;
  if (sets.isEmpty()) {
    channel.ClosePort();
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
  const UploadResult r = UploadRawSettings(channel, raw);
  channel.ClosePort();
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
