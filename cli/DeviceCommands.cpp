// download, reset and settings: the window's exchanges with the altimeter, from the command line.
// They run the same sessions and report with the same (English) texts.
#include <span>

#include <QString>

#include "cli/Commands.h"
#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "device/SessionMessages.h"
#include "device/Sessions.h"
#include "files/FlightFile.h"
#include "files/IntegerText.h"
#include "files/SettingsFile.h"

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

constexpr char kDownloadUsage[] = "download --port PORT --out FILE|-";

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
constexpr char kResetUsage[] = "reset --port PORT --yes";
constexpr char kSettingsUsage[] = "settings --port PORT [--set KEY=VALUE]...";

}  // namespace

int RunDeviceDownload(const QStringList& args, QTextStream& out, QTextStream& err) {
  const Options o(args, {QStringLiteral("--port"), QStringLiteral("--out")}, {});
  const QString port = o.One(QStringLiteral("--port"));
  const QString path = o.One(QStringLiteral("--out"));
  if (!o.Error().isEmpty() || port.isEmpty() || path.isEmpty())
    return Usage(err, o.Error(), kDownloadUsage);
  if (!PortNameAccepted(port, err)) return ExitUsage;
  const bool toStdout = path == QLatin1String("-");
  // A target that would be refused is refused before the altimeter is asked.
  QString error;
  if (!toStdout && !CheckSaveTarget(path, &error)) {
    err << "hypsor-cli: " << error << '\n';
    return ExitFile;
  }

  DeviceChannel channel;
  const DownloadResult r = RunDownload(channel, port);
  if (r.outcome != DownloadOutcome::Ok || !r.flight) {
    Report(err, MessageFor(r));
    if (r.outcome == DownloadOutcome::CommunicationError)
      err << "hypsor-cli: " << r.DownloadByteCount << " bytes received\n";
    return r.outcome == DownloadOutcome::PortOpenFailed ? ExitPort : ExitDevice;
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
  return ExitOk;
}

int RunDeviceReset(const QStringList& args, QTextStream& out, QTextStream& err) {
  const Options o(args, {QStringLiteral("--port")}, {QStringLiteral("--yes")});
  const QString port = o.One(QStringLiteral("--port"));
  if (!o.Error().isEmpty() || port.isEmpty()) return Usage(err, o.Error(), kResetUsage);
  // Zeroing clears the altimeter's reference: the window asks first, here --yes answers.
  if (!o.Has(QStringLiteral("--yes")))
    return Usage(err, QStringLiteral("reset zeroes the altimeter; confirm with --yes"),
                 kResetUsage);
  if (!PortNameAccepted(port, err)) return ExitUsage;

  DeviceChannel channel;
  const ZeroingResult r = RunZeroing(channel, port);
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
  const Options o(args, {QStringLiteral("--port"), QStringLiteral("--set")}, {});
  const QString port = o.One(QStringLiteral("--port"));
  if (!o.Error().isEmpty() || port.isEmpty()) return Usage(err, o.Error(), kSettingsUsage);
  if (!PortNameAccepted(port, err)) return ExitUsage;

  // The assignments, checked for form before the device is asked anything.
  QList<std::pair<QString, QString>> sets;
  for (const QString& s : o.All(QStringLiteral("--set"))) {
    const qsizetype eq = s.indexOf(QLatin1Char('='));
    const QString key = eq > 0 ? s.left(eq) : QString();
    const QString value = eq > 0 ? s.mid(eq + 1) : QString();
    static const QStringList kKeys = {QStringLiteral("competitor"), QStringLiteral("calibration"),
                                      QStringLiteral("trigger"), QStringLiteral("sampling"),
                                      QStringLiteral("manual_zero")};
    if (!kKeys.contains(key))
      return Usage(
          err,
          QStringLiteral("cannot set '%1': keys are %2").arg(s, kKeys.join(QLatin1String(", "))),
          kSettingsUsage);
    if (key == QLatin1String("sampling") || key == QLatin1String("manual_zero")) {
      // These are list choices in the window: only their entries can be chosen.
      const int last = key == QLatin1String("sampling") ? 7 : 1;
      const std::optional<std::int32_t> v = ParseIntegerText(value);
      if (!v || *v < 0 || *v > last)
        return Usage(err, QStringLiteral("%1 must be 0 to %2").arg(key).arg(last), kSettingsUsage);
    }
    sets.append({key, value});
  }

  DeviceChannel channel;
  if (!channel.OpenPort(port)) {
    Report(err, PortOpenMessage(channel.LastOpenFailure()));
    return ExitPort;
  }
  const SettingsReadResult read = ReadDeviceSettings(channel);
  if (read.outcome != SettingsReadOutcome::Ok) {
    Report(err, MessageFor(read));
    channel.ClosePort();
    return ExitDevice;
  }
  const DeviceSettings& s = read.settings;
  if (sets.isEmpty()) {
    out << "competitor: " << s.competitor << '\n';
    out << "serial: " << s.serial << '\n';
    out << "calibration: " << s.calibration << '\n';
    out << "trigger: " << s.trigger << '\n';
    out << "sampling: " << s.samplingCode << '\n';
    out << "manual_zero: " << s.manualZeroing << '\n';
    channel.ClosePort();
    return ExitOk;
  }

  // Start from what the device holds, as the window's fields do, and apply the assignments.
  SettingsUpload u;
  u.competitor = QString::number(s.competitor);
  u.calibration = QString::number(s.calibration);
  u.trigger = QString::number(s.trigger);
  u.samplingIndex = s.samplingCode < 8 ? static_cast<int>(s.samplingCode) : -1;
  u.zeroingIndex = s.manualZeroing;
  for (const auto& [key, value] : sets) {
    if (key == QLatin1String("competitor")) u.competitor = value;
    if (key == QLatin1String("calibration")) u.calibration = value;
    if (key == QLatin1String("trigger")) u.trigger = value;
    if (key == QLatin1String("sampling")) u.samplingIndex = *ParseIntegerText(value);
    if (key == QLatin1String("manual_zero")) u.zeroingIndex = *ParseIntegerText(value);
  }
  const UploadResult r = UploadDeviceSettings(channel, u);
  channel.ClosePort();
  if (r.settingsWriteRefused) Report(err, SettingsWriteRefusedMessage());
  switch (r.outcome) {
    case UploadOutcome::Accepted:
      Report(out, MessageFor(r));
      return ExitOk;
    case UploadOutcome::FieldEmpty:
    case UploadOutcome::TooLarge:
    case UploadOutcome::NotANumber:
      Report(err, MessageFor(r));
      return ExitUsage;
    default:
      Report(err, MessageFor(r));
      return ExitDevice;
  }
}

}  // namespace hypsor::cli
